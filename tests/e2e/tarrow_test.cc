// Tarrow from the outside: command line, messages, statuses, output bytes.

#include <string>

#include "tests/e2e/program_runner.h"

namespace tracks {
namespace {

const char kUsage[] =
    "OziExplorer .plt to Navitel Traks.bin file converter V1.20 \n"
    "Converts an OziExplorer track (.plt) into a Navitel Tracks.bin file.\n"
    "Usage:\n"
    "Tarrow InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n";

const char kHeader[] =
    "OziExplorer Track Point File Version 2.1\r\n"
    "WGS 84\r\n"
    "Altitude is in Feet\r\n"
    "Reserved 3\r\n"
    "0,2,255,ACTIVE LOG,0,0,2,8421376\r\n"
    "3\r\n";

// Three points: the first two 150 m apart, the third 30 km away.
const char kPoints[] =
    "  55.750000,  37.620000,0, 300.0,40000.5, 21-Feb-10, 10:00:00\r\n"
    "  55.751000,  37.621000,0, 300.0,40000.5, 21-Feb-10, 10:00:10\r\n"
    "  56.000000,  38.000000,1, 300.0,40000.5, 21-Feb-10, 10:20:00\r\n";

class TarrowTest : public ProgramTest {};

TEST_F(TarrowTest, ConvertsATrack) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  ProgramRun run = this->run({"walk.plt", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.plt", "out.bin", 1000) +
                kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
}

TEST_F(TarrowTest, OptionsStandAnywhere) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  ProgramRun run = this->run({"-D0", "walk.plt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(progress("walk.plt", "Tracks.bin", 0) +
                "Track 1 start at 55.750000 , 37.620000 \n",
            run.output);
  std::vector<ExpectedSlot> one_track = kThreePoints;
  one_track[2].starts_track = false;
  EXPECT_EQ(expected_image(one_track), read_file("Tracks.bin"));
}

TEST_F(TarrowTest, LineEndsOfAnyKindReadAlike) {
  std::string crlf = std::string(kHeader) + kPoints;
  std::string lf, cr, nul;
  for (char c : crlf) {
    if (c == '\r') continue;
    lf += c;
  }
  for (char c : lf) cr += c == '\n' ? '\r' : c;
  for (char c : lf) nul += c == '\n' ? '\0' : c;
  for (const std::string& text : {lf, cr, nul, "\n\r\n" + lf + "\n\n"}) {
    write_file("walk.plt", text);
    ProgramRun run = this->run({"walk.plt", "out.bin"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
  }
}

TEST_F(TarrowTest, UsageForBadCommandLines) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  expect_usage_for_bad_command_lines("walk.plt", kUsage);
}

TEST_F(TarrowTest, BreakDistanceIsPrintedAsRead) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  const std::vector<std::pair<std::string, int>> cases = {
      {"/d500", 500},         {"/D500", 500},       {"-d500", 500},
      {"-D500", 500},         {"/d", 0},            {"/dabc", 0},
      {"/d-20", -20},         {"/d 250", 250},      {"/d250m", 250},
      {"/d99999999999", 2147483647}, {"/d-99999999999", -2147483647 - 1}};
  for (const auto& [option, distance] : cases) {
    ProgramRun run = this->run({"walk.plt", option, "out.bin"});
    EXPECT_EQ(0, run.status) << option;
    EXPECT_EQ(0u, run.output.find(progress("walk.plt", "out.bin", distance)))
        << option << "\n" << run.output;
  }
}

TEST_F(TarrowTest, LongAndAbsoluteNamesAreHeldWhole) {
  std::string long_name(120, 'n');
  long_name += ".plt";
  write_file(long_name, std::string(kHeader) + kPoints);
  ProgramRun run = this->run({long_name, path("out.bin")});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(0u, run.output.find(progress(long_name, path("out.bin"), 1000)));
  EXPECT_EQ(expected_image(kThreePoints), read_file("out.bin"));
}

TEST_F(TarrowTest, OutputMayReplaceTheInput) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  ProgramRun run = this->run({"walk.plt", "walk.plt"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(expected_image(kThreePoints), read_file("walk.plt"));
}

// Failures before the output is opened leave an existing output alone.
struct FailureCase {
  std::string name;
  std::string input;  // contents of in.plt
  int status;
  std::string message;
};

TEST_F(TarrowTest, InputFailuresLeaveTheOutputAlone) {
  const std::string header(kHeader);
  const std::vector<FailureCase> cases = {
      {"empty file", "", 2, "Input file read error!\n"},
      {"no line end", "OziExplorer Track Point File", 2,
       "Input file read error!\n"},
      {"other case", "oziexplorer track point file\r\n" + header, 2,
       "Incorrect file format!\n"},
      {"leading blank", " " + header, 2, "Incorrect file format!\n"},
      {"byte-order mark", "\xEF\xBB\xBF" + header, 2,
       "Incorrect file format!\n"},
      {"short tag", "OziExplorer Track Point\r\n", 2,
       "Incorrect file format!\n"},
      {"five header lines", header.substr(0, header.rfind("3\r\n")), 2,
       "Input file read error!\n"},
      {"sixth line cut", header.substr(0, header.size() - 2), 2,
       "Input file read error!\n"},
      {"no points", header, 12, "Too short input file!\n"},
      {"one point", header + "55.75,37.62\r\n", 12, "Too short input file!\n"},
      {"last line cut",
       header + "55.75,37.62\r\n55.76,37.63", 12, "Too short input file!\n"},
  };
  for (const FailureCase& c : cases) {
    expect_input_failure("in.plt", c.input, c.status, c.message, c.name);
  }
}

TEST_F(TarrowTest, MissingInput) {
  ProgramRun run = this->run({"missing.plt"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("missing.plt", "Tracks.bin", 1000) +
                "Input file open error!\n",
            run.output);
  EXPECT_FALSE(exists("Tracks.bin"));

  run = this->run({"/d5"});
  EXPECT_EQ(2, run.status);
  EXPECT_EQ(progress("", "Tracks.bin", 5) + "Input file open error!\n",
            run.output);
}

TEST_F(TarrowTest, APipeCannotBeReadTwice) {
  ProgramRun run = run_with_named_pipe("walk.plt", std::string(kHeader) + kPoints,
                                       {"walk.plt", "out.bin"});
  EXPECT_EQ(11, run.status);
  EXPECT_EQ(progress("walk.plt", "out.bin", 1000) + "Input file ftell error!\n",
            run.output);
  EXPECT_FALSE(exists("out.bin"));
}

TEST_F(TarrowTest, StandardInputCannotBeReadTwice) {
  if (through_launcher()) {
    GTEST_SKIP() << "a Windows program cannot name its standard input as a "
                    "file (under Wine /dev/stdin is the wineserver's)";
  }
  ProgramRun run =
      this->run({"/dev/stdin", "out.bin"}, std::string(kHeader) + kPoints);
  EXPECT_EQ(11, run.status);
  EXPECT_EQ(progress("/dev/stdin", "out.bin", 1000) +
                "Input file ftell error!\n",
            run.output);
  EXPECT_FALSE(exists("out.bin"));
}

// Most users name their files in Russian; on Windows the names must survive
// the command line and the file system calls alike.
TEST_F(TarrowTest, CyrillicFileNames) {
  write_file("трек.plt", std::string(kHeader) + kPoints);
  ProgramRun run = this->run({"трек.plt", "выход.bin"});
  // Wine hands names to Linux in the encoding of the locale.
  EXPECT_EQ(0, run.status) << "under Wine, is the locale a UTF-8 one?";
  EXPECT_EQ(progress("трек.plt", "выход.bin", 1000) +
                kThreeTracks,
            run.output);
  EXPECT_EQ(expected_image(kThreePoints), read_file("выход.bin"));
}

// Coordinate codes made of the bytes LF, CR and Ctrl-Z: any text-mode
// translation of the output file would change them.
TEST_F(TarrowTest, ImageIsWrittenByteForByte) {
  write_file("walk.plt", std::string(kHeader) +
                             "36.6177114,18.3364614\r\n"
                             "36.6177114,14.1344699\r\n");
  ProgramRun run = this->run({"walk.plt", "out.bin"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(expected_image({{0x0D0A0D0A, 0x1A0A0D0A, true},
                            {0x0A0D1A0A, 0x1A0A0D0A, true}}),
            read_file("out.bin"));
}

TEST_F(TarrowTest, OutputThatCannotBeOpenedOrWritten) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  expect_output_failures("walk.plt", kThreeTracks);
}

TEST_F(TarrowTest, AnInputCutShortBetweenThePassesEndsWithStatus13) {
  write_file("walk.plt", std::string(kHeader) + kPoints);
  write_file("out.bin", "keep me");
  ProgramRun run = run_program(program_path("ShortSecondPass"),
                               {"Tarrow", "walk.plt", "out.bin"}, dir_);
  EXPECT_EQ(13, run.status);
  EXPECT_EQ(progress("walk.plt", "out.bin", 1000) +
                "Track 1 start at 55.750000 , 37.620000 \n"
                "Input file read error (-1)!\nnum=1\n",
            run.output);
  EXPECT_EQ("keep me", read_file("out.bin"));
}

}  // namespace
}  // namespace tracks
