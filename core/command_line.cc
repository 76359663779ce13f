#include "core/command_line.h"

namespace tracks {

std::int32_t parse_break_distance(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude, stopping once it is past the 32-bit range so
  // that no number of digits can overflow.
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= INT32_MAX) magnitude = magnitude * 10 + (text[i] - '0');
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

bool parse_command_line(const std::vector<std::string>& args,
                        Settings& settings) {
  if (args.empty()) return false;
  settings.input_name.clear();
  settings.output_name.clear();
  for (const std::string& arg : args) {
    bool absolute_path =
        !arg.empty() && arg[0] == '/' && arg.find('/', 1) != std::string::npos;
    bool option = !arg.empty() && (arg[0] == '/' || arg[0] == '-');
    if (option && !absolute_path) {
      if (arg.size() < 2 || (arg[1] != 'd' && arg[1] != 'D')) return false;
      settings.break_distance = parse_break_distance(arg.substr(2));
    } else if (settings.input_name.empty()) {
      settings.input_name = arg;
    } else if (settings.output_name.empty()) {
      settings.output_name = arg;
    } else {
      return false;
    }
  }
  if (settings.output_name.empty()) settings.output_name = "Tracks.bin";
  return true;
}

}  // namespace tracks
