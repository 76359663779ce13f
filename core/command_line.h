// The command line shared by the three converters:
//   InputFile [OutPutFile] [/dTrack_Break_Distance]
#ifndef TRACKS_CORE_COMMAND_LINE_H_
#define TRACKS_CORE_COMMAND_LINE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tracks {

struct Settings {
  std::string input_name;
  std::string output_name;
  // Metres; 0 or less turns track breaking off.
  std::int32_t break_distance = 1000;
};

// Reads the arguments (the program's own name not included).  Returns false
// when the usage text is to be shown: no argument, an unknown option, or a
// third name.
//
// An argument that starts with '/' or '-' is an option, except one that
// starts with '/' and holds a further '/': that is an absolute path.  The
// only option is D or d with the distance right behind it (/d500, -D500).
// Options and names may stand in any order; a later /d wins.
bool parse_command_line(const std::vector<std::string>& args,
                        Settings& settings);

// The distance of a /d option: the text after "/d" read as a decimal integer
// (leading white space, an optional sign, digits up to the first other
// character; no digits give 0), clamped to the signed 32-bit range.
std::int32_t parse_break_distance(const std::string& text);

}  // namespace tracks

#endif  // TRACKS_CORE_COMMAND_LINE_H_
