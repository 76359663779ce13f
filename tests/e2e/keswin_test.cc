// Keswin from the outside: command line, messages, statuses, output bytes.

#include <string>
#include <vector>

#include "tests/e2e/program_runner.h"
#include "tests/mps_file.h"

namespace tracks {
namespace {

using mps_file::Semicircles;
using mps_file::header;
using mps_file::point;
using mps_file::record;
using mps_file::track;
using mps_file::track_front;
using namespace std::string_literals;

const char kUsage[] =
    "Navitel .mps track to Navitel Traks.bin file converter V1.20 \n"
    "Converts the tracks of a MapSource file (.mps) into a Navitel "
    "Tracks.bin file.\n"
    "Usage:\n"
    "Keswin InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n";

// The walk of kThreePoints in semicircles: a value in semicircles is its own
// coordinate code in the image.
const Semicircles kA{665123408, 448824082};
const Semicircles kB{665135338, 448836013};
const Semicircles kC{668106024, 453357659};

// The first track's start line alone, as /d0 or a damaged file prints it.
const char kStartA[] = "Track 1 start at 55.750000 , 37.620000 \n";

ExpectedSlot slot(Semicircles p, bool starts_track) {
  return {p.longitude, p.latitude, starts_track};
}

const std::vector<ExpectedSlot> kTwoPoints = {slot(kA, true),
                                              slot(kB, false)};

// The three points in two track records, among records of other kinds.
std::string three_points() {
  return header() + record('D', "d") + record(0, 'T', "") +
         track("Walk", {kA, kB}) + record('W', track("hidden", {kC, kC})) +
         track("", {}) + track("Back", {kC}) + record('V', "\x00\x01"s);
}

class KeswinTest : public ProgramTest {
 protected:
  KeswinTest() { program_ = "Keswin"; }
};

TEST_F(KeswinTest, ConvertsTrackRecords) {
  write_file("walk.mps", three_points());
  ProgramRun run = this->run({"walk.mps", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.mps", "out.bin", 1000) + kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
}

TEST_F(KeswinTest, RecordBoundariesDoNotBreakTracks) {
  std::string name150(150, 'n');
  write_file("walk.mps", header() + track(name150, {kA}) +
                             track(name150, {kB}) + track(name150, {kC}));
  ProgramRun run = this->run({"/d0", "walk.mps"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.mps", "Tracks.bin", 0) + kStartA, run.output);
  std::vector<ExpectedSlot> one_track = kThreePoints;
  one_track[2].starts_track = false;
  EXPECT_EQ(expected_image(one_track), read_file("Tracks.bin"));
}

TEST_F(KeswinTest, UsageForBadCommandLines) {
  write_file("walk.mps", three_points());
  expect_usage_for_bad_command_lines("walk.mps", kUsage);
}

TEST_F(KeswinTest, OutputMayReplaceTheInput) {
  write_file("walk.mps", three_points());
  ProgramRun run = this->run({"walk.mps", "walk.mps"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(expected_image(kThreePoints), read_file("walk.mps"));
}

// Damaged files whose points up to the damage are converted.
struct DamageCase {
  std::string name;
  std::string records;  // after the header
  std::string message;  // before the track lines
  std::vector<ExpectedSlot> slots;
};

TEST_F(KeswinTest, DamageEndsTheInputWherePointsStop) {
  const std::string error = "Track read error!\n";
  const std::string two = track("Walk", {kA, kB});
  const std::vector<DamageCase> cases = {
      {"name of 151 characters", two + track(std::string(151, 'n'), {kC}),
       error, kTwoPoints},
      {"negative count", two + record('T', track_front("x", -1) + point(kC)),
       error, kTwoPoints},
      {"latitude cut short",
       record('T', track_front("Walk", 3) + point(kA) + point(kB) + "\x01"),
       error, kTwoPoints},
      {"longitude cut short",
       record('T', track_front("Walk", 3) + point(kA) + point(kB) +
                       point(kC).substr(0, 6)),
       error, kTwoPoints},
      {"count beyond the points",
       record('T', track_front("Walk", 7) + point(kA) + point(kB)), error,
       kTwoPoints},
      {"tail cut before the last point",
       record('T', track_front("Walk", 3) + point(kA) + point(kB, 0)), error,
       kTwoPoints},
      {"tail of the last point cut",
       record('T', track_front("Walk", 3) + point(kA) + point(kB) +
                       point(kC, 0)),
       "", kThreePoints},
      {"length of -5", two + record(-5, 'T', "") + track("x", {kC}), "",
       kTwoPoints},
      {"length of -6", two + record(-6, 'W', "") + track("x", {kC}), "",
       kTwoPoints},
      {"lowest length", two + record(INT32_MIN, 'T', "") + track("x", {kC}),
       "", kTwoPoints},
      {"length past the end", two + record(1000, 'W', "") + track("x", {kC}),
       "", kTwoPoints},
      {"length field cut short", two + "\x05\x00\x00", "", kTwoPoints},
      {"type byte missing", two + "\x05\x00\x00\x00", "", kTwoPoints},
  };
  for (const DamageCase& c : cases) {
    write_file("in.mps", header() + c.records);
    ProgramRun run = this->run({"in.mps", "out.bin"});
    EXPECT_EQ(0, run.status) << c.name;
    std::string tracks = c.slots.size() == 3 ? kThreeTracks : kStartA;
    EXPECT_EQ(progress("in.mps", "out.bin", 1000) + c.message + tracks,
              run.output)
        << c.name;
    EXPECT_EQ(expected_image(c.slots), read_file("out.bin")) << c.name;
  }
}

// Failures before the output is opened leave an existing output alone.
struct FailureCase {
  std::string name;
  std::string input;  // contents of in.mps
  int status;
  std::string message;
};

TEST_F(KeswinTest, InputFailuresLeaveTheOutputAlone) {
  const std::string records = three_points().substr(6);
  const std::string short_file = "Too short input file!\n";
  const std::string error = "Track read error!\n";
  const std::vector<FailureCase> cases = {
      {"empty file", "", 2, "Input file read error!\n"},
      {"five bytes", "MsRcd", 2, "Input file read error!\n"},
      {"other case", "MsRcD\0"s + records, 2, "Incorrect file format!\n"},
      {"sixth byte not NUL", "MsRcd\x01" + records, 2,
       "Incorrect file format!\n"},
      {"text file", "OziExplorer Track Point File\r\n", 2,
       "Incorrect file format!\n"},
      {"only the header", header(), 12, short_file},
      {"only zero-length records", header() + record(0, 'T', "") +
                                       record(0, 'T', ""),
       12, short_file},
      {"no track records", header() + record('W', track("x", {kA, kB})), 12,
       short_file},
      {"only empty track records", header() + track("a", {}) +
                                       track("b", {}),
       12, short_file},
      {"one point", header() + track("a", {kA}) + track("b", {}), 12,
       short_file},
      {"name of 151 characters first",
       header() + track(std::string(151, 'n'), {kA, kB}), 12,
       error + short_file},
      {"negative count first",
       header() + record('T', track_front("a", -2) + point(kA) + point(kB)),
       12, error + short_file},
      {"one point and a cut one",
       header() + record('T', track_front("a", 2) + point(kA) + "\x01\x02"),
       12, error + short_file},
      {"length of -5 first", header() + record(-5, 'T', "") + track("a", {kA, kB}),
       12, short_file},
      {"lowest length first",
       header() + record(INT32_MIN, 'T', "") + track("a", {kA, kB}), 12,
       short_file},
  };
  for (const FailureCase& c : cases) {
    expect_input_failure("in.mps", c.input, c.status, c.message, c.name);
  }
}

TEST_F(KeswinTest, MissingInput) {
  write_file("Tracks.bin", "keep me");
  ProgramRun run = this->run({"missing.mps"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("missing.mps", "Tracks.bin", 1000) +
                "Input file open error!\n",
            run.output);
  EXPECT_EQ("keep me", read_file("Tracks.bin"));
}

TEST_F(KeswinTest, APipeCannotTellWhereRecordsBegin) {
  ProgramRun run =
      run_with_named_pipe("walk.mps", three_points(), {"walk.mps", "out.bin"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("walk.mps", "out.bin", 1000) + "Input file tell error!\n",
            run.output);
  EXPECT_FALSE(exists("out.bin"));

  run = run_with_named_pipe("short.mps", "MsR", {"short.mps", "out.bin"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("short.mps", "out.bin", 1000) + "Input file read error!\n",
            run.output);
  EXPECT_FALSE(exists("out.bin"));
}

TEST_F(KeswinTest, OutputThatCannotBeOpenedOrWritten) {
  write_file("walk.mps", three_points());
  expect_output_failures("walk.mps", kThreeTracks);
}

TEST_F(KeswinTest, ThinsPointsFromManyRecords) {
  // 12000 points in three records: after each stored point one is skipped
  // until 2004 are gone, then every point is stored.
  std::vector<Semicircles> all;
  std::string records;
  for (int r = 0; r < 3; ++r) {
    std::vector<Semicircles> points;
    for (int i = 0; i < 4000; ++i) {
      int n = r * 4000 + i;
      points.push_back({600000000 + n, 300000000 - n});
    }
    all.insert(all.end(), points.begin(), points.end());
    records += track("part", points) + record('W', "between");
  }
  write_file("long.mps", header() + records);
  ProgramRun run = this->run({"long.mps", "out.bin"});
  EXPECT_EQ(0, run.status);
  std::string image = read_file("out.bin");
  std::vector<ExpectedSlot> slots;
  for (int i = 0; i < 4008; i += 2) slots.push_back(slot(all[i], i == 0));
  for (int i = 4008; i < 12000; ++i) slots.push_back(slot(all[i], false));
  ASSERT_EQ(9996u, slots.size());
  EXPECT_EQ(expected_image(slots), image);
}

TEST_F(KeswinTest, AnInputCutShortBetweenThePassesEndsWithStatus13) {
  write_file("walk.mps", three_points());
  write_file("out.bin", "keep me");
  ProgramRun run = run_program(program_path("ShortSecondPass"),
                               {"Keswin", "walk.mps", "out.bin"}, dir_);
  EXPECT_EQ(13, run.status);
  EXPECT_EQ(progress("walk.mps", "out.bin", 1000) + kStartA +
                "Input file read error (-1)!\nnum=1\n",
            run.output);
  EXPECT_EQ("keep me", read_file("out.bin"));
}

}  // namespace
}  // namespace tracks
