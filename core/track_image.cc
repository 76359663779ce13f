#include "core/track_image.h"

#include <cmath>

namespace tracks {

std::int64_t coordinate_code(double degrees) {
  // Multiply, divide and add in exactly this order: the result is part of
  // the file format and must match to the last unit.
  double units = std::floor(degrees * 2147483648.0 / 180.0 + 0.5);
  // 2^62 units is far beyond any angle a point source lets through.
  if (!(std::fabs(units) < 4611686018427387904.0)) return 0;
  return static_cast<std::int64_t>(units);
}

void TrackImage::put32(std::size_t offset, std::uint32_t value) {
  bytes_[offset] = static_cast<unsigned char>(value);
  bytes_[offset + 1] = static_cast<unsigned char>(value >> 8);
  bytes_[offset + 2] = static_cast<unsigned char>(value >> 16);
  bytes_[offset + 3] = static_cast<unsigned char>(value >> 24);
}

void TrackImage::set_slot(int slot, std::uint32_t longitude_field,
                          std::uint32_t latitude_word) {
  std::size_t offset = 8 + 8 * static_cast<std::size_t>(slot);
  put32(offset, longitude_field);
  put32(offset + 4, latitude_word);
}

void TrackImage::set_point_count(std::int32_t count) {
  put32(0, static_cast<std::uint32_t>(count));
}

}  // namespace tracks
