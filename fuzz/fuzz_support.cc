#include "fuzz/fuzz_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace tracks::fuzz {

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

std::unique_ptr<InputStream> file_stream(const std::uint8_t* data,
                                         std::size_t size) {
  int fd = memfd_create("fuzz-input", 0);
  require(fd >= 0, "memfd_create");
  require(write(fd, data, size) == static_cast<ssize_t>(size), "memfd write");
  require(lseek(fd, 0, SEEK_SET) == 0, "memfd rewind");
  std::FILE* file = fdopen(fd, "rb");
  require(file != nullptr, "fdopen");
  return std::make_unique<InputStream>(file);
}

std::string file_on_disk(const std::uint8_t* data, std::size_t size,
                         const char* suffix) {
  std::string path = "/dev/shm/tracks-fuzz-" + std::to_string(getpid()) + suffix;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  require(file != nullptr, "create input file");
  require(std::fwrite(data, 1, size, file) == size, "write input file");
  std::fclose(file);
  return path;
}

std::FILE* null_output() {
  static std::FILE* out = std::fopen("/dev/null", "w");
  return out;
}

std::int64_t check_two_passes(InputStream& input, PointSource& source,
                              double latitude_bound, double longitude_bound,
                              bool end_is_final) {
  std::int64_t start = source.start_position(input);
  require(start >= 0, "a regular file tells where its points begin");

  std::vector<std::pair<double, double>> first;
  TrackPoint point;
  while (source.read_point(input, point) == 0) {
    require(point.name[0] == '\0' && point.name[159] == '\0', "name cleared");
    require(point.latitude >= -latitude_bound &&
                point.latitude <= latitude_bound,
            "latitude within bounds");
    require(point.longitude >= -longitude_bound &&
                point.longitude <= longitude_bound,
            "longitude within bounds");
    first.emplace_back(point.latitude, point.longitude);
  }
  if (end_is_final) {
    require(source.read_point(input, point) < 0, "end of input is final");
  }

  require(input.seek(start), "seek back on a regular file");
  source.restart(start);
  for (const auto& [latitude, longitude] : first) {
    require(source.read_point(input, point) == 0, "second pass has the point");
    require(std::memcmp(&point.latitude, &latitude, sizeof latitude) == 0 &&
                std::memcmp(&point.longitude, &longitude, sizeof longitude) ==
                    0,
            "second pass gives the same point");
  }
  require(source.read_point(input, point) < 0, "second pass ends alike");

  // Passing over the points without their coordinates finds the same ones,
  // stopping at the same places.
  require(input.seek(start), "seek back for the skipping pass");
  source.restart(start);
  std::vector<std::int64_t> read_positions;
  for (std::size_t i = 0; i < first.size(); ++i) {
    source.read_point(input, point);
    read_positions.push_back(input.tell());
  }
  require(input.seek(start), "seek back once more");
  source.restart(start);
  for (std::int64_t position : read_positions) {
    require(source.skip_point(input) == 0, "skip_point finds the point");
    require(input.tell() == position, "skip_point stops where read_point does");
  }
  require(source.skip_point(input) < 0, "skip_point ends alike");
  return static_cast<std::int64_t>(first.size());
}

}  // namespace tracks::fuzz
