// The Tracks.bin image: the file the navigator loads, built in memory and
// written whole at the end of a run.
//
// Layout, 80008 bytes, every field little-endian:
//
//   offset        size  field
//   0             4     point count: signed 32-bit, slots in use
//   4             4     reserved, always 0
//   8 + 8*i       4     longitude of slot i: coordinate code, low 32 bits
//   12 + 8*i      4     latitude word of slot i: bits 0-30 hold the low 31
//                       bits of the latitude's coordinate code; bit 31 is set
//                       on the first point of a track
//
// There are 10000 slots (i = 0..9999).  Slots past the point count are all
// zero bytes; the converters store at most 9996 points, so the last four
// slots are always zero.
//
// Coordinate code: degrees in units of 180 / 2^31 degree, rounded to the
// nearest integer with halves going up:
//   code = floor(degrees * 2147483648 / 180 + 0.5)
// Codes wrap in their fields: a longitude of 190 is written like -170, +180
// and -180 both give -2^31, and +90 and -90 latitude both give 2^30 in
// bits 0-30.
#ifndef TRACKS_CORE_TRACK_IMAGE_H_
#define TRACKS_CORE_TRACK_IMAGE_H_

#include <array>
#include <cstdint>

namespace tracks {

// The coordinate code of an angle in degrees.  Angles far outside a full turn
// (or not a number) never reach here from a point source; they give 0 rather
// than an undefined conversion.
std::int64_t coordinate_code(double degrees);

class TrackImage {
 public:
  static constexpr int kSlots = 10000;
  static constexpr std::size_t kSize = 8 + 8 * kSlots;  // 80008

  TrackImage() { clear(); }

  void clear() { bytes_.fill(0); }

  // Writes one slot.  latitude_word already carries the track-start bit.
  void set_slot(int slot, std::uint32_t longitude_field,
                std::uint32_t latitude_word);

  void set_point_count(std::int32_t count);

  const std::array<unsigned char, kSize>& bytes() const { return bytes_; }

 private:
  void put32(std::size_t offset, std::uint32_t value);

  std::array<unsigned char, kSize> bytes_;
};

}  // namespace tracks

#endif  // TRACKS_CORE_TRACK_IMAGE_H_
