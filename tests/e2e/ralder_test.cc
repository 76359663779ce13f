// Ralder from the outside: command line, messages, statuses, output bytes.

#include <cstdio>
#include <string>

#include "tests/e2e/program_runner.h"

namespace tracks {
namespace {

const char kUsage[] =
    "Navitel .gpx track to Navitel Traks.bin file converter V1.20 \n"
    "Converts the track points of a GPX file (.gpx) into a Navitel "
    "Tracks.bin file.\n"
    "Usage:\n"
    "Ralder InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n";

// Three points: the first two 150 m apart, the third 30 km away.
// A GPX 1.1 file as a navigator writes it, with those three points.
const char kWalk[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<gpx version=\"1.1\" creator=\"test\" "
    "xmlns=\"http://www.topografix.com/GPX/1/1\">\r\n"
    "  <metadata><name>Walk</name></metadata>\r\n"
    "  <wpt lat=\"10.5\" lon=\"20.5\"><name>Start</name></wpt>\r\n"
    "  <trk><name>Walk</name><trkseg>\r\n"
    "    <trkpt lat=\"55.750000\" lon=\"37.620000\">\r\n"
    "      <ele>150.0</ele><time>2024-06-06T06:00:00Z</time>\r\n"
    "    </trkpt>\r\n"
    "    <trkpt lat=\"55.751000\" lon=\"37.621000\">\r\n"
    "      <ele>151.0</ele><time>2024-06-06T06:00:10Z</time>\r\n"
    "    </trkpt>\r\n"
    "    <trkpt lat=\"56.000000\" lon=\"38.000000\">\r\n"
    "      <ele>152.0</ele><time>2024-06-06T06:20:00Z</time>\r\n"
    "    </trkpt>\r\n"
    "  </trkseg></trk>\r\n"
    "</gpx>\r\n";

std::string counted(int n) {
  return "Number of input points: " + std::to_string(n) + " \n";
}

class RalderTest : public ProgramTest {
 protected:
  RalderTest() { program_ = "Ralder"; }
};

TEST_F(RalderTest, ConvertsATrack) {
  write_file("walk.gpx", kWalk);
  ProgramRun run = this->run({"walk.gpx", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.gpx", "out.bin", 1000) + counted(3) + kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
}

TEST_F(RalderTest, BreakDistanceDecidesTheTracks) {
  write_file("walk.gpx", kWalk);
  ProgramRun run = this->run({"-D0", "walk.gpx"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.gpx", "Tracks.bin", 0) + counted(3) +
                "Track 1 start at 55.750000 , 37.620000 \n",
            run.output);
  std::vector<ExpectedSlot> one_track = kThreePoints;
  one_track[2].starts_track = false;
  EXPECT_EQ(expected_image(one_track), read_file("Tracks.bin"));

  // 100 m: the 150 m step breaks as well.
  run = this->run({"walk.gpx", "/d100", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.gpx", "out.bin", 100) + counted(3) +
                "Track 1 start at 55.750000 , 37.620000 \n"
                "Track 2 start at 55.751000 , 37.621000 \n"
                "Track 3 start at 56.000000 , 38.000000 \n",
            run.output);
  std::vector<ExpectedSlot> three_tracks = kThreePoints;
  three_tracks[1].starts_track = true;
  EXPECT_EQ(expected_image(three_tracks), read_file("out.bin"));
}

// Files written in other ways that hold the same three points.
struct VariantCase {
  const char* name;
  std::string gpx;
};

void PrintTo(const VariantCase& c, std::ostream* os) { *os << c.name; }

class RalderVariantTest : public RalderTest,
                          public testing::WithParamInterface<VariantCase> {};

TEST_P(RalderVariantTest, ReadsTheSamePoints) {
  write_file("in.gpx", GetParam().gpx);
  ProgramRun run = this->run({"in.gpx", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("in.gpx", "out.bin", 1000) + counted(3) + kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RalderVariantTest,
    testing::Values(
        VariantCase{"one line, lon first, any quotes",
                    "<gpx><trk><trkseg><trkpt lon='37.62' lat='55.75'/>"
                    "<trkpt lon=37.621 lat=+55.751/><trkpt\n lon = \"38\"\r\n"
                    " lat = \"5.6e1\"\n/></trkseg></trk></gpx>"},
        VariantCase{"namespaced, GPX 1.0, segments and tracks",
                    "<?xml version=\"1.0\"?>\n<gpx:gpx version=\"1.0\">\n"
                    "<gpx:trk><gpx:trkseg>\n"
                    "<gpx:trkpt lat=\"55.75\" lon=\"37.62\"></gpx:trkpt>\n"
                    "</gpx:trkseg><gpx:trkseg>\n"
                    "<gpx:trkpt lat=\"55.751\" lon=\"37.621\"></gpx:trkpt>\n"
                    "</gpx:trkseg></gpx:trk><gpx:trk><gpx:trkseg>\n"
                    "<gpx:trkpt lat=\"56\" lon=\"38\"></gpx:trkpt>\n"
                    "</gpx:trkseg></gpx:trk></gpx:gpx>"},
        VariantCase{"points that yield nothing are not counted",
                    "<gpx><rte><rtept lat=\"1\" lon=\"1\"/></rte><trk><trkseg>"
                    "<trkpt lat=\"55.75\" lon=\"37.62\"/>"
                    "<TRKPT LAT=\"1\" LON=\"1\"/>"
                    "<trkpt lat=\"100.5\" lon=\"1\"/>"
                    "<trkpt lat=\"1\" lon=\"-370.5\"/>"
                    "<trkpt lat=\"1\"/><trkpt lon=\"1\"/>"
                    "<trkpt lat=\"x\" lon=\"y\"/>"
                    "<trkpt name=\"a>b\" lat=\"1\" lon=\"1\"/>"
                    "<desc>trkpt lat=\"1\" lon=\"1\"</desc>"
                    "<trkpt lat=\"55.751\" lon=\"37.621\"/>"
                    "<trkpt lat=\"56\" lon=\"38\"/></trkseg></trk></gpx>"},
        VariantCase{"points in a comment and in CDATA",
                    "<gpx><trk><trkseg><trkpt lat=\"55.75\" lon=\"37.62\"/>"
                    "<!-- <trkpt lat=\"55.751\" lon=\"37.621\"/> -->"
                    "<desc><![CDATA[<trkpt lat=\"56\" lon=\"38\">]]></desc>"
                    "</trkseg></trk></gpx>"},
        VariantCase{"long tags, and the rest of one read as text",
                    "<gpx><metadata desc=\"" + std::string(5000, 'm') +
                        "<trkpt lat=\"55.75\" lon=\"37.62\"/>\">"
                        "<trkpt lat=\"55.751\" lon=\"37.621\" note=\"" +
                        std::string(2000, 'n') + "\"/>" +
                        "<trkpt lat=\"56\" lon=\"38\"/></gpx>"}));

TEST_F(RalderTest, ThinsLargeFilesWithTheSameCountInBothPasses) {
  // 10000 points 45/2^20 degree of longitude apart: each step is 512 units
  // of the coordinate code, written out exactly.  The second, fourth, sixth
  // and eighth points give way.
  std::string gpx = "<gpx><trk><trkseg>\n";
  char line[96];
  for (int i = 0; i < 10000; ++i) {
    std::snprintf(line, sizeof line,
                  "<trkpt lat=\"0\" lon=\"%.20f\"><ele>1</ele></trkpt>\n",
                  i * 45.0 / 1048576.0);
    gpx += line;
  }
  gpx += "</trkseg></trk></gpx>\n";
  write_file("big.gpx", gpx);
  ProgramRun run = this->run({"big.gpx", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("big.gpx", "out.bin", 1000) + counted(10000) +
                "Track 1 start at 0.000000 , 0.000000 \n",
            run.output);
  std::vector<ExpectedSlot> slots;
  for (int i = 0; i < 10000; ++i) {
    if (i == 1 || i == 3 || i == 5 || i == 7) continue;
    slots.push_back({512LL * i, 0, i == 0});
  }
  ASSERT_EQ(9996u, slots.size());
  EXPECT_EQ(expected_image(slots), read_file("out.bin"));
}

TEST_F(RalderTest, UsageForBadCommandLines) {
  write_file("walk.gpx", kWalk);
  expect_usage_for_bad_command_lines("walk.gpx", kUsage);
}

// Failures before the output is opened leave an existing output alone.
struct FailureCase {
  std::string name;
  std::string input;  // contents of in.gpx
  std::string message;
};

std::string utf16(const std::string& ascii) {
  std::string wide = "\xFF\xFE";
  for (char c : ascii) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

TEST_F(RalderTest, FilesWithTooFewPointsLeaveTheOutputAlone) {
  const std::string point = "<trkpt lat=\"55.75\" lon=\"37.62\"/>";
  const std::vector<FailureCase> cases = {
      {"empty file", "", counted(0)},
      {"no tags", "trkpt lat=\"55.75\" lon=\"37.62\"\n", counted(0)},
      {"waypoints and route points",
       "<gpx><wpt lat=\"1\" lon=\"2\"/><rte><rtept lat=\"1\" lon=\"2\"/>"
       "</rte></gpx>",
       counted(0)},
      {"upper case", "<TRKPT LAT=\"1\" LON=\"2\"/><TRKPT LAT=\"1\" LON=\"2\"/>",
       counted(0)},
      {"UTF-16", utf16("<gpx>" + point + point + point + "</gpx>"),
       counted(0)},
      {"one point", "<gpx>" + point + "</gpx>", counted(1)},
      {"second point cut short", point + "\n<trkpt lat=\"56\" lon=\"38\"",
       counted(1)},
  };
  for (const FailureCase& c : cases) {
    expect_input_failure("in.gpx", c.input, 12,
                         c.message + "Too short input file!\n", c.name);
  }
}

TEST_F(RalderTest, MissingInput) {
  write_file("out.bin", "keep me");
  ProgramRun run = this->run({"missing.gpx", "out.bin"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("missing.gpx", "out.bin", 1000) +
                "Input file open error!\n",
            run.output);
  EXPECT_EQ("keep me", read_file("out.bin"));
  EXPECT_FALSE(exists("Tracks.bin"));
}

TEST_F(RalderTest, APipeCannotBeReadTwice) {
  write_file("out.bin", "keep me");
  ProgramRun run =
      run_with_named_pipe("walk.gpx", kWalk, {"walk.gpx", "out.bin"});
  EXPECT_EQ(11, run.status);
  EXPECT_EQ(progress("walk.gpx", "out.bin", 1000) + "Input file ftell error!\n",
            run.output);
  EXPECT_EQ("keep me", read_file("out.bin"));
}

TEST_F(RalderTest, OutputThatCannotBeOpenedOrWritten) {
  write_file("walk.gpx", kWalk);
  expect_output_failures("walk.gpx", counted(3) + kThreeTracks);
}

TEST_F(RalderTest, OutputMayReplaceTheInput) {
  write_file("walk.gpx", kWalk);
  ProgramRun run = this->run({"walk.gpx", "walk.gpx"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(expected_image(kThreePoints), read_file("walk.gpx"));
}

TEST_F(RalderTest, AnInputCutShortBetweenThePassesEndsWithStatus13) {
  write_file("walk.gpx", kWalk);
  write_file("out.bin", "keep me");
  ProgramRun run = run_program(program_path("ShortSecondPass"),
                               {"Ralder", "walk.gpx", "out.bin"}, dir_);
  EXPECT_EQ(13, run.status);
  EXPECT_EQ(progress("walk.gpx", "out.bin", 1000) + counted(3) +
                "Track 1 start at 55.750000 , 37.620000 \n"
                "Input file read error (-1)!\nnum=1\n",
            run.output);
  EXPECT_EQ("keep me", read_file("out.bin"));
}

}  // namespace
}  // namespace tracks
