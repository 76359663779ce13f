// What a converter plugs into the core: the reader of one input format.
#ifndef TRACKS_CORE_POINT_SOURCE_H_
#define TRACKS_CORE_POINT_SOURCE_H_

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/input_stream.h"

namespace tracks {

// The one point record of a run.  Sources clear the name for every point;
// the core never reads it.
struct TrackPoint {
  char name[160];
  double latitude;   // degrees, north positive
  double longitude;  // degrees, east positive
};

// Clears a point's name the way every source does: first and last character.
inline void clear_name(TrackPoint& point) {
  point.name[0] = '\0';
  point.name[159] = '\0';
}

// A condition that ends the run.  Whoever meets it throws; the run catches it
// in one place, prints the message, closes what is open and ends with the
// status.
class RunError : public std::runtime_error {
 public:
  RunError(int status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

// Messages on standard output.  Tests hand in any stream to capture them.
class Console {
 public:
  explicit Console(std::FILE* out) : out_(out) {}
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::FILE* out_;
};

class PointSource {
 public:
  virtual ~PointSource() = default;

  // Reads and checks the format's header, leaving the input where the points
  // begin.  Throws RunError (status 2) when the header is wrong.
  virtual void check_header(InputStream& input) = 0;

  // Places the next point of the input in `point` and returns 0, or returns
  // a negative value at the end of the input or on a read failure.  Never
  // positive: whatever is no point the source passes over itself.
  virtual int read_point(InputStream& input, TrackPoint& point) = 0;

  // Passes over the next point without delivering it: what read_point does,
  // with the same result, the same messages and the input left at the same
  // place, only without the coordinates.  The core counts the points with
  // it.  A source that can tell a point from what is no point more cheaply
  // than by converting it overrides this.
  virtual int skip_point(InputStream& input) {
    TrackPoint point;
    return read_point(input, point);
  }

  // Where the points begin, taken before the counting pass; -1 when it
  // cannot be had.  Most sources ask the stream; a source that walks records
  // reports the position it recorded in check_header.
  virtual std::int64_t start_position(InputStream& input) {
    return input.tell();
  }

  // Called after the core has sought back to the start position, so that a
  // source with state of its own starts its sequence again.
  virtual void restart(std::int64_t /*start_position*/) {}
};

}  // namespace tracks

#endif  // TRACKS_CORE_POINT_SOURCE_H_
