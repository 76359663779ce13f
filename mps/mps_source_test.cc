#include "mps/mps_source.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/run.h"
#include "tests/memory_stream.h"
#include "tests/mps_file.h"

namespace tracks {
namespace {

using mps_file::Semicircles;
using mps_file::header;
using mps_file::int32;
using mps_file::point;
using mps_file::record;
using mps_file::track;
using mps_file::track_front;
using namespace std::string_literals;

// Messages printed by a source, read back as text.
class CapturedConsole {
 public:
  CapturedConsole() : file_(std::tmpfile()), console_(file_) {}
  ~CapturedConsole() { std::fclose(file_); }
  Console& console() { return console_; }
  std::FILE* file() { return file_; }
  std::string text() {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    int c;
    while ((c = std::fgetc(file_)) != EOF) text += static_cast<char>(c);
    return text;
  }

 private:
  std::FILE* file_;
  Console console_;
};

// Exact degrees of a value in semicircles, by another route than the code's.
double degrees(std::int32_t semicircles) {
  return std::ldexp(static_cast<double>(semicircles), -31) * 180.0;
}

// ---- semicircles_to_degrees ----

struct DegreesCase {
  std::int32_t semicircles;
  double degrees;
};

void PrintTo(const DegreesCase& c, std::ostream* os) { *os << c.semicircles; }

class SemicirclesTest : public testing::TestWithParam<DegreesCase> {};

TEST_P(SemicirclesTest, ConvertsExactly) {
  EXPECT_EQ(GetParam().degrees, semicircles_to_degrees(GetParam().semicircles));
}

INSTANTIATE_TEST_SUITE_P(
    Values, SemicirclesTest,
    testing::Values(DegreesCase{0, 0.0},
                    DegreesCase{1, 180.0 / 2147483648.0},
                    DegreesCase{-1, -180.0 / 2147483648.0},
                    DegreesCase{1 << 30, 90.0},
                    DegreesCase{-(1 << 30), -90.0},
                    DegreesCase{INT32_MIN, -180.0},
                    DegreesCase{INT32_MAX, 180.0 - 180.0 / 2147483648.0},
                    DegreesCase{665123408, degrees(665123408)}));

// ---- check_header ----

struct HeaderCase {
  const char* name;
  std::string bytes;
  const char* message;  // nullptr: the header passes
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

class CheckHeaderTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(CheckHeaderTest, ChecksSixBytes) {
  const HeaderCase& c = GetParam();
  auto in = memory_stream(c.bytes);
  CapturedConsole out;
  MpsSource source(out.console());
  if (c.message == nullptr) {
    source.check_header(*in);
    EXPECT_EQ(6, in->tell());
    EXPECT_EQ(6, source.next_record_position());
    EXPECT_EQ(6, source.start_position(*in));
    EXPECT_EQ(MpsSource::no_track, source.track_state());
    return;
  }
  try {
    source.check_header(*in);
    FAIL() << "header accepted";
  } catch (const RunError& error) {
    EXPECT_EQ(2, error.status());
    EXPECT_STREQ(c.message, error.what());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CheckHeaderTest,
    testing::Values(
        HeaderCase{"exact", header(), nullptr},
        HeaderCase{"followed by records", header() + track("a", {}), nullptr},
        HeaderCase{"empty", "", "Input file read error!\n"},
        HeaderCase{"five bytes", "MsRcd", "Input file read error!\n"},
        HeaderCase{"lower case", std::string("msrcd\0", 6),
                   "Incorrect file format!\n"},
        HeaderCase{"one letter upper", std::string("MsRcD\0", 6),
                   "Incorrect file format!\n"},
        HeaderCase{"sixth byte not NUL", "MsRcd\x01",
                   "Incorrect file format!\n"},
        HeaderCase{"five bytes wrong", "MsRcx", "Input file read error!\n"}));

TEST(CheckHeaderTest, APipeCannotTellTheFirstRecord) {
  auto in = pipe_stream(header() + track("a", {{1, 2}, {3, 4}}));
  CapturedConsole out;
  MpsSource source(out.console());
  try {
    source.check_header(*in);
    FAIL() << "header accepted";
  } catch (const RunError& error) {
    EXPECT_EQ(2, error.status());
    EXPECT_STREQ("Input file tell error!\n", error.what());
  }
}

// ---- find_track_record ----

struct WalkStep {
  int result;
  std::int64_t next_position;  // next_record_position afterwards
  std::int64_t tell = -1;      // the input's position afterwards, if checked
};

struct WalkCase {
  std::string name;
  std::string records;  // after the header
  std::vector<WalkStep> steps;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class WalkTest : public testing::TestWithParam<WalkCase> {};

TEST_P(WalkTest, VisitsRecordsInOrder) {
  const WalkCase& c = GetParam();
  auto in = memory_stream(header() + c.records);
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const WalkStep& step = c.steps[i];
    EXPECT_EQ(step.result, source.find_track_record(*in)) << "step " << i;
    EXPECT_EQ(step.next_position, source.next_record_position())
        << "step " << i;
    if (step.tell >= 0) {
      EXPECT_EQ(step.tell, in->tell()) << "step " << i;
    }
  }
}

std::vector<WalkCase> walk_cases() {
  const std::string empty_track = track("a", {});  // 16 bytes
  const std::string hidden = record('W', track("x", {{1, 2}}));
  const std::int64_t after_hidden = 6 + static_cast<std::int64_t>(hidden.size());
  const std::int64_t beyond = 6 + std::int64_t{INT32_MAX} + 5;
  return {
      {"nothing after the header", "", {{-2, 6}, {-2, 6}}},
      {"length cut short", "\x03\x00", {{-2, 6}}},
      {"type byte missing", int32(3), {{-3, 14}, {-2, 14}}},
      {"zero-length records skip their type byte",
       record(0, 'T', "") + record(0, 'T', "") + empty_track,
       {{0, 32, 21}, {-2, 32}}},
      {"other types pass over their payload", hidden + empty_track,
       {{0, after_hidden + 16, after_hidden + 5}, {-2, after_hidden + 16}}},
      {"several track records", empty_track + hidden + empty_track,
       {{0, 22, 11}, {0, after_hidden + 32, after_hidden + 21}}},
      {"a length of -1 steps forward to the type byte",
       int32(-1) + empty_track, {{0, 26, 15}, {-2, 26}}},
      {"a length past the end of the file", int32(-4) + "W",
       {{-3, 7 + 0x57ffffff + 5}, {-2, 7 + 0x57ffffff + 5}}},
      {"a length of -5 ends the walk", record(-5, 'T', "") + empty_track,
       {{-4, 6}, {-4, 6}}},
      {"a length of -6 ends the walk", record(-6, 'W', "") + empty_track,
       {{-4, 6}}},
      {"the lowest length ends the walk",
       record(INT32_MIN, 'T', "") + empty_track, {{-4, 6}}},
      {"a negative length after a track", empty_track + record(-5, 'T', ""),
       {{0, 22, 11}, {-4, 22}, {-4, 22}}},
      {"a track record past 2^31 - 1 is the last", record(INT32_MAX, 'T', ""),
       {{0, beyond, 11}, {-1, beyond}, {-1, beyond}}},
      {"a position past 2^31 - 1 is not sought", record(INT32_MAX, 'W', ""),
       {{-1, beyond}}},
      {"a position of 2^31 - 1 is sought", record(INT32_MAX - 11, 'W', ""),
       {{-2, INT32_MAX}}},
  };
}

INSTANTIATE_TEST_SUITE_P(Records, WalkTest, testing::ValuesIn(walk_cases()));

// ---- parse_point ----

struct ParseCase {
  std::string name;
  std::string payload;  // the track record after its type byte
  std::vector<int> results;
  MpsSource::TrackState state;  // afterwards
  std::int32_t points_left;     // afterwards
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParsePointTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsePointTest, ReadsTheTrackRecord) {
  const ParseCase& c = GetParam();
  // The length field is never compared with what is read.
  auto in = memory_stream(header() + record(1, 'T', c.payload));
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  ASSERT_EQ(0, source.find_track_record(*in));
  TrackPoint point;
  for (std::size_t i = 0; i < c.results.size(); ++i) {
    EXPECT_EQ(c.results[i], source.parse_point(*in, point)) << "call " << i;
  }
  EXPECT_EQ(c.state, source.track_state());
  EXPECT_EQ(c.points_left, source.points_left());
  EXPECT_EQ("", out.text());
}

std::vector<ParseCase> parse_cases() {
  const std::string p = point({100, 200});
  const std::string name150(150, 'n');
  const std::string five("\x01\x00\x00\x00\x00", 5);
  using S = MpsSource::TrackState;
  return {
      {"empty name, no points", track_front("", 0), {1}, S::no_track, 0},
      {"name of 150 characters", track_front(name150, 1) + p, {0},
       S::no_track, 0},
      {"name of 151 characters", track_front(name150 + "n", 1) + p, {-3},
       S::track_found, 0},
      {"name cut short", "Track", {-2}, S::track_found, 0},
      {"five bytes cut short", "a\0\x01\x00"s, {-4}, S::track_found, 0},
      {"count cut short", "a\0"s + five + "\x01\x00", {-5}, S::track_found, 0},
      {"count -1", track_front("a", -1) + p, {-6}, S::track_found, -1},
      {"lowest count", track_front("a", INT32_MIN), {-6}, S::track_found,
       INT32_MIN},
      {"two points", track_front("a", 2) + p + p, {0, 0}, S::no_track, 0},
      {"latitude cut short", track_front("a", 2) + p + "\x01\x02\x03", {0, -7},
       S::in_points, 0},
      {"longitude cut short", track_front("a", 2) + p + int32(5) + "\x01",
       {0, -8}, S::in_points, 0},
      {"count beyond the points", track_front("a", 5) + p + p, {0, 0, -7},
       S::in_points, 2},
      {"tail of the last point cut", track_front("a", 2) + p + point({1, 2}, 4),
       {0, 0}, S::no_track, 0},
      {"tail cut before the last point", track_front("a", 3) + point({1, 2}, 0),
       {0, -7}, S::in_points, 1},
  };
}

INSTANTIATE_TEST_SUITE_P(Tracks, ParsePointTest,
                         testing::ValuesIn(parse_cases()));

TEST(ParsePointTest, NeedsAnOpenTrackRecord) {
  auto in = memory_stream(header() + track("a", {{1, 2}}));
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  TrackPoint point;
  EXPECT_EQ(-10, source.parse_point(*in, point));
  EXPECT_EQ(6, in->tell());  // nothing read
}

// ---- read_point ----

struct ReadCase {
  std::string name;
  std::string records;  // after the header
  std::vector<Semicircles> points;
  std::string messages;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadPointTest : public testing::TestWithParam<ReadCase> {};

// Reads every point, checking each against the expected sequence.
void expect_points(MpsSource& source, InputStream& in,
                   const std::vector<Semicircles>& points) {
  TrackPoint point;
  for (std::size_t i = 0; i < points.size(); ++i) {
    point.name[0] = 'x';
    point.name[159] = 'x';
    ASSERT_EQ(0, source.read_point(in, point)) << "point " << i;
    EXPECT_EQ(degrees(points[i].latitude), point.latitude) << "point " << i;
    EXPECT_EQ(degrees(points[i].longitude), point.longitude) << "point " << i;
    EXPECT_EQ('\0', point.name[0]);
    EXPECT_EQ('\0', point.name[159]);
  }
  EXPECT_EQ(-1, source.read_point(in, point));
}

TEST_P(ReadPointTest, DeliversThePointsOfTrackRecords) {
  const ReadCase& c = GetParam();
  auto in = memory_stream(header() + c.records);
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  expect_points(source, *in, c.points);
  EXPECT_EQ(c.messages, out.text());
}

std::vector<ReadCase> read_cases() {
  const Semicircles a{665123408, 448824082};
  const Semicircles b{INT32_MIN, INT32_MAX};
  const Semicircles c{-(1 << 30), 1 << 29};
  const Semicircles d{26, 0x57};  // read by the walk as length 26, type 'W'
  const std::string front = track_front("short", 3);
  const std::string error = "Track read error!\n";
  return {
      {"records of every kind, in file order",
       record('D', "d") + record(0, 'T', "") + track("one", {a, b}) +
           record('W', track("hidden", {c})) + track("", {}) +
           track("two", {c}) + record('V', "\x00\x01"s),
       {a, b, c},
       ""},
      {"only empty track records", track("a", {}) + track("b", {}), {}, ""},
      {"name of 150 characters", track(std::string(150, 'n'), {a, b}), {a, b},
       ""},
      {"name of 151 characters ends the input",
       track("a", {a}) + track(std::string(151, 'n'), {b}) + track("c", {c}),
       {a},
       error},
      {"latitude cut short",
       record('T', track_front("a", 3) + point(a) + point(b) + "\x01\x02"),
       {a, b},
       error},
      {"longitude cut short",
       record('T', track_front("a", 3) + point(a) + point(b) + int32(1)),
       {a, b},
       error},
      {"count beyond the points",
       record('T', track_front("a", 9) + point(a) + point(b)), {a, b}, error},
      {"tail of the last point cut",
       record('T', track_front("a", 2) + point(a) + point(b, 0)), {a, b}, ""},
      {"tail cut before the last point",
       record('T', track_front("a", 3) + point(a) + point(b, 7)), {a, b},
       error},
      {"negative count ends the input",
       track("a", {a}) + record('T', track_front("b", -1)) + track("c", {b}),
       {a},
       error},
      {"a length of -5 ends the input",
       track("a", {a}) + record(-5, 'T', "") + track("c", {b}), {a}, ""},
      {"the lowest length ends the input",
       track("a", {a}) + record(INT32_MIN, 'T', "") + track("c", {b}), {a},
       ""},
      {"a length field cut short ends the input",
       track("a", {a, b}) + "\x05\x00", {a, b}, ""},
      // The walk goes on inside the points just read: at the second point,
      // whose bytes pass for an other record of length 26, and so on.
      {"a length shorter than the contents",
       record(static_cast<std::int32_t>(front.size()) + 31, 'T',
              front + point(a) + point(d) + point(d)) +
           track("next", {c}),
       {a, d, d, c},
       ""},
  };
}

INSTANTIATE_TEST_SUITE_P(Files, ReadPointTest, testing::ValuesIn(read_cases()));

TEST(ReadPointTest, RestartGivesTheSameSequence) {
  const std::vector<Semicircles> points = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
  auto in = memory_stream(header() + track("a", {points[0], points[1]}) +
                          record('W', "xyz") +
                          track("b", {points[2], points[3]}));
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  TrackPoint point;
  // Stop in the middle of the second record, as a pass may.
  for (int i = 0; i < 3; ++i) ASSERT_EQ(0, source.read_point(*in, point));
  EXPECT_EQ(MpsSource::in_points, source.track_state());
  EXPECT_EQ(6, source.start_position(*in));
  source.restart(6);
  EXPECT_EQ(MpsSource::no_track, source.track_state());
  EXPECT_EQ(6, source.next_record_position());
  expect_points(source, *in, points);
  // And once more after the end.
  source.restart(6);
  expect_points(source, *in, points);
}

TEST(ReadPointTest, RecordsAcrossBufferBlocks) {
  // Large other records make the walk leave the buffered block; long tracks
  // make points straddle block edges.
  std::vector<Semicircles> expected;
  std::string records;
  for (int r = 0; r < 4; ++r) {
    std::vector<Semicircles> points;
    for (int i = 0; i < 3001; ++i) {
      points.push_back({r * 100000 + i, -(r * 100000 + i)});
    }
    expected.insert(expected.end(), points.begin(), points.end());
    records += track("t", points) + record('W', std::string(70001 + r, 'w'));
  }
  auto in = memory_stream(header() + records);
  CapturedConsole out;
  MpsSource source(out.console());
  source.check_header(*in);
  expect_points(source, *in, expected);
  source.restart(6);
  expect_points(source, *in, expected);
  EXPECT_EQ("", out.text());
}

// ---- through the core ----

// A source whose file is cut down between the two passes, as when another
// program rewrites it while Keswin runs.
class ShrinkingSource : public MpsSource {
 public:
  ShrinkingSource(Console& console, std::string path, std::uintmax_t size)
      : MpsSource(console), path_(std::move(path)), size_(size) {}
  void restart(std::int64_t start_position) override {
    std::filesystem::resize_file(path_, size_);
    MpsSource::restart(start_position);
  }

 private:
  std::string path_;
  std::uintmax_t size_;
};

struct ShrinkCase {
  std::string name;
  std::size_t cut;  // bytes of the track record left
  std::string messages;
};

void PrintTo(const ShrinkCase& c, std::ostream* os) { *os << c.name; }

class ConvertingPassTest : public testing::TestWithParam<ShrinkCase> {};

TEST_P(ConvertingPassTest, MissingPointsEndTheRunWithStatus13) {
  const ShrinkCase& c = GetParam();
  std::string dir =
      (std::filesystem::temp_directory_path() / "mps-test-XXXXXX").string();
  ASSERT_NE(nullptr, mkdtemp(dir.data()));
  const std::string input = dir + "/in.mps";
  const std::string output = dir + "/out.bin";
  // The first record is larger than the input buffer, so the second pass
  // must go back to the file for the track record.
  const std::string front = header() + record('W', std::string(70000, 'w'));
  {
    std::ofstream(input, std::ios::binary)
        << front + track("a", {{1 << 29, 1 << 28}, {2, 2}, {3, 3}});
    std::ofstream(output, std::ios::binary) << "keep me";
  }
  CapturedConsole out;
  ShrinkingSource source(out.console(), input, front.size() + c.cut);
  const ProgramInfo program = {"banner\n", "notice\n", "usage\n", false};
  EXPECT_EQ(13, run_converter(program, source, {input, output, "/d0"},
                              out.file()));
  EXPECT_EQ("Input  file: " + input + " \nOutput file: " + output +
                " \nTrack breaking distance: 0 \n" + c.messages,
            out.text());
  std::ifstream kept(output, std::ios::binary);
  std::stringstream bytes;
  bytes << kept.rdbuf();
  EXPECT_EQ("keep me", bytes.str());
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, ConvertingPassTest,
    testing::Values(
        ShrinkCase{"track record gone", 0,
                   "Input file read error (-1)!\nnum=3\n"},
        ShrinkCase{"second point cut", 16 + 31 + 6,
                   "Track 1 start at 45.000000 , 22.500000 \n"
                   "Track read error!\n"
                   "Input file read error (-1)!\nnum=2\n"}));

// ---- the sample in examples/ ----

// How examples/sample.mps is made: two walks with a waypoint between them,
// among the records MapSource writes before and after.
std::string sample_file() {
  std::vector<Semicircles> morning, evening;
  for (int i = 0; i < 12; ++i) {
    morning.push_back({560000000 + 2500 * i, 95000000 + 1800 * i + 40 * i * i});
  }
  for (int i = 0; i < 9; ++i) {
    evening.push_back({560400000 - 2200 * i, 95300000 + 2600 * i});
  }
  std::string waypoint =
      "Bridge\0"s + std::string(10, '\0') + int32(560200000) + int32(95150000);
  return header() + record('D', "d") + track("Morning walk", morning) +
         record('W', waypoint) + track("Evening walk", evening) +
         record('V', "\x00\x01"s);
}

TEST(SampleTest, ExampleFileFollowsItsRecipe) {
  std::ifstream file(TRACKS_SOURCE_DIR "/examples/sample.mps",
                     std::ios::binary);
  ASSERT_TRUE(file.good());
  std::stringstream bytes;
  bytes << file.rdbuf();
  EXPECT_EQ(sample_file(), bytes.str());
}

}  // namespace
}  // namespace tracks
