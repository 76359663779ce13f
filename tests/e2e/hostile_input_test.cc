// Inputs no converter is made for: folders, empty and one-byte files, random
// bytes, and outputs that cannot be created.  Each ends with its message and
// a nonzero status, never a crash, and a failure before the output is opened
// leaves an existing output file byte for byte as it was.
#include <sys/stat.h>

#include <random>
#include <string>

#include "tests/e2e/program_runner.h"

namespace tracks {
namespace {

// What one program says to each kind of input.
struct Expected {
  const char* program;
  const char* suffix;
  int empty_status;  // for both the empty and the one-byte file
  const char* empty_message;
  int random_status;
  const char* random_message;
};

const Expected kPrograms[] = {
    {"Tarrow", ".plt", 2, "Input file read error!\n", 2,
     "Incorrect file format!\n"},
    {"Keswin", ".mps", 2, "Input file read error!\n", 2,
     "Incorrect file format!\n"},
    {"Ralder", ".gpx", 12,
     "Number of input points: 0 \nToo short input file!\n", 12,
     "Number of input points: 0 \nToo short input file!\n"},
};

// Random bytes, the same on every platform; no '<' so no tag can start.
std::string random_bytes(std::size_t n) {
  std::mt19937 generator(20261211);
  std::string bytes(n, '\0');
  for (char& byte : bytes) {
    do {
      byte = static_cast<char>(generator() & 0xFF);
    } while (byte == '<');
  }
  return bytes;
}

class HostileInputTest : public ProgramTest,
                         public testing::WithParamInterface<Expected> {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    program_ = GetParam().program;
    input_ = std::string("in") + GetParam().suffix;
  }

  std::string input_;
};

TEST_P(HostileInputTest, AFolderAsInput) {
  ASSERT_EQ(0, mkdir(path(input_).c_str(), 0755));
  write_file("out.bin", "earlier output");
  ProgramRun run = this->run({input_, "out.bin"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress(input_, "out.bin", 1000) + "Input file open error!\n",
            run.output);
  EXPECT_EQ("earlier output", read_file("out.bin"));
}

TEST_P(HostileInputTest, EmptyAndOneByteFiles) {
  for (const std::string bytes : {"", "\x01", "x", "\n"}) {
    expect_input_failure(input_, bytes, GetParam().empty_status,
                         GetParam().empty_message, "bytes: " + bytes);
  }
}

TEST_P(HostileInputTest, RandomBytes) {
  expect_input_failure(input_, random_bytes(64 * 1024 + 17),
                       GetParam().random_status, GetParam().random_message,
                       "random bytes");
}

INSTANTIATE_TEST_SUITE_P(Programs, HostileInputTest,
                         testing::ValuesIn(kPrograms),
                         [](const testing::TestParamInfo<Expected>& info) {
                           return std::string(info.param.program);
                         });

}  // namespace
}  // namespace tracks
