// The run of one converter: command line, progress lines, input, the two
// passes, and the output file.  Each program's main() calls run_converter()
// with its own texts and point source.
//
// Exit statuses: 0 written; 1 usage; 2 input open, header or output open
// failure; 3 output write failure; 11 start of the points not obtainable;
// 12 fewer than 2 points; 13 seek back failed or a point missing in the
// converting pass.
#ifndef TRACKS_CORE_RUN_H_
#define TRACKS_CORE_RUN_H_

#include <cstdio>
#include <string>
#include <vector>

#include "core/point_source.h"

namespace tracks {

// What tells the three programs apart, apart from their point source.
struct ProgramInfo {
  const char* banner;      // first line of the usage text
  const char* notice;      // second line: what the program is for
  const char* usage_line;  // last line of the usage text
  bool report_point_count; // print the count after the counting pass
};

// Runs one conversion and returns the exit status.  Messages go to `out`.
int run_converter(const ProgramInfo& program, PointSource& source,
                  const std::vector<std::string>& args, std::FILE* out);

// The arguments of main() without the program's own name, as UTF-8 text.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace tracks

#endif  // TRACKS_CORE_RUN_H_
