// The point source of Tarrow: OziExplorer track point files (.plt).
//
// The file is text, read byte for byte without translation:
//
//   line 1      begins with "OziExplorer Track Point File"
//   lines 2-6   anything (datum, a reserved line, track settings, count)
//   line 7 on   one point a line: latitude,longitude[,anything else]
//
// CR, LF and NUL each end a line, and runs of them count as one, so LF, CR LF
// and CR files read alike and blank lines count for nothing.  Text after the
// last line end is not a line.  Of a line, at most 150 characters are kept.
// A point line needs a comma among those; its latitude must lie within
// -100..100 and its longitude within -370..370, bounds included.  Lines that
// are no point are skipped silently.
#ifndef TRACKS_PLT_PLT_SOURCE_H_
#define TRACKS_PLT_PLT_SOURCE_H_

#include "core/input_stream.h"
#include "core/point_source.h"
#include "core/run.h"

namespace tracks {

// The most characters of a line that are kept.
inline constexpr int kPltLineLimit = 150;

// Reads the next non-empty line into `buffer` (room for limit + 1
// characters), keeping at most `limit` characters and dropping the rest of a
// longer line.  Returns the number of characters kept, or -1 when the input
// ends before a complete line.
int read_text_line(InputStream& input, char* buffer, int limit);

// Tarrow's texts: banner, notice and usage line.
extern const ProgramInfo kTarrowProgram;

class PltSource : public PointSource {
 public:
  void check_header(InputStream& input) override;
  int read_point(InputStream& input, TrackPoint& point) override;
  int skip_point(InputStream& input) override;

  // One line: 0 a point was placed, 1 no comma, 3 a coordinate out of
  // range, -1 end of the input.
  int parse_point(InputStream& input, TrackPoint& point);

 private:
  // A line's kept text, [begin, end): in the stream's buffer where the
  // whole line lies in it, else in line_buffer_.  Valid until the next read.
  struct Line {
    const char* begin;
    const char* end;
  };
  // Reads the next line as read_text_line does; false at the end of the
  // input.
  bool next_line(InputStream& input, Line& line);

  char line_buffer_[160];
};

}  // namespace tracks

#endif  // TRACKS_PLT_PLT_SOURCE_H_
