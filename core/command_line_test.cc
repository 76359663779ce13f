#include "core/command_line.h"

#include <gtest/gtest.h>

namespace tracks {
namespace {

struct CommandLineCase {
  std::vector<std::string> args;
  bool ok;
  std::string input;
  std::string output;
  std::int32_t distance;
};

// Keeps test names short and readable.
void PrintTo(const CommandLineCase& c, std::ostream* os) {
  for (const std::string& arg : c.args) *os << "[" << arg << "]";
}

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, Reads) {
  const CommandLineCase& c = GetParam();
  Settings settings;
  ASSERT_EQ(c.ok, parse_command_line(c.args, settings));
  if (!c.ok) return;
  EXPECT_EQ(c.input, settings.input_name);
  EXPECT_EQ(c.output, settings.output_name);
  EXPECT_EQ(c.distance, settings.break_distance);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    testing::Values(
        CommandLineCase{{}, false, "", "", 0},
        CommandLineCase{{"a.plt"}, true, "a.plt", "Tracks.bin", 1000},
        CommandLineCase{{"a.plt", "b.bin"}, true, "a.plt", "b.bin", 1000},
        CommandLineCase{{"a", "b", "c"}, false, "", "", 0},
        // Options anywhere, either prefix, either case; the last one wins.
        CommandLineCase{{"/d500", "a"}, true, "a", "Tracks.bin", 500},
        CommandLineCase{{"a", "/D500", "b"}, true, "a", "b", 500},
        CommandLineCase{{"a", "b", "-d500"}, true, "a", "b", 500},
        CommandLineCase{{"-D500", "a"}, true, "a", "Tracks.bin", 500},
        CommandLineCase{{"/d5", "a", "/d7"}, true, "a", "Tracks.bin", 7},
        // Unknown options end in the usage text, even after good arguments.
        CommandLineCase{{"a", "b", "/x"}, false, "", "", 0},
        CommandLineCase{{"a", "-q5"}, false, "", "", 0},
        CommandLineCase{{"/"}, false, "", "", 0},
        CommandLineCase{{"a", "-"}, false, "", "", 0},
        // An absolute path is a name, not an option.
        CommandLineCase{{"/home/me/walk.plt"}, true, "/home/me/walk.plt",
                        "Tracks.bin", 1000},
        CommandLineCase{{"/data/walk.plt", "/d5", "/tmp/out.bin"}, true,
                        "/data/walk.plt", "/tmp/out.bin", 5},
        CommandLineCase{{"-d/5", "a"}, true, "a", "Tracks.bin", 0},
        // An empty argument leaves its name empty for the next one.
        CommandLineCase{{"", "a"}, true, "a", "Tracks.bin", 1000},
        CommandLineCase{{"/d5"}, true, "", "Tracks.bin", 5}));

struct DistanceCase {
  const char* text;
  std::int32_t value;
};

void PrintTo(const DistanceCase& c, std::ostream* os) { *os << c.text; }

class DistanceOptionTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(DistanceOptionTest, Parses) {
  EXPECT_EQ(GetParam().value, parse_break_distance(GetParam().text))
      << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DistanceOptionTest,
    testing::Values(DistanceCase{"500", 500}, DistanceCase{"", 0},
                    DistanceCase{"abc", 0}, DistanceCase{"-20", -20},
                    DistanceCase{"+20", 20}, DistanceCase{" 250", 250},
                    DistanceCase{"\t250", 250}, DistanceCase{"250m", 250},
                    DistanceCase{"2 5", 2}, DistanceCase{"- 5", 0},
                    DistanceCase{"2147483647", 2147483647},
                    DistanceCase{"2147483648", 2147483647},
                    DistanceCase{"-2147483648", -2147483647 - 1},
                    DistanceCase{"-2147483649", -2147483647 - 1},
                    DistanceCase{"99999999999", 2147483647},
                    DistanceCase{"-99999999999", -2147483647 - 1},
                    DistanceCase{"000000000000000000000042", 42},
                    DistanceCase{"99999999999999999999999999999999",
                                 2147483647}));

}  // namespace
}  // namespace tracks
