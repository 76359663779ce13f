#include "plt/plt_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/memory_stream.h"

namespace tracks {
namespace {

// ---- read_text_line ----

struct LineCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> lines;  // what successive calls give before -1
};

// Keeps test names short and readable.
void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadTextLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ReadTextLineTest, SplitsLines) {
  const LineCase& c = GetParam();
  auto in = memory_stream(c.bytes);
  char buffer[kPltLineLimit + 10];
  for (const std::string& expected : c.lines) {
    int n = read_text_line(*in, buffer, kPltLineLimit);
    ASSERT_EQ(static_cast<int>(expected.size()), n) << c.name;
    EXPECT_EQ(expected, std::string(buffer)) << c.name;
  }
  EXPECT_EQ(-1, read_text_line(*in, buffer, kPltLineLimit)) << c.name;
  EXPECT_EQ(-1, read_text_line(*in, buffer, kPltLineLimit)) << c.name;
}

const std::string k150(150, 'x');

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadTextLineTest,
    testing::Values(
        LineCase{"empty", "", {}},
        LineCase{"only line ends", std::string("\r\n\0\n\r", 5), {}},
        LineCase{"lf", "a\nbc\n", {"a", "bc"}},
        LineCase{"crlf", "a\r\nbc\r\n", {"a", "bc"}},
        LineCase{"cr", "a\rbc\r", {"a", "bc"}},
        LineCase{"nul", std::string("a\0bc\0", 6), {"a", "bc"}},
        LineCase{"blank lines anywhere", "\n\r\na\n\n\r\nb\n\n", {"a", "b"}},
        LineCase{"blanks are text", "  \n\t\n", {"  ", "\t"}},
        LineCase{"no final line end", "a\nbc", {"a"}},
        LineCase{"other bytes are text", "\x1a\xff\xfe\t;\n",
                 {"\x1a\xff\xfe\t;"}},
        LineCase{"exactly the limit", k150 + "\r\nz\n", {k150, "z"}},
        LineCase{"limit without line end", k150, {}},
        LineCase{"longer lines are cut", k150 + "yyyy\r\nz\n", {k150, "z"}},
        LineCase{"cut line without line end", k150 + "yyyy", {}},
        LineCase{"one past the limit", k150 + "y\n", {k150}}));

TEST(ReadTextLineTest, LinesAcrossBufferBlocks) {
  // Lines of 149 characters straddle every 64 KiB block edge somewhere.
  std::string bytes;
  std::string line(149, 'q');
  for (int i = 0; i < 2000; ++i) bytes += line + "\r\n";
  auto in = memory_stream(bytes);
  char buffer[kPltLineLimit + 1];
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(149, read_text_line(*in, buffer, kPltLineLimit)) << i;
    ASSERT_EQ(line, std::string(buffer)) << i;
  }
  EXPECT_EQ(-1, read_text_line(*in, buffer, kPltLineLimit));
}

// ---- parse_point ----

struct PointCase {
  std::string line;  // without its line end
  int result;
  double latitude;
  double longitude;
};

void PrintTo(const PointCase& c, std::ostream* os) { *os << c.line; }

class ParsePointTest : public testing::TestWithParam<PointCase> {};

TEST_P(ParsePointTest, Classifies) {
  const PointCase& c = GetParam();
  auto in = memory_stream(c.line + "\r\n");
  PltSource source;
  TrackPoint point;
  point.name[0] = 'x';
  point.name[159] = 'x';
  ASSERT_EQ(c.result, source.parse_point(*in, point)) << c.line;
  if (c.result != 0) return;
  EXPECT_EQ(c.latitude, point.latitude) << c.line;
  EXPECT_EQ(c.longitude, point.longitude) << c.line;
  EXPECT_EQ('\0', point.name[0]);
  EXPECT_EQ('\0', point.name[159]);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParsePointTest,
    testing::Values(
        PointCase{"55.75,37.62", 0, 55.75, 37.62},
        PointCase{"  55.5,\t37.5,0,300,40000.5,x,y", 0, 55.5, 37.5},
        PointCase{"-33.9,-70.6", 0, -33.9, -70.6},
        PointCase{"5.5e1,3.7E1", 0, 55.0, 37.0},
        PointCase{",37.5", 0, 0.0, 37.5},
        PointCase{"north,east", 0, 0.0, 0.0},
        PointCase{"55.75;37.62", 1, 0, 0},
        PointCase{"    ", 1, 0, 0},
        // Bounds belong to the range.
        PointCase{"100,370", 0, 100.0, 370.0},
        PointCase{"-100,-370", 0, -100.0, -370.0},
        PointCase{"100.000001,0", 3, 0, 0},
        PointCase{"-100.000001,0", 3, 0, 0},
        PointCase{"0,370.000001", 3, 0, 0},
        PointCase{"0,-370.000001", 3, 0, 0},
        PointCase{"1e400,0", 3, 0, 0},
        PointCase{"0,-1e400", 3, 0, 0},
        PointCase{"-1e-400,5", 0, -0.0, 5.0},
        PointCase{"nan,5", 0, 0.0, 5.0}));

TEST(ParsePointTest, KeepsOnly150Characters) {
  // A longitude whose digits run past the 150th character is read from the
  // digits kept; a comma past it is not seen.
  std::string padded = "55.5," + std::string(141, ' ') + "37.56789";
  ASSERT_EQ(154u, padded.size());
  std::string late_comma = std::string(150, '1') + ",5";
  auto in = memory_stream(padded + "\n" + late_comma + "\n1,2\n");
  PltSource source;
  TrackPoint point;
  ASSERT_EQ(0, source.parse_point(*in, point));
  EXPECT_EQ(55.5, point.latitude);
  EXPECT_EQ(37.5, point.longitude);
  EXPECT_EQ(1, source.parse_point(*in, point));
  ASSERT_EQ(0, source.parse_point(*in, point));
  EXPECT_EQ(1.0, point.latitude);
  EXPECT_EQ(-1, source.parse_point(*in, point));
}

TEST(ReadPointTest, SkipsLinesThatAreNoPoint) {
  auto in = memory_stream("a\n1,2\n\n;\n500,1\n3,4\nlast,cut");
  PltSource source;
  TrackPoint point;
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(1.0, point.latitude);
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(3.0, point.latitude);
  EXPECT_EQ(-1, source.read_point(*in, point));
  EXPECT_EQ(-1, source.read_point(*in, point));
}

// ---- check_header ----

int header_status(const std::string& bytes, std::string* message,
                  std::int64_t* position = nullptr) {
  auto in = memory_stream(bytes);
  PltSource source;
  try {
    source.check_header(*in);
  } catch (const RunError& error) {
    *message = error.what();
    return error.status();
  }
  if (position != nullptr) *position = in->tell();
  return 0;
}

TEST(CheckHeaderTest, LeavesTheStreamAtTheFirstPoint) {
  std::string message;
  std::int64_t position = -1;
  std::string header =
      "\r\nOziExplorer Track Point File Version 2.1\r\n"
      "WGS 84\r\n\r\n  \r\nReserved\n0,2,255,Track\r3\r\n";
  ASSERT_EQ(0, header_status(header + "1,2\r\n", &message, &position));
  EXPECT_EQ(static_cast<std::int64_t>(header.size()) - 1, position);
}

}  // namespace
}  // namespace tracks
