// The point source of Keswin: MapSource record files (.mps).
//
// All numbers are little-endian.  The file is a 6-byte header, "MsRcd" and a
// NUL byte, followed by records up to the end of the file:
//
//   offset 0   4 bytes   length L, signed: the bytes after the type byte
//   offset 4   1 byte    type; 'T' (0x54) marks a track record
//   offset 5   L bytes   payload
//
// The next record begins at offset L + 5.  A record of length 0 has its type
// byte skipped unread, so it is passed over whatever that byte holds.
// Records of any type but 'T' are passed over by their length, unread.
//
// The payload of a track record, read from its front whatever L says:
//
//   name       up to 150 characters and a NUL; read and dropped
//   5 bytes    read and not used
//   count N    4 bytes, signed; must not be negative
//   N points   31 bytes each:
//                0   4 bytes   latitude, signed, in semicircles
//                4   4 bytes   longitude, signed, in semicircles
//                8  23 bytes   passed over; may be cut off by the end of file
//
// 2^31 semicircles make 180 degrees; north and east are positive.  The points
// of all track records form one sequence, in file order; where tracks start
// in the output is the core's business.
//
// The walk ends the input, without a message, at the end of the file, at a
// length field cut short, where the type byte is missing, at a record length
// of -5 or less (it would not move the walk forward), and at a position past
// 2^31 - 1.  A track record that cannot be read ends the input after "Track
// read error!".  Either way the points already delivered are kept.
#ifndef TRACKS_MPS_MPS_SOURCE_H_
#define TRACKS_MPS_MPS_SOURCE_H_

#include <cstdint>

#include "core/input_stream.h"
#include "core/point_source.h"
#include "core/run.h"

namespace tracks {

// Degrees of a coordinate in semicircles; exact for every 32-bit value.
double semicircles_to_degrees(std::int32_t value);

// The longest track name that is read; a longer one spoils the record.
inline constexpr int kMpsNameLimit = 150;

// Keswin's texts: banner, notice and usage line.
extern const ProgramInfo kKeswinProgram;

class MpsSource : public PointSource {
 public:
  enum TrackState { no_track = 0, track_found = 1, in_points = 2 };

  // "Track read error!" goes to `console`.
  explicit MpsSource(Console& console) : console_(console) {}

  // The header, and the position of the first record.  Throws RunError
  // (status 2) when the header is short, wrong, or the position cannot be
  // had (a pipe).
  void check_header(InputStream& input) override;

  // The next point of the track records: 0, or -1 at the end of the input or
  // when a track record cannot be read.
  int read_point(InputStream& input, TrackPoint& point) override;

  // The first record's position, as check_header recorded it.
  std::int64_t start_position(InputStream& input) override;

  // Back to the first record, with no track record open.
  void restart(std::int64_t start_position) override;

  // The record walk: leaves the input right after the type byte of the next
  // track record, with the state at track_found, and returns 0, or returns
  //   -1  the position is negative, past 2^31 - 1, or cannot be sought,
  //   -2  fewer than 4 bytes of length,
  //   -3  the file ends where the type byte should be,
  //   -4  a length of -5 or less.
  // After -1, -2 and -4 the position is unchanged, so every later walk fails
  // the same way; after -3 it already lies past the record.
  int find_track_record(InputStream& input);

  // Reads on in the open track record: 0 a point was placed, 1 the record
  // has no points left (no point placed), or
  //   -2  the file ends before the name's NUL,
  //   -3  more than 150 characters of name,
  //   -4  fewer than 5 bytes after the name,
  //   -5  fewer than 4 bytes of count,
  //   -6  a negative count,
  //   -7  fewer than 4 bytes of latitude,
  //   -8  fewer than 4 bytes of longitude,
  //   -9  the 23 bytes after the longitude cannot be passed over,
  //   -10 no track record open.
  int parse_point(InputStream& input, TrackPoint& point);

  TrackState track_state() const { return track_state_; }
  std::int64_t next_record_position() const { return next_record_position_; }
  std::int32_t points_left() const { return points_left_; }

 private:
  Console& console_;
  TrackState track_state_ = no_track;
  // Where the length field of the next record to visit lies.
  std::int64_t next_record_position_ = 0;
  // Where the first record lies, for the second pass.
  std::int64_t first_record_position_ = -1;
  // Points of the open track record not yet delivered.
  std::int32_t points_left_ = 0;
  // Receives the header, each name and the five bytes after it.
  unsigned char scratch_[160];
};

}  // namespace tracks

#endif  // TRACKS_MPS_MPS_SOURCE_H_
