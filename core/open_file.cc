#include "core/open_file.h"

#ifdef _WIN32
#include <windows.h>
#include <vector>
#endif

namespace tracks {

#ifdef _WIN32
namespace {
std::wstring widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(),
                              static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      wide.data(), n);
  return wide;
}
}  // namespace

std::FILE* open_file(const std::string& name, const char* mode) {
  std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(widen(name).c_str(), wide_mode.c_str());
}
#else
std::FILE* open_file(const std::string& name, const char* mode) {
  return std::fopen(name.c_str(), mode);
}
#endif

}  // namespace tracks
