// Regional settings never change a result: every converter gives the same
// messages, exit status and output bytes under a locale whose decimal
// separator is a comma as under the C locale.  Through a launcher (Wine)
// the locale also sets the Windows regional settings.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "tests/comma_locale.h"
#include "tests/e2e/program_runner.h"

namespace tracks {
namespace {

// Three points; the first two are close, the third far away.
const double kPoints[3][2] = {{55.75, 37.62}, {55.751, 37.621}, {56.5, 38.25}};

std::string plt_track() {
  std::string text =
      "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n"
      "Altitude is in Feet\r\nReserved 3\r\n0,2,255,LOG,0,0,2,8421376\r\n3\r\n";
  for (const auto& p : kPoints) {
    char line[80];
    std::snprintf(line, sizeof line, "%.6f,%.6f,0,-777,40000.5,,\r\n", p[0],
                  p[1]);
    text += line;
  }
  return text;
}

std::string gpx_track() {
  std::string text = "<?xml version=\"1.0\"?>\n<gpx><trk><trkseg>\n";
  for (const auto& p : kPoints) {
    char tag[80];
    std::snprintf(tag, sizeof tag, "<trkpt lat=\"%.6f\" lon=\"%.6f\"></trkpt>\n",
                  p[0], p[1]);
    text += tag;
  }
  return text + "</trkseg></trk></gpx>\n";
}

void put_int32(std::string& bytes, std::int32_t value) {
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(bits >> (8 * i));
}

// One track record of 31-byte points in semicircles (2^31 to 180 degrees).
std::string mps_track() {
  std::string payload("t\0" "12345", 7);
  put_int32(payload, 3);
  for (const auto& p : kPoints) {
    put_int32(payload, static_cast<std::int32_t>(p[0] * 2147483648.0 / 180));
    put_int32(payload, static_cast<std::int32_t>(p[1] * 2147483648.0 / 180));
    payload += std::string(23, '\0');
  }
  std::string bytes("MsRcd\0", 6);
  put_int32(bytes, static_cast<std::int32_t>(payload.size()));
  return bytes + "T" + payload;
}

struct LocaleCase {
  const char* program;
  const char* input_name;
  std::string (*input)();
};

void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.program; }

class LocaleTest : public ProgramTest,
                   public testing::WithParamInterface<LocaleCase> {};

TEST_P(LocaleTest, CommaLocaleChangesNothing) {
  const LocaleCase& c = GetParam();
  CommaLocale locale = find_comma_locale();
  TRACKS_NEED_COMMA_LOCALE(locale);
  program_ = c.program;
  write_file(c.input_name, c.input());

  ProgramRun plain = run_in_environment({"LC_ALL=C"}, {c.input_name, "c.bin"});
  ProgramRun comma = run_in_environment(
      {"LC_ALL=" + locale.name, "LANG=" + locale.name},
      {c.input_name, "comma.bin"});
  EXPECT_EQ(0, plain.status) << plain.output;
  EXPECT_NE(std::string::npos, plain.output.find("start at 55.750000 , "))
      << plain.output;
  EXPECT_EQ(plain.status, comma.status);
  std::string expected = plain.output;
  expected.replace(expected.find("c.bin"), 5, "comma.bin");
  EXPECT_EQ(expected, comma.output);
  EXPECT_EQ(80008u, read_file("c.bin").size());
  EXPECT_EQ(read_file("c.bin"), read_file("comma.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Programs, LocaleTest,
    testing::Values(LocaleCase{"Tarrow", "track.plt", plt_track},
                    LocaleCase{"Keswin", "track.mps", mps_track},
                    LocaleCase{"Ralder", "track.gpx", gpx_track}),
    [](const testing::TestParamInfo<LocaleCase>& info) {
      return std::string(info.param.program);
    });

}  // namespace
}  // namespace tracks
