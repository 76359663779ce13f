#include "core/point_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/memory_stream.h"

namespace tracks {
namespace {

// ---- longitude_scale and exceeds_break_distance ----

TEST(LongitudeScaleTest, MatchesTheSphere) {
  const std::pair<int, double> rows[] = {
      {0, 111195.48514992}, {1, 111178.54953894}, {2, 111127.74786477},
      {30, 96298.11492597}, {45, 78627.08158684}, {60, 55597.74257496},
      {88, 3880.66646732},  {89, 1940.62880083},  {90, 0.0}};
  for (auto [i, value] : rows) EXPECT_EQ(value, longitude_scale[i]) << i;
  // Every entry is the sphere's value to 8 decimals; none is mistyped.
  for (int i = 0; i <= 90; ++i) {
    double expected = 6371032.0 * M_PI / 180.0 * std::cos(i * M_PI / 180.0);
    EXPECT_NEAR(expected, longitude_scale[i], 6e-9) << i;
  }
}

struct DistanceCase {
  double lat1, lon1, lat2, lon2, distance;
  int expected;
};

// Keeps test names short and readable.
void PrintTo(const DistanceCase& c, std::ostream* os) {
  *os << c.lat1 << "," << c.lon1 << " to " << c.lat2 << "," << c.lon2;
}

class BreakDistanceTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(BreakDistanceTest, ComparesThePlaneDistance) {
  const DistanceCase& c = GetParam();
  EXPECT_EQ(c.expected,
            exceeds_break_distance(c.lat1, c.lon1, c.lat2, c.lon2, c.distance))
      << c.lat1 << "," << c.lon1 << " -> " << c.lat2 << "," << c.lon2;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BreakDistanceTest,
    testing::Values(
        // One meridian: 1000.76 m breaks, 989.6 m does not.
        DistanceCase{55.0, 37.0, 55.009, 37.0, 1000, 1},
        DistanceCase{55.0, 37.0, 55.0089, 37.0, 1000, 0},
        DistanceCase{55.009, 37.0, 55.0, 37.0, 1000, 1},
        // Latitude 60: 945 m does not break, 1000.8 m does.
        DistanceCase{60.0, 0.0, 60.0, 0.017, 1000, 0},
        DistanceCase{60.0, 0.0, 60.0, 0.018, 1000, 1},
        DistanceCase{60.0, 0.018, 60.0, 0.0, 1000, 1},
        // Neither axis alone, but the diagonal: 700 m and 720 m.
        DistanceCase{0.0, 0.0, 0.0062952, 0.0064751, 1000, 1},
        DistanceCase{0.0, 0.0, 0.0050, 0.0050, 1000, 0},
        // The longitude difference is not folded across 180 degrees.
        DistanceCase{10.0, 179.99, 10.0, -179.99, 1000, 1},
        DistanceCase{89.6, 179.99, 89.6, -179.99, 1000, 0},
        // Index above 89 from a mean of 89.5 up (or below -89.5): only the
        // north-south distance counts; -89.5 itself rounds to 89.
        DistanceCase{89.5, 0.0, 89.5, 1.0, 1000, 0},
        DistanceCase{-89.6, 0.0, -89.6, 1.0, 1000, 0},
        DistanceCase{-89.5, 0.0, -89.5, 1.0, 1000, 1},
        DistanceCase{-89.5, 0.0, -89.5, 0.5, 1000, 0},
        // Same point: nothing to break.
        DistanceCase{55.0, 37.0, 55.0, 37.0, 1, 0}));

TEST(BreakDistanceTest, ExactlyTheDistanceIsNoBreak) {
  for (double dlat : {0.009, 0.0123, 1.0, 0.5}) {
    double ns = std::fabs(dlat - 0.0) * kMetresPerDegreeLatitude;
    EXPECT_EQ(0, exceeds_break_distance(0.0, 5.0, dlat, 5.0, ns)) << dlat;
    EXPECT_EQ(1, exceeds_break_distance(0.0, 5.0, dlat, 5.0,
                                        std::nextafter(ns, 0.0)))
        << dlat;
  }
}

// The test written out plainly, step by step, without the shortcut that
// exceeds_break_distance takes for pairs well within the distance.
int plain_break_test(double lat1, double lon1, double lat2, double lon2,
                     double distance) {
  double ns = std::fabs(lat2 - lat1) * kMetresPerDegreeLatitude;
  if (ns > distance) return 1;
  double mean = std::floor((lat1 + lat2) * 0.5 + 0.5);
  double ew = 0.0;
  if (std::fabs(mean) <= 89.0) {
    ew = std::fabs(lon2 - lon1) *
         longitude_scale[static_cast<int>(std::fabs(mean))];
  }
  if (ew > distance) return 1;
  return distance * distance >= ns * ns + ew * ew ? 0 : 1;
}

TEST(BreakDistanceTest, ShortcutAgreesNearTheDistance) {
  std::uint64_t state = 99;
  auto uniform = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  int breaks = 0;
  for (int i = 0; i < 200000; ++i) {
    double lat1 = uniform() * 180.0 - 90.0;
    double lon1 = uniform() * 360.0 - 180.0;
    double distance = std::floor(uniform() * 3000.0) + 1.0;
    // Aim at the distance in some direction, missing it by very little.
    double angle = uniform() * 6.283185307179586;
    double reach = distance * (1.0 + (uniform() - 0.5) * 1e-9);
    double lat2 = lat1 + reach * std::cos(angle) / kMetresPerDegreeLatitude;
    double scale = longitude_scale[static_cast<int>(std::fabs(lat1))];
    double lon2 = lon1 + (scale > 0 ? reach * std::sin(angle) / scale : 0.0);
    int expected = plain_break_test(lat1, lon1, lat2, lon2, distance);
    breaks += expected;
    ASSERT_EQ(expected,
              exceeds_break_distance(lat1, lon1, lat2, lon2, distance))
        << lat1 << " " << lon1 << " " << lat2 << " " << lon2 << " "
        << distance;
  }
  // Both answers came up often.
  EXPECT_GT(breaks, 20000);
  EXPECT_LT(breaks, 180000);
}

// ---- select_points with a scripted source ----

// Yields the points of a list; the converting pass can be told to fail at
// some points or to run out early, the way a file changed under the run.
class ScriptedSource : public PointSource {
 public:
  explicit ScriptedSource(std::vector<std::pair<double, double>> points)
      : points_(std::move(points)) {}

  void check_header(InputStream&) override {}
  int read_point(InputStream&, TrackPoint& point) override {
    std::size_t i = next_++;
    if (pass_ == 2 && failing_.count(i) != 0) return -7;
    std::size_t available = pass_ == 2 && second_pass_points_
                                ? *second_pass_points_
                                : points_.size();
    if (i >= available) return -1;
    clear_name(point);
    point.latitude = points_[i].first;
    point.longitude = points_[i].second;
    return 0;
  }
  void restart(std::int64_t) override {
    pass_ = 2;
    next_ = 0;
  }

  std::set<std::size_t> failing_;
  std::optional<std::size_t> second_pass_points_;

 private:
  std::vector<std::pair<double, double>> points_;
  std::size_t next_ = 0;
  int pass_ = 1;
};

struct Outcome {
  int status = 0;  // 0 when select_points returned
  std::string output;
  std::int32_t stored = 0;
};

Outcome select(PointSource& source, std::int32_t break_distance,
               TrackImage& image, bool report_count = false,
               std::unique_ptr<InputStream> in = nullptr) {
  if (!in) in = memory_stream("");
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  Console console(out);
  PointSelection selection(image, console, break_distance);
  Outcome outcome;
  try {
    selection.select_points(*in, source, report_count);
  } catch (const RunError& error) {
    outcome.status = error.status();
    console.print("%s", error.what());
  }
  std::fclose(out);
  outcome.output.assign(buffer, size);
  std::free(buffer);
  outcome.stored = selection.stored_count();
  return outcome;
}

std::uint32_t word(const TrackImage& image, std::size_t offset) {
  const auto& b = image.bytes();
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
         static_cast<std::uint32_t>(b[offset + 3]) << 24;
}
std::int32_t longitude_field(const TrackImage& image, int slot) {
  return static_cast<std::int32_t>(word(image, 8 + 8 * slot));
}
std::uint32_t latitude_word(const TrackImage& image, int slot) {
  return word(image, 12 + 8 * slot);
}
bool starts_track(const TrackImage& image, int slot) {
  return (latitude_word(image, slot) & 0x80000000u) != 0;
}

// Points whose longitude in thousandths of a degree is their input index.
std::vector<std::pair<double, double>> indexed_points(std::size_t n) {
  std::vector<std::pair<double, double>> points(n);
  for (std::size_t i = 0; i < n; ++i) points[i] = {10.0, i * 0.001};
  return points;
}
std::int64_t index_in_slot(const TrackImage& image, int slot) {
  return std::llround(longitude_field(image, slot) * 180.0 / 2147483648.0 /
                      0.001);
}

TEST(SelectPointsTest, FewerThanTwoPointsIsTooShort) {
  for (std::size_t n : {0, 1}) {
    ScriptedSource source(indexed_points(n));
    TrackImage image;
    Outcome outcome = select(source, 1000, image, /*report_count=*/true);
    EXPECT_EQ(12, outcome.status);
    EXPECT_EQ("Number of input points: " + std::to_string(n) +
                  " \nToo short input file!\n",
              outcome.output);
  }
}

TEST(SelectPointsTest, TwoPointsMakeOneTrack) {
  ScriptedSource source({{55.5, 37.25}, {55.5001, 37.2501}});
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ("Track 1 start at 55.500000 , 37.250000 \n", outcome.output);
  EXPECT_EQ(2, outcome.stored);
  EXPECT_EQ(coordinate_code(37.25), longitude_field(image, 0));
  EXPECT_EQ(0x80000000u | coordinate_code(55.5), latitude_word(image, 0));
  EXPECT_EQ(static_cast<std::uint32_t>(coordinate_code(55.5001)),
            latitude_word(image, 1));
  for (std::size_t i = 24; i < TrackImage::kSize; ++i) {
    ASSERT_EQ(0, image.bytes()[i]) << i;
  }
}

TEST(SelectPointsTest, LatitudeWordsWrapWithin31Bits) {
  ScriptedSource source({{-45, 190}, {-45, -170}, {90, 180}, {-90, -180}});
  TrackImage image;
  ASSERT_EQ(0, select(source, 0, image).status);
  EXPECT_EQ(0x80000000u + 3u * (1u << 29), latitude_word(image, 0));
  EXPECT_EQ(3u * (1u << 29), latitude_word(image, 1));
  EXPECT_EQ(longitude_field(image, 0), longitude_field(image, 1));
  EXPECT_EQ(1u << 30, latitude_word(image, 2));
  EXPECT_EQ(1u << 30, latitude_word(image, 3));
  EXPECT_EQ(INT32_MIN, longitude_field(image, 2));
  EXPECT_EQ(INT32_MIN, longitude_field(image, 3));
}

struct ThinningCase {
  std::size_t n;
  std::int32_t stored;
};

void PrintTo(const ThinningCase& c, std::ostream* os) { *os << c.n; }

class ThinningTest : public testing::TestWithParam<ThinningCase> {};

TEST_P(ThinningTest, StoresAtMost9996) {
  const std::size_t n = GetParam().n;
  ScriptedSource source(indexed_points(n));
  TrackImage image;
  Outcome outcome = select(source, 0, image);
  ASSERT_EQ(0, outcome.status) << outcome.output;
  EXPECT_EQ(GetParam().stored, outcome.stored);
  // Input order is kept, and the skipping is even from the start: after the
  // first stored point, every gap is the skip until the excess is gone.
  std::int64_t excess = n > 9996 ? static_cast<std::int64_t>(n) - 9996 : 0;
  std::int64_t skip = (excess + 9994) / 9995;
  std::int64_t expected = 0;
  for (int slot = 0; slot < outcome.stored; ++slot) {
    ASSERT_EQ(expected, index_in_slot(image, slot)) << "slot " << slot;
    expected += 1;
    if (excess > 0) {
      expected += skip;
      excess -= skip;
    }
  }
  EXPECT_EQ(static_cast<std::int64_t>(n), expected);
  for (std::size_t i = 8 + 8 * 9996; i < TrackImage::kSize; ++i) {
    ASSERT_EQ(0, image.bytes()[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ThinningTest,
    testing::Values(ThinningCase{2, 2}, ThinningCase{9996, 9996},
                    ThinningCase{9997, 9996}, ThinningCase{10000, 9996},
                    ThinningCase{19991, 9996}, ThinningCase{19992, 9996},
                    ThinningCase{19993, 9995}, ThinningCase{30001, 9994},
                    ThinningCase{100000, 9990}));

TEST(SelectPointsTest, TenThousandSkipsTheSecondFourthSixthAndEighth) {
  ScriptedSource source(indexed_points(10000));
  TrackImage image;
  ASSERT_EQ(9996, select(source, 0, image).stored);
  const std::int64_t first[] = {0, 2, 4, 6, 8, 9, 10, 11};
  for (int slot = 0; slot < 8; ++slot) {
    EXPECT_EQ(first[slot], index_in_slot(image, slot));
  }
}

TEST(SelectPointsTest, BreaksStartNewTracks) {
  // 0-1 close, 1-2 far apart, 2-3 close, 3-4 far apart.
  ScriptedSource source(
      {{50.0, 10.0}, {50.001, 10.0}, {51.0, 10.0}, {51.001, 10.0}, {52, 10}});
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  EXPECT_EQ(
      "Track 1 start at 50.000000 , 10.000000 \n"
      "Track 2 start at 51.000000 , 10.000000 \n"
      "Track 3 start at 52.000000 , 10.000000 \n",
      outcome.output);
  const bool starts[] = {true, false, true, false, true};
  for (int slot = 0; slot < 5; ++slot) {
    EXPECT_EQ(starts[slot], starts_track(image, slot)) << slot;
  }
}

TEST(SelectPointsTest, BreakingOffGivesOneTrack) {
  for (std::int32_t distance : {0, -20}) {
    ScriptedSource source({{50.0, 10.0}, {60.0, 10.0}, {-60.0, 100.0}});
    TrackImage image;
    Outcome outcome = select(source, distance, image);
    EXPECT_EQ("Track 1 start at 50.000000 , 10.000000 \n", outcome.output);
    EXPECT_FALSE(starts_track(image, 1));
    EXPECT_FALSE(starts_track(image, 2));
  }
}

TEST(SelectPointsTest, BreaksBetweenSkippedPointsMarkTheNextStoredPoint) {
  // 9998 points: the second and the fourth are skipped.  Two jumps lie
  // among them (input 1 -> 2 and 3 -> 4); the stored point 2 takes the first
  // start, and the jump 3 -> 4 marks the stored point 4.  All later points
  // are close together.
  std::vector<std::pair<double, double>> points(9998, {40.0, 5.0});
  points[0] = {10.0, 5.0};
  points[1] = {10.0, 5.0};
  points[2] = {20.0, 5.0};
  points[3] = {20.0, 5.0};
  ScriptedSource source(points);
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  ASSERT_EQ(9996, outcome.stored);
  EXPECT_EQ(
      "Track 1 start at 10.000000 , 5.000000 \n"
      "Track 2 start at 20.000000 , 5.000000 \n"
      "Track 3 start at 40.000000 , 5.000000 \n",
      outcome.output);
}

TEST(SelectPointsTest, OnlyOnePendingStartBetweenStoredPoints) {
  // 9998 points with a skip of 1; the jumps 1 -> 2 ... are all among points
  // the thinning passes over, and two of them fall before one stored point.
  // 0 stored, 1 skipped, 2 stored, 3 skipped, 4.. stored.
  std::vector<std::pair<double, double>> points(9998, {30.0, 5.0});
  points[0] = {10.0, 5.0};
  points[1] = {20.0, 5.0};  // jump 0 -> 1 (skipped point)
  points[2] = {30.0, 5.0};  // jump 1 -> 2: a start is already pending
  ScriptedSource source(points);
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  EXPECT_EQ(
      "Track 1 start at 10.000000 , 5.000000 \n"
      "Track 2 start at 30.000000 , 5.000000 \n",
      outcome.output);
}

TEST(SelectPointsTest, StoredPointsFarApartNeedAFarInputPair) {
  // Stored neighbours 2 km apart, but every input step is 1 km or less.
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < 9998; ++i) points.push_back({i * 0.008, 0.0});
  ScriptedSource source(points);
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  EXPECT_EQ("Track 1 start at 0.000000 , 0.000000 \n", outcome.output);
}

TEST(SelectPointsTest, FailuresInSkipRunsCountAsSkipped) {
  ScriptedSource source(indexed_points(9998));
  source.failing_ = {1};
  TrackImage image;
  Outcome outcome = select(source, 1000, image);
  EXPECT_EQ(0, outcome.status) << outcome.output;
  EXPECT_EQ(9996, outcome.stored);
}

TEST(SelectPointsTest, APointMissingTheSecondTimeEndsTheRun) {
  ScriptedSource source(indexed_points(5));
  source.second_pass_points_ = 3;
  TrackImage image;
  Outcome outcome = select(source, 0, image);
  EXPECT_EQ(13, outcome.status);
  EXPECT_EQ(
      "Track 1 start at 10.000000 , 0.000000 \n"
      "Input file read error (-1)!\nnum=2\n",
      outcome.output);

  ScriptedSource failing(indexed_points(5));
  failing.failing_ = {0};
  Outcome first = select(failing, 0, image);
  EXPECT_EQ(13, first.status);
  EXPECT_EQ("Input file read error (-7)!\nnum=5\n", first.output);
}

TEST(SelectPointsTest, AStreamThatCannotTellEndsWithStatus11) {
  ScriptedSource source(indexed_points(5));
  TrackImage image;
  Outcome outcome = select(source, 0, image, false, pipe_stream("data"));
  EXPECT_EQ(11, outcome.status);
  EXPECT_EQ("Input file ftell error!\n", outcome.output);
}

// A source that knows its start position but sits on a stream that cannot
// go back to it.
class RecordedStartSource : public ScriptedSource {
 public:
  using ScriptedSource::ScriptedSource;
  std::int64_t start_position(InputStream&) override { return 6; }
};

TEST(SelectPointsTest, AFailedSeekBackEndsWithStatus13) {
  RecordedStartSource source(indexed_points(5));
  TrackImage image;
  Outcome outcome = select(source, 0, image, false, pipe_stream("data"));
  EXPECT_EQ(13, outcome.status);
  EXPECT_EQ("Input file fseek error!\n", outcome.output);
}

}  // namespace
}  // namespace tracks
