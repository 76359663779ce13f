// Opening files by the names given on the command line.
#ifndef TRACKS_CORE_OPEN_FILE_H_
#define TRACKS_CORE_OPEN_FILE_H_

#include <cstdio>
#include <string>

namespace tracks {

// fopen() for a name held as UTF-8.  On Windows the name is converted to
// UTF-16 so that any letter works, whatever the system's code page.
std::FILE* open_file(const std::string& name, const char* mode);

}  // namespace tracks

#endif  // TRACKS_CORE_OPEN_FILE_H_
