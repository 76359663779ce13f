#include "gpx/gpx_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/decimal.h"
#include "core/run.h"
#include "tests/memory_stream.h"

namespace tracks {
namespace {

// ---- read_tag ----

struct TagCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> tags;  // texts of the tags, in order
  int last;                       // what ends them: -1 or -2
};

// Keeps test names short and readable.
void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class ReadTagTest : public testing::TestWithParam<TagCase> {};

TEST_P(ReadTagTest, SplitsTags) {
  const TagCase& c = GetParam();
  auto in = memory_stream(c.bytes);
  char buffer[kGpxTagSize];
  for (const std::string& expected : c.tags) {
    std::fill(buffer, buffer + kGpxTagSize, 'x');
    ASSERT_EQ(0, read_tag(*in, buffer, kGpxTagSize)) << c.name;
    // NUL bytes inside a tag are kept, so compare the bytes themselves.
    EXPECT_EQ(expected, std::string(buffer, expected.size())) << c.name;
    EXPECT_EQ('\0', buffer[expected.size()]) << c.name;
    EXPECT_EQ('\0', buffer[kGpxTagSize - 1]) << c.name;
  }
  EXPECT_EQ(c.last, read_tag(*in, buffer, kGpxTagSize)) << c.name;
  // Whatever ended the tags, the input is over now.
  EXPECT_EQ(-1, read_tag(*in, buffer, kGpxTagSize)) << c.name;
}

std::string text(std::size_t n) {
  std::string t(n, 'x');
  for (std::size_t i = 0; i < n; ++i) t[i] = static_cast<char>('a' + i % 26);
  return t;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ReadTagTest,
    testing::Values(
        TagCase{"empty file", "", {}, -1},
        TagCase{"no tag at all", "trkpt lat=1 lon=2 > >\n", {}, -1},
        TagCase{"text between tags is dropped", "ab<one>cd\r\n<two/>ef",
                {"one", "two/"}, -1},
        TagCase{"empty tag", "<>", {""}, -1},
        TagCase{"a < inside is text", "<a<b>", {"a<b"}, -1},
        TagCase{"a > in a value ends the tag", "<t v=\"a>b\" w=1><c>",
                {"t v=\"a", "c"}, -1},
        TagCase{"line ends are text", "<a\r\n\tb\n>", {"a\r\n\tb\n"}, -1},
        TagCase{"NUL is kept", std::string("<a\0b>", 5),
                {std::string("a\0b", 3)}, -1},
        TagCase{"high bytes are kept", "\xEF\xBB\xBF<\xD0\xBF\xFF>",
                {"\xD0\xBF\xFF"}, -1},
        TagCase{"comment up to its first >",
                "<!-- <trkpt lat=\"1\" lon=\"2\"/> --><b>",
                {"!-- <trkpt lat=\"1\" lon=\"2\"/", "b"}, -1},
        TagCase{"UTF-16 tags are empty", std::string("<\0a\0>\0", 6),
                {std::string("\0a\0", 3)}, -1},
        TagCase{"cut short inside a tag", "<a>x<bcd", {"a"}, -2},
        TagCase{"cut short after <", "<a><", {"a"}, -2},
        TagCase{"997 characters", "<" + text(997) + "><b>", {text(997), "b"},
                -1},
        TagCase{"998 characters", "<" + text(998) + "><b>", {text(998), "b"},
                -1},
        TagCase{"999 characters", "<" + text(999) + "><b>", {text(998), "b"},
                -1},
        TagCase{"the rest of a long tag is between tags",
                "<" + text(998) + "zz<c>d>", {text(998), "c"}, -1},
        TagCase{"998 characters then the end", "<" + text(998), {text(998)},
                -1},
        TagCase{"997 characters then the end", "<" + text(997), {}, -2}));

// The tag reader in its plainest form, one byte at a time, to check the
// block-wise scan against where tags straddle the stream's buffer blocks.
int read_tag_bytewise(InputStream& input, std::string& tag) {
  tag.clear();
  int c;
  do {
    c = input.get();
    if (c < 0) return -1;
  } while (c != '<');
  while (tag.size() < kGpxTagSize - 2) {
    c = input.get();
    if (c < 0) return -2;
    if (c == '>') return 0;
    tag.push_back(static_cast<char>(c));
  }
  return 0;
}

TEST(ReadTagTest, AgreesWithAByteReaderAcrossBlocks) {
  // Tags of every length from 0 to 1200 and gaps of 0 to 6 bytes, about
  // 700 KB: every tag boundary falls on a block edge somewhere.
  std::string bytes;
  for (std::size_t i = 0; bytes.size() < 700000; ++i) {
    bytes += std::string(i % 7, ' ');
    bytes += '<';
    std::string body = text(i % 1201);
    if (i % 5 == 0 && !body.empty()) body[body.size() / 2] = '<';
    if (i % 11 == 0 && !body.empty()) body[body.size() / 3] = '\0';
    bytes += body;
    bytes += '>';
  }
  bytes += "<cut";
  auto fast = memory_stream(bytes);
  auto slow = memory_stream(bytes);
  char buffer[kGpxTagSize];
  std::string expected;
  int tags = 0;
  for (;;) {
    int want = read_tag_bytewise(*slow, expected);
    int got = read_tag(*fast, buffer, kGpxTagSize);
    ASSERT_EQ(want, got) << "tag " << tags;
    if (got != 0) break;
    ASSERT_EQ(expected, std::string(buffer, expected.size())) << "tag " << tags;
    ASSERT_EQ('\0', buffer[expected.size()]);
    ++tags;
  }
  EXPECT_GT(tags, 1000);
  EXPECT_EQ(slow->tell(), fast->tell());
}

TEST(ReadTagTest, APipeReadsLikeAFile) {
  auto in = pipe_stream("x<a>y<bc>z<d");
  char buffer[kGpxTagSize];
  ASSERT_EQ(0, read_tag(*in, buffer, kGpxTagSize));
  EXPECT_STREQ("a", buffer);
  ASSERT_EQ(0, read_tag(*in, buffer, kGpxTagSize));
  EXPECT_STREQ("bc", buffer);
  EXPECT_EQ(-2, read_tag(*in, buffer, kGpxTagSize));
}

// ---- parse_point ----

struct PointCase {
  const char* name;
  std::string bytes;  // the file, from its start
  int result;
  double latitude;
  double longitude;
};

void PrintTo(const PointCase& c, std::ostream* os) { *os << c.name; }

class ParsePointTest : public testing::TestWithParam<PointCase> {};

TEST_P(ParsePointTest, Classifies) {
  const PointCase& c = GetParam();
  auto in = memory_stream(c.bytes);
  GpxSource source;
  TrackPoint point;
  point.name[0] = 'x';
  point.name[159] = 'x';
  ASSERT_EQ(c.result, source.parse_point(*in, point)) << c.name;
  if (c.result != 0) return;
  EXPECT_EQ(c.latitude, point.latitude) << c.name;
  EXPECT_EQ(c.longitude, point.longitude) << c.name;
  EXPECT_EQ('\0', point.name[0]);
  EXPECT_EQ('\0', point.name[159]);
}

// A point tag `trkpt lat=1 <padding> lon=25` whose text is `length`
// characters long.
std::string padded_point(std::size_t length) {
  std::string head = "trkpt lat=1 ";
  std::string tail = "lon=25";
  return "<" + head + std::string(length - head.size() - tail.size(), ' ') +
         tail + "/>";
}

// Text as UTF-16 little-endian: a NUL after every ASCII byte.
std::string utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ParsePointTest,
    testing::Values(
        PointCase{"empty element", "<trkpt lat=\"55.7\" lon=\"37.6\"/>", 0,
                  55.7, 37.6},
        PointCase{"start tag with children",
                  "<trkpt lat=\"55.7\" lon=\"37.6\"><ele>150</ele></trkpt>", 0,
                  55.7, 37.6},
        PointCase{"lon before lat", "<trkpt lon=\"37.6\" lat=\"55.7\">", 0,
                  55.7, 37.6},
        PointCase{"single quotes", "<trkpt lat='55.7' lon='37.6'>", 0, 55.7,
                  37.6},
        PointCase{"no quotes", "<trkpt lat=55.7 lon=37.6>", 0, 55.7, 37.6},
        PointCase{"spread over lines",
                  "<trkpt\r\n  lat = \"55.7\"\n\tlon =\r\n '37.6'\n>", 0, 55.7,
                  37.6},
        PointCase{"negative", "<trkpt lat=\"-33.9\" lon=\"-70.6\">", 0,
                  -33.9, -70.6},
        PointCase{"plus sign", "<trkpt lat=\"+55.7\" lon=\"+37.6\">", 0,
                  55.7, 37.6},
        PointCase{"exponent", "<trkpt lat=\"5.57e1\" lon=\"3.76E+1\">", 0,
                  55.7, 37.6},
        PointCase{"decimal comma", "<trkpt lat=\"55,7\" lon=\"37,6\">", 0,
                  55.0, 37.0},
        PointCase{"second full stop", "<trkpt lat=\"55.7.1\" lon=\"37.6\">",
                  0, 55.7, 37.6},
        PointCase{"empty lat takes the next number",
                  "<trkpt lat=\"\" lon=\"37.6\">", 0, 37.6, 37.6},
        PointCase{"a lone minus is 0", "<trkpt lat=\"-\" lon=\"37.6\">", 0,
                  0.0, 37.6},
        PointCase{"lat inside another word",
                  "<trkpt plateau=\"5\" lat=\"55.7\" lon=\"37.6\">", 0, 5.0,
                  37.6},
        PointCase{"lon inside another word",
                  "<trkpt lat=\"55.7\" colon=\"9\" lon=\"37.6\">", 0, 55.7,
                  9.0},
        PointCase{"namespace prefix", "<gpx:trkpt lat=\"1\" lon=\"2\"/>", 0,
                  1.0, 2.0},
        PointCase{"inside a comment",
                  "<!-- <trkpt lat=\"1\" lon=\"2\"/> -->", 0, 1.0, 2.0},
        PointCase{"inside CDATA",
                  "<desc><![CDATA[ <trkpt lat=\"1\" lon=\"2\"> ]]></desc>", 0,
                  1.0, 2.0},
        PointCase{"after other tags",
                  "\xEF\xBB\xBF<?xml version=\"1.0\"?><gpx><wpt lat=\"5\" "
                  "lon=\"6\"/><trk><trkseg><trkpt lat=\"1\" lon=\"2\"/>",
                  0, 1.0, 2.0},
        // Bounds belong to the range.
        PointCase{"lat 100, lon 370", "<trkpt lat=\"100\" lon=\"370\">", 0,
                  100.0, 370.0},
        PointCase{"lat -100, lon -370", "<trkpt lat=\"-100\" lon=\"-370\">",
                  0, -100.0, -370.0},
        PointCase{"lat above 100", "<trkpt lat=\"100.000001\" lon=\"0\">", 3,
                  0, 0},
        PointCase{"lat below -100", "<trkpt lat=\"-100.000001\" lon=\"0\">",
                  3, 0, 0},
        PointCase{"lon above 370", "<trkpt lat=\"0\" lon=\"370.000001\">", 3,
                  0, 0},
        PointCase{"lon below -370", "<trkpt lat=\"0\" lon=\"-370.000001\">",
                  3, 0, 0},
        PointCase{"lat too large for a double",
                  "<trkpt lat=\"1e400\" lon=\"0\">", 3, 0, 0},
        PointCase{"lon too large for a double",
                  "<trkpt lat=\"0\" lon=\"-1e400\">", 3, 0, 0},
        PointCase{"no lat", "<trkpt lon=\"37.6\">", 1, 0, 0},
        PointCase{"no lon", "<trkpt lat=\"55.7\">", 1, 0, 0},
        PointCase{"upper-case attributes", "<trkpt LAT=\"1\" LON=\"2\">", 1,
                  0, 0},
        PointCase{"namespaced end tag", "</gpx:trkpt>", 1, 0, 0},
        PointCase{"no number after lat", "<trkpt lon=\"37.6\" lat=\"x\">", 2,
                  0, 0},
        PointCase{"no number after lon", "<trkpt lat=\"55.7\" lon=\"x\">", 2,
                  0, 0},
        PointCase{"> in a value before lon",
                  "<trkpt lat=\"1\" name=\"a>b\" lon=\"2\">", 1, 0, 0},
        PointCase{"NUL before lon", std::string("<trkpt lat=1\0 lon=2>", 20),
                  1, 0, 0},
        PointCase{"NUL ends the number",
                  std::string("<trkpt lon=2 lat=1\0" "5>", 21), 0, 1.0, 2.0},
        PointCase{"text 997 long", padded_point(997), 0, 1.0, 25.0},
        PointCase{"text 998 long", padded_point(998), 0, 1.0, 25.0},
        PointCase{"number cut at the 998th character", padded_point(999), 0,
                  1.0, 2.0},
        PointCase{"lon cut at the 998th character",
                  "<trkpt lat=1" + std::string(985, ' ') + "lon=2>", 1, 0, 0},
        // No point tag at all: the end of the input.
        PointCase{"no tags", "trkpt lat=\"1\" lon=\"2\"", -1, 0, 0},
        PointCase{"end tag", "</trkpt>", -1, 0, 0},
        PointCase{"character data",
                  "<desc>trkpt lat=\"1\" lon=\"2\"</desc>", -1, 0, 0},
        PointCase{"upper-case tag", "<TRKPT lat=\"1\" lon=\"2\">", -1, 0, 0},
        PointCase{"waypoints and route points",
                  "<wpt lat=\"1\" lon=\"2\"/><rtept lat=\"1\" lon=\"2\"/>", -1,
                  0, 0},
        PointCase{"NUL before the name",
                  std::string("<\0trkpt lat=1 lon=2>", 20), -1, 0, 0},
        PointCase{"cut short", "<trkpt lat=\"1\" lon=\"2\"", -1, 0, 0},
        PointCase{"UTF-16", utf16("<trkpt lat=\"1\" lon=\"2\"/>"), -1, 0,
                  0}));

// ---- read_point ----

const char kDocument[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<gpx version=\"1.1\" creator=\"test\">\r\n"
    " <wpt lat=\"10\" lon=\"10\"><name>trkpt</name></wpt>\r\n"
    " <trk><name>Walk</name><trkseg>\r\n"
    "  <trkpt lat=\"1\" lon=\"2\"><ele>5</ele><time>t</time></trkpt>\r\n"
    "  <trkpt lat=\"500\" lon=\"2\"/>\r\n"
    "  <trkpt lat=\"3\" lon=\"4\"/>\r\n"
    " </trkseg><trkseg>\r\n"
    "  <trkpt lon=\"x\" lat=\"y\"/>\r\n"
    "  <trkpt lat='5' lon='6'/>\r\n"
    " </trkseg></trk>\r\n"
    " <rte><rtept lat=\"20\" lon=\"20\"/></rte>\r\n"
    " <trk><trkseg><trkpt lat=\"-7\" lon=\"-8\"></trkpt></trkseg></trk>\r\n"
    "</gpx>\r\n";

std::vector<std::pair<double, double>> all_points(GpxSource& source,
                                                  InputStream& in) {
  std::vector<std::pair<double, double>> points;
  TrackPoint point;
  int result;
  while ((result = source.read_point(in, point)) == 0) {
    points.push_back({point.latitude, point.longitude});
  }
  EXPECT_EQ(-1, result);
  EXPECT_EQ(-1, source.read_point(in, point));
  return points;
}

TEST(ReadPointTest, SkipsWhatIsNoPointAndRestartsAlike) {
  const std::vector<std::pair<double, double>> expected = {
      {1, 2}, {3, 4}, {5, 6}, {-7, -8}};
  auto in = memory_stream(kDocument);
  GpxSource source;
  source.check_header(*in);
  EXPECT_EQ(0, in->tell());
  EXPECT_EQ(expected, all_points(source, *in));
  ASSERT_TRUE(in->seek(0));
  EXPECT_EQ(expected, all_points(source, *in));
}

TEST(ReadPointTest, ACutShortFileYieldsThePointsBeforeTheCut) {
  std::string document(kDocument);
  std::size_t cut = document.find("<trkpt lat='5'") + 10;
  auto in = memory_stream(document.substr(0, cut));
  GpxSource source;
  const std::vector<std::pair<double, double>> expected = {{1, 2}, {3, 4}};
  EXPECT_EQ(expected, all_points(source, *in));
}

// ---- reading in place against the copying reader ----

// The copying reader: read_tag into a buffer, then plain string searches and
// the conversion of a NUL-terminated text.  What parse_point must give,
// whether it reads a tag in place, from the window's masks or through its
// buffer.
int reference_parse(InputStream& in, TrackPoint& point) {
  char tag[kGpxTagSize];
  do {
    if (read_tag(in, tag, kGpxTagSize) != 0) return -1;
  } while (std::strstr(tag, "trkpt") == nullptr ||
           std::strstr(tag, "/trkpt") != nullptr);
  clear_name(point);
  const char* words[] = {"lat", "lon"};
  double* values[] = {&point.latitude, &point.longitude};
  const double bounds[] = {100.0, 370.0};
  for (int i = 0; i < 2; ++i) {
    const char* found = std::strstr(tag, words[i]);
    if (found == nullptr) return 1;
    const char* number = found + std::strcspn(found, "0123456789-");
    if (*number == '\0') return 2;
    *values[i] = decimal_value(number);
    if (*values[i] > bounds[i] || !(*values[i] >= -bounds[i])) return 3;
  }
  return 0;
}

int reference_read(InputStream& in, TrackPoint& point) {
  int result;
  do {
    result = reference_parse(in, point);
  } while (result > 0);
  return result;
}

constexpr std::size_t kBlock = 64 * 1024;  // the stream's buffer

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed) {}
  std::uint32_t operator()(std::uint32_t n) {
    state_ = state_ * 1103515245u + 12345u;
    return (state_ >> 8) % n;
  }
  template <std::size_t N>
  const char* pick(const char* const (&choices)[N]) {
    return choices[(*this)(N)];
  }

 private:
  std::uint32_t state_;
};

const char* const kNumbers[] = {
    "55.7558313", "-33.9", "100", "-100", "100.0000001", "-100.00000000000001",
    "370", "-370", "370.0000000001", "1e2", "1.0000001e2", "1e400", "-1e400",
    "", "-", "+37.6", "5.57e1", "55,7", "x", ".5", "00000000000000000042",
    "12345678901234567890123", "99.99999999999999999", "369.99999999999999"};

// A point tag's text, or something close to one.
std::string point_text(Random& r) {
  const char* quotes[] = {"\"", "'", ""};
  std::string q = r.pick(quotes);
  std::string lat = "lat=" + q + r.pick(kNumbers) + q;
  std::string lon = "lon=" + q + r.pick(kNumbers) + q;
  if (r(8) == 0) lat = "plateau=\"7\" " + lat;
  // Now and then padded across the 63 characters of a window.
  std::string between(r(3) == 0 ? 1 + r(50) : 1, ' ');
  std::string attributes =
      r(2) == 0 ? lat + between + lon : lon + between + lat;
  if (r(10) == 0) attributes = r(2) == 0 ? lat : lon;
  const char* names[] = {"trkpt", "trkpt", "trkpt", "gpx:trkpt", "/trkpt",
                         "/gpx:trkpt", "TRKPT", "trkp", "wpt", "ktrkpt"};
  std::string text = r.pick(names);
  text += std::string(1 + r(3), ' ') + attributes;
  if (r(12) == 0) text += " x=\"/trkpt\"";
  if (r(3) == 0) text += "/";
  return text;
}

// A text around the 998-character limit: the second word, or its number,
// stands across the limit or just within it.
std::string long_text(Random& r) {
  bool lat_first = r(2) == 0;
  std::string text = std::string("trkpt ") + (lat_first ? "lat=" : "lon=") +
                     r.pick(kNumbers) + " ";
  text.resize(985 + r(16), ' ');  // the second word at 985 .. 1000
  text += lat_first ? "lon=12345.6789" : "lat=-12.5e1";
  if (r(4) == 0) text[r(static_cast<std::uint32_t>(text.size()))] = '\0';
  return text;
}

std::string tag_text(Random& r) {
  const char* plain[] = {"ele", "/ele", "time", "/time", "/trkpt", "/trkpt",
                         "trkseg", "/trkseg", "", "trkpt", "k", "kk<",
                         "trkpt lat=1 lon=2 <", "!-- <trkpt lat=1 lon=2/"};
  std::string text;
  std::uint32_t kind = r(60);
  if (kind == 0) {
    text = long_text(r);
  } else if (kind < 20) {
    text = r.pick(plain);
  } else {
    text = point_text(r);
  }
  // NULs and '<' anywhere in the text.
  if (!text.empty() && r(8) == 0) {
    text[r(static_cast<std::uint32_t>(text.size()))] = '\0';
  }
  if (!text.empty() && r(10) == 0) {
    text.insert(r(static_cast<std::uint32_t>(text.size())), "<");
  }
  return text;
}

std::string gap(Random& r) {
  const char* gaps[] = {"", "\n", "\r\n ", "155.7", "2024-06-06T06:00:01Z",
                        " > ", "trkpt lat=1 lon=2", "\xEF\xBB\xBF"};
  std::string g = r.pick(gaps);
  if (r(20) == 0) g += std::string(r(300), ' ');
  return g;
}

// About `blocks` buffer blocks of tags.  Before every block edge a tag is
// placed to start a chosen distance before it, so that tags of every kind
// straddle the edges in every way: '<' the last byte of a block, '>' the
// first one, a long tag reaching its limit across the edge.
std::string assorted_tags(std::uint32_t seed, std::size_t blocks) {
  const std::size_t distances[] = {1,  2,  3,   5,   6,   20,  41,
                                   63, 64, 500, 996, 997, 998, 999,
                                   1000, 1001, 1200};
  Random r(seed);
  std::string bytes;
  for (std::size_t edge = kBlock, i = 0; edge <= blocks * kBlock;
       edge += kBlock, ++i) {
    std::size_t distance = distances[(i + seed) % std::size(distances)];
    while (bytes.size() + 2000 < edge) {
      bytes += gap(r) + "<" + tag_text(r) + ">";
    }
    bytes.resize(edge - distance, ' ');
    std::string text = distance > 63 ? long_text(r) : point_text(r);
    bytes += "<" + text + ">";
  }
  return bytes;
}

struct DocumentCase {
  const char* name;
  std::uint32_t seed;
  std::string ending;  // bytes after the tags: a tag cut short, or none
  std::size_t ending_before_edge;  // where the ending starts (0: anywhere)
};

void PrintTo(const DocumentCase& c, std::ostream* os) { *os << c.name; }

std::string document(const DocumentCase& c) {
  std::string bytes = assorted_tags(c.seed, 5);
  if (c.ending_before_edge != 0) {
    std::size_t edge = (bytes.size() / kBlock + 2) * kBlock;
    bytes.resize(edge - c.ending_before_edge, ' ');
  }
  return bytes + c.ending;
}

class InPlaceTest : public testing::TestWithParam<DocumentCase> {};

TEST_P(InPlaceTest, ParsePointReadsAsTheCopyingReader) {
  const std::string bytes = document(GetParam());
  auto in = memory_stream(bytes);
  auto reference = memory_stream(bytes);
  GpxSource source;
  TrackPoint point{};
  TrackPoint expected{};
  int results[4] = {};
  for (int tag = 0;; ++tag) {
    int result = reference_parse(*reference, expected);
    ASSERT_EQ(result, source.parse_point(*in, point)) << "point tag " << tag;
    ASSERT_EQ(reference->tell(), in->tell()) << "point tag " << tag;
    // Bit for bit, also where a rejected tag has changed them.
    ASSERT_EQ(0, std::memcmp(&expected.latitude, &point.latitude,
                             sizeof(double))) << "point tag " << tag;
    ASSERT_EQ(0, std::memcmp(&expected.longitude, &point.longitude,
                             sizeof(double))) << "point tag " << tag;
    if (result < 0) break;
    ++results[result];
  }
  // Every outcome came up often.
  for (int count : results) EXPECT_GT(count, 30);
}

TEST_P(InPlaceTest, SkipPointStopsWhereReadPointDoes) {
  const std::string bytes = document(GetParam());
  auto in = memory_stream(bytes);
  auto reference = memory_stream(bytes);
  GpxSource source;
  TrackPoint point;
  int points = 0;
  for (;;) {
    int result = reference_read(*reference, point);
    ASSERT_EQ(result, source.skip_point(*in)) << "point " << points;
    ASSERT_EQ(reference->tell(), in->tell()) << "point " << points;
    if (result < 0) break;
    ++points;
  }
  EXPECT_GT(points, 500);
  EXPECT_EQ(-1, source.skip_point(*in));
  EXPECT_EQ(reference->tell(), in->tell());
}

std::string point_of_length(std::size_t length) {
  std::string head = "trkpt lat=1 lon=2";
  return head + std::string(length - head.size(), ' ');
}

INSTANTIATE_TEST_SUITE_P(
    Documents, InPlaceTest,
    testing::Values(
        DocumentCase{"assorted tags", 1, "", 0},
        DocumentCase{"other tags", 2, "", 0},
        DocumentCase{"more tags", 3, "", 0},
        DocumentCase{"cut inside a point tag", 4, "<trkpt lat=1 lon=2", 0},
        DocumentCase{"cut inside a point tag across an edge", 5,
                     "<trkpt lat=1 lon=2", 7},
        DocumentCase{"cut after a < that ends a block", 6, "<", 1},
        DocumentCase{"cut after a point tag's last byte", 7,
                     "<trkpt lat=1 lon=2>", 19},
        DocumentCase{"997 characters then the end, across an edge", 8,
                     "<" + point_of_length(997), 300},
        DocumentCase{"998 characters then the end, across an edge", 9,
                     "<" + point_of_length(998), 300},
        DocumentCase{"999 characters then the end, across an edge", 10,
                     "<" + point_of_length(999), 300},
        DocumentCase{"998 characters at the very end", 11,
                     "<" + point_of_length(998), 999},
        DocumentCase{"a long tag's rest ends the file", 12,
                     "<" + point_of_length(998) + "lat=3 <trkpt lat=4 lon=5",
                     600}));

// ---- the whole run through the core ----

// A GPX source over a file that loses its last points between the counting
// pass and the converting pass, as when another program rewrites it.
class ShrinkingFileSource : public GpxSource {
 public:
  ShrinkingFileSource(std::string path, std::uintmax_t size)
      : path_(std::move(path)), size_(size) {}
  void restart(std::int64_t) override {
    std::filesystem::resize_file(path_, size_);
  }

 private:
  std::string path_;
  std::uintmax_t size_;
};

const ProgramInfo kProgram = {"banner\n", "notice\n", "usage\n", true};

struct Outcome {
  int status;
  std::string output;
};

Outcome run_with(PointSource& source, const std::vector<std::string>& args) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  int status = run_converter(kProgram, source, args, out);
  std::fclose(out);
  Outcome outcome{status, std::string(buffer, size)};
  std::free(buffer);
  return outcome;
}

class RunTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = (std::filesystem::temp_directory_path() /
            ("gpx-run-" + std::to_string(getpid())))
               .string();
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir_;
};

TEST_F(RunTest, PointsLostBeforeTheConvertingPassEndWithStatus13) {
  const std::string points =
      "<trkpt lat=\"1\" lon=\"2\"/>\n<trkpt lat=\"1.001\" lon=\"2\"/>\n"
      "<trkpt lat=\"1.002\" lon=\"2\"/>\n";
  write("in.gpx", points);
  write("out.bin", "keep me");
  ShrinkingFileSource source(dir_ + "/in.gpx", points.find('\n') + 1);
  Outcome run = run_with(source, {dir_ + "/in.gpx", dir_ + "/out.bin"});
  EXPECT_EQ(13, run.status);
  EXPECT_EQ("Input  file: " + dir_ + "/in.gpx \nOutput file: " + dir_ +
                "/out.bin \nTrack breaking distance: 1000 \n"
                "Number of input points: 3 \n"
                "Track 1 start at 1.000000 , 2.000000 \n"
                "Input file read error (-1)!\nnum=2\n",
            run.output);
  EXPECT_EQ("keep me", read("out.bin"));
}

}  // namespace
}  // namespace tracks
