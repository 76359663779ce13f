// Inputs past 4 GiB: sparse files whose points stand near the start, across
// the 2 GiB and 4 GiB marks and near the end, with nothing but zero bytes
// between them.  Zero bytes are line ends to the .plt reader and bytes
// between tags to the .gpx reader, so each file reads as a handful of points.
// The files cost no disk space.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/program_runner.h"

namespace tracks {
namespace {

constexpr std::int64_t k2GiB = std::int64_t{1} << 31;
constexpr std::int64_t k4GiB = std::int64_t{1} << 32;

// The walk of the other tests and one more point close to its last:
// 56.001, 38.001.
std::vector<ExpectedSlot> four_points() {
  std::vector<ExpectedSlot> slots = kThreePoints;
  slots.push_back({453369589, 668117954, false});
  return slots;
}

struct Piece {
  std::int64_t offset;
  std::string bytes;
};

class LargeInputTest : public ProgramTest {
 protected:
  void TearDown() override {
    if (!sparse_.empty()) std::filesystem::remove(sparse_);
    ProgramTest::TearDown();
  }

  // A sparse file with the pieces at their offsets, in a memory-backed
  // folder where one is at hand (reading holes there costs next to nothing).
  std::string make_sparse(const std::string& name,
                          const std::vector<Piece>& pieces) {
    std::string folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : dir_;
    sparse_ = folder + "/" + name + "-" + std::to_string(getpid());
    int fd = open(sparse_.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    EXPECT_GE(fd, 0);
    for (const Piece& piece : pieces) {
      EXPECT_EQ(static_cast<ssize_t>(piece.bytes.size()),
                pwrite(fd, piece.bytes.data(), piece.bytes.size(),
                       static_cast<off_t>(piece.offset)));
    }
    close(fd);
    return sparse_;
  }

  // The points are streamed, never held: a run over 4 GiB stays within a
  // few MiB.  (Under a launcher the peak would be the launcher's.)
  void expect_constant_memory(const ProgramRun& run) const {
    if (through_launcher()) return;
    EXPECT_LT(run.peak_rss_kib, 64 * 1024) << "KiB";
  }

  std::string sparse_;
};

TEST_F(LargeInputTest, PltPointsPast4GiB) {
  const std::string header =
      "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n"
      "Altitude is in Feet\r\nReserved 3\r\n0,2,255,Big,0,0,2,0\r\n4\r\n";
  // Each point line straddles its mark, so a position that wrapped at 2^31
  // or 2^32 would cut it.
  std::string file = make_sparse(
      "big.plt",
      {{0, header + "55.750000,37.620000\r\n"},
       {k2GiB - 8, "55.751000,37.621000\r\n"},
       {k4GiB - 8, "56.000000,38.000000\r\n"},
       {k4GiB + 1000000, "56.001000,38.001000\r\n"}});
  ProgramRun run = this->run({file, "out.bin"});
  EXPECT_EQ(0, run.status) << run.output;
  expect_constant_memory(run);
  EXPECT_EQ(progress(file, "out.bin", 1000) + kThreeTracks, run.output);
  EXPECT_EQ(expected_image(four_points()), read_file("out.bin"));
}

TEST_F(LargeInputTest, GpxPointsPast4GiB) {
  program_ = "Ralder";
  auto point = [](const char* lat, const char* lon) {
    return std::string("<trkpt lat=\"") + lat + "\" lon=\"" + lon +
           "\"><ele>1</ele></trkpt>\n";
  };
  std::string file = make_sparse(
      "big.gpx",
      {{0, "<?xml version=\"1.0\"?>\n<gpx><trk><trkseg>\n" +
               point("55.750000", "37.620000")},
       {k2GiB - 20, point("55.751000", "37.621000")},
       {k4GiB - 20, point("56.000000", "38.000000")},
       {k4GiB + 1000000,
        point("56.001000", "38.001000") + "</trkseg></trk></gpx>\n"}});
  ProgramRun run = this->run({file, "out.bin"});
  EXPECT_EQ(0, run.status) << run.output;
  expect_constant_memory(run);
  EXPECT_EQ(progress(file, "out.bin", 1000) + "Number of input points: 4 \n" +
                kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(four_points()), read_file("out.bin"));
}

}  // namespace
}  // namespace tracks
