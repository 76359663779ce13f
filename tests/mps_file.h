// Assembles .mps files for tests, record by record.
#ifndef TRACKS_TESTS_MPS_FILE_H_
#define TRACKS_TESTS_MPS_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tracks::mps_file {

// A point as stored: latitude and longitude in semicircles.
struct Semicircles {
  std::int32_t latitude;
  std::int32_t longitude;
};

inline std::string int32(std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
  return bytes;
}

inline std::string header() { return std::string("MsRcd\0", 6); }

// A record whose length field says `length`, whatever the payload holds.
inline std::string record(std::int32_t length, char type,
                          const std::string& payload) {
  return int32(length) + type + payload;
}

// A record whose length is its payload's.
inline std::string record(char type, const std::string& payload) {
  return record(static_cast<std::int32_t>(payload.size()), type, payload);
}

// One 31-byte point; `tail` of the 23 trailing bytes are kept.
inline std::string point(Semicircles p, std::size_t tail = 23) {
  std::string bytes = int32(p.latitude) + int32(p.longitude);
  for (std::size_t i = 0; i < tail && i < 23; ++i) {
    bytes += static_cast<char>(0xA0 + i);  // anything but zeros
  }
  return bytes;
}

// The payload of a track record up to and including its point count.
inline std::string track_front(const std::string& name, std::int32_t count) {
  return name + '\0' + std::string("\x01\x00\x00\x00\x00", 5) + int32(count);
}

// A whole track record with its points, its length matching.
inline std::string track(const std::string& name,
                         const std::vector<Semicircles>& points) {
  std::string payload =
      track_front(name, static_cast<std::int32_t>(points.size()));
  for (const Semicircles& p : points) payload += point(p);
  return record('T', payload);
}

}  // namespace tracks::mps_file

#endif  // TRACKS_TESTS_MPS_FILE_H_
