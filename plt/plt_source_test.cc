#include "plt/plt_source.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/decimal.h"
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
  std::string one_over = "1," + std::string(145, ' ') + "2.5" + "7";
  ASSERT_EQ(151u, one_over.size());
  auto in = memory_stream(padded + "\n" + late_comma + "\n" + one_over +
                          "\r\n1,2\n");
  PltSource source;
  TrackPoint point;
  ASSERT_EQ(0, source.parse_point(*in, point));
  EXPECT_EQ(55.5, point.latitude);
  EXPECT_EQ(37.5, point.longitude);
  EXPECT_EQ(1, source.parse_point(*in, point));
  ASSERT_EQ(0, source.parse_point(*in, point));
  EXPECT_EQ(2.5, point.longitude);
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

TEST(ReadPointTest, AFieldOfBlanksEndsAtTheLineEnd) {
  // Line ends are white space to a number, yet no number reaches into the
  // next line.
  auto in = memory_stream("55.5,  \r\n  37.5,1\n\t,\n-1,\r");
  PltSource source;
  TrackPoint point;
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(55.5, point.latitude);
  EXPECT_EQ(0.0, point.longitude);
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(37.5, point.latitude);
  EXPECT_EQ(1.0, point.longitude);
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(0.0, point.latitude);
  EXPECT_EQ(0.0, point.longitude);
  ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(-1.0, point.latitude);
  EXPECT_EQ(0.0, point.longitude);
  EXPECT_EQ(-1, source.read_point(*in, point));
}

// The line reader and the plain conversion of a kept line: what parse_point
// must give, whether it reads a line in place or through its buffer.
int reference_parse(InputStream& in, TrackPoint& point) {
  char line[kPltLineLimit + 1];
  int length = read_text_line(in, line, kPltLineLimit);
  if (length < 0) return -1;
  const char* comma = static_cast<const char*>(
      std::memchr(line, ',', static_cast<std::size_t>(length)));
  if (comma == nullptr) return 1;
  point.latitude = decimal_value(line);
  if (point.latitude > 100.0 || !(point.latitude >= -100.0)) return 3;
  point.longitude = decimal_value(comma + 1);
  if (point.longitude > 370.0 || !(point.longitude >= -370.0)) return 3;
  return 0;
}

// Lines of every length and shape, some straddling the edges of the
// stream's 64 KiB blocks, some longer than the limit.
std::string assorted_lines() {
  const char* fields[] = {
      "55.755831", "  -37.5", "100", "-100.0000000000000001", "100.00000000000002",
      "370", "370.0000000000001", "-369.99", "1e2", "0.1e3", "1.000001e2",
      "  \t", "", "abc", "1e400", "99.99999999999999999", "00000000000000000042",
      "12345678901234567890123", "3.7E1", ".5", "-", "55.5e"};
  const char* line_ends[] = {"\r\n", "\n", "\r"};
  std::string bytes;
  std::uint32_t state = 7;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  const std::size_t n = sizeof fields / sizeof *fields;
  for (int i = 0; bytes.size() < 300000; ++i) {
    std::string line = fields[next() % n];
    if (next() % 8 != 0) line += ',';
    line += fields[next() % n];
    if (next() % 2 == 0) line += ",0, 510.8,45449.2500115,06-Jun-24, 06:00:01";
    // Now and then pad the line towards and past the limit, often so that
    // its last number runs across the 150th character.
    if (next() % 5 == 0) line = std::string(next() % 150, ' ') + line;
    if (next() % 5 == 0 && line.size() < 140) {
      line = "1," + std::string(140 - line.size(), ' ') + line;
      line += std::string(next() % 4, '7');
      line.insert(0, 6 + next() % 6, '0');
    }
    bytes += line;
    bytes += next() % 4 == 3 ? std::string(1, '\0') : line_ends[next() % 3];
  }
  return bytes;
}

TEST(ReadPointTest, ReadsLinesInPlaceAsThroughTheLineBuffer) {
  std::string bytes = assorted_lines();
  auto in = memory_stream(bytes);
  auto reference = memory_stream(bytes);
  PltSource source;
  TrackPoint point;
  TrackPoint expected;
  for (int line = 0;; ++line) {
    int result = reference_parse(*reference, expected);
    ASSERT_EQ(result, source.parse_point(*in, point)) << "line " << line;
    ASSERT_EQ(reference->tell(), in->tell()) << "line " << line;
    if (result < 0) break;
    if (result == 0) {
      ASSERT_EQ(0, std::memcmp(&expected.latitude, &point.latitude,
                               sizeof(double))) << "line " << line;
      ASSERT_EQ(0, std::memcmp(&expected.longitude, &point.longitude,
                               sizeof(double))) << "line " << line;
    }
  }
}

TEST(SkipPointTest, AgreesWithReadPoint) {
  std::string bytes = assorted_lines() + "1,2\nlast,cut";
  auto in = memory_stream(bytes);
  auto reference = memory_stream(bytes);
  PltSource source;
  TrackPoint point;
  int points = 0;
  for (;;) {
    int result = source.read_point(*reference, point);
    ASSERT_EQ(result, source.skip_point(*in)) << "point " << points;
    ASSERT_EQ(reference->tell(), in->tell()) << "point " << points;
    if (result < 0) break;
    ++points;
  }
  EXPECT_GT(points, 1000);
  EXPECT_EQ(-1, source.skip_point(*in));
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
