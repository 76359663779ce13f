// Writes the benchmark inputs: one simulated trip as an OziExplorer .plt, a
// GPX file and a MapSource .mps file.
//
//   bench_generate OUTPUT_DIR POINTS [SEED]
//
// writes OUTPUT_DIR/track-POINTS-SEED.{plt,gpx,mps}.  The trip is a random
// walk on integers only (positions in 1e-7 degree, heights in decimetres,
// times in seconds), so the same seed gives the same bytes on every machine.
// Every few tens of thousands of points the receiver "loses" the signal and
// the trip resumes a few kilometres away: that starts a new GPX trkseg and a
// new .mps track record, and makes the converters break the track there.
//
// Each file is written under a temporary name and renamed when complete, so
// an interrupted run never leaves a short file behind.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and fully specified.
struct Random {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in lo..hi, both included (the tiny modulo bias does not matter).
  std::int64_t between(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(
                    next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
};

struct Point {
  std::int64_t lat;     // 1e-7 degree
  std::int64_t lon;     // 1e-7 degree
  std::int64_t ele;     // decimetres
  std::int64_t time;    // seconds since 2024-01-01 00:00:00 UTC
  bool segment_start;   // the first point after a signal loss
};

// The trip, one point at a time.
class Trip {
 public:
  explicit Trip(std::uint64_t seed) : random_{seed} {
    lat_ = 557558310;  // a city centre at 55.76 N 37.62 E
    lon_ = 376176730;
    ele_ = 1560;
    time_ = 157 * 86400 + 6 * 3600;  // 2024-06-06 06:00:00
    next_gap_ = random_.between(20000, 60000);
  }

  Point next() {
    bool start = first_;
    first_ = false;
    if (--next_gap_ == 0) {
      // Signal lost: resume some kilometres away, minutes later.
      lat_ += random_.between(-600000, 600000);
      lon_ += random_.between(-900000, 900000);
      time_ += random_.between(120, 1800);
      next_gap_ = random_.between(20000, 60000);
      start = true;
    }
    // Velocity drifts a little each second, up to about 25 m/s.
    vlat_ = clamp(vlat_ + random_.between(-60, 60), -2200);
    vlon_ = clamp(vlon_ + random_.between(-90, 90), -3800);
    lat_ += vlat_;
    lon_ += vlon_;
    ele_ = clamp(ele_ + random_.between(-3, 3), -4000);
    time_ += 1;
    return Point{lat_, lon_, ele_, time_, start};
  }

 private:
  static std::int64_t clamp(std::int64_t v, std::int64_t low) {
    if (v < low) return low;
    if (v > -low) return -low;
    return v;
  }

  Random random_;
  std::int64_t lat_, lon_, ele_, time_;
  std::int64_t vlat_ = 0, vlon_ = 0;
  std::int64_t next_gap_;
  bool first_ = true;
};

// Writes a fixed-point value with `digits` decimals, given in units of
// 10^-scale (scale >= digits), rounded half away from zero.
int fixed(char* out, std::int64_t value, int scale, int digits) {
  std::int64_t divisor = 1;
  for (int i = digits; i < scale; ++i) divisor *= 10;
  bool negative = value < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(value)
               : static_cast<std::uint64_t>(value);
  magnitude = (magnitude + static_cast<std::uint64_t>(divisor) / 2) /
              static_cast<std::uint64_t>(divisor);
  std::uint64_t unit = 1;
  for (int i = 0; i < digits; ++i) unit *= 10;
  if (digits == 0) {
    return std::sprintf(out, "%s%" PRIu64, negative ? "-" : "",
                        magnitude / unit);
  }
  return std::sprintf(out, "%s%" PRIu64 ".%0*" PRIu64, negative ? "-" : "",
                      magnitude / unit, digits, magnitude % unit);
}

// Calendar fields of a time in seconds since 2024-01-01 (years 2024-2025
// are plenty for a benchmark trip).
struct Calendar {
  int year, month, day, hour, minute, second;
};

Calendar calendar(std::int64_t t) {
  static const int kDays[2][12] = {{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
  Calendar c{};
  std::int64_t days = t / 86400;
  std::int64_t rest = t % 86400;
  c.hour = static_cast<int>(rest / 3600);
  c.minute = static_cast<int>(rest / 60 % 60);
  c.second = static_cast<int>(rest % 60);
  c.year = 2024;
  for (;;) {
    int length = c.year % 4 == 0 ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++c.year;
  }
  const int* months = kDays[c.year % 4 == 0 ? 0 : 1];
  c.month = 0;
  while (days >= months[c.month]) days -= months[c.month++];
  c.month += 1;
  c.day = static_cast<int>(days) + 1;
  return c;
}

class Output {
 public:
  Output(const std::string& dir, const std::string& name)
      : final_(dir + "/" + name), temporary_(final_ + ".part") {
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr) {
      std::perror(temporary_.c_str());
      std::exit(1);
    }
  }
  void write(const void* bytes, std::size_t n) {
    if (std::fwrite(bytes, 1, n, file_) != n) fail();
  }
  void text(const char* s) { write(s, std::strlen(s)); }
  void u8(unsigned v) {
    unsigned char b = static_cast<unsigned char>(v);
    write(&b, 1);
  }
  void u32(std::uint32_t v) {
    unsigned char b[4] = {static_cast<unsigned char>(v),
                          static_cast<unsigned char>(v >> 8),
                          static_cast<unsigned char>(v >> 16),
                          static_cast<unsigned char>(v >> 24)};
    write(b, 4);
  }
  void u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v));
    u32(static_cast<std::uint32_t>(v >> 32));
  }
  void f64(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    u64(bits);
  }
  long position() { return std::ftell(file_); }
  void seek(long position) {
    if (std::fseek(file_, position, SEEK_SET) != 0) fail();
  }
  void finish() {
    if (std::fclose(file_) != 0) fail();
    if (std::rename(temporary_.c_str(), final_.c_str()) != 0) fail();
    std::printf("%s\n", final_.c_str());
  }

 private:
  [[noreturn]] void fail() {
    std::perror(final_.c_str());
    std::exit(1);
  }

  std::string final_;
  std::string temporary_;
  std::FILE* file_;
};

const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1899-12-30 (the epoch of OziExplorer's date field) to 2024-01-01.
constexpr std::int64_t kOziEpochDays = 45292;

void write_plt(const std::string& dir, const std::string& name, long points,
               std::uint64_t seed) {
  Output out(dir, name);
  char line[256];
  out.text("OziExplorer Track Point File Version 2.1\r\n"
           "WGS 84\r\n"
           "Altitude is in Feet\r\n"
           "Reserved 3\r\n"
           "0,2,255,Benchmark trip,0,0,2,8421376\r\n");
  std::sprintf(line, "%ld\r\n", points);
  out.text(line);
  Trip trip(seed);
  for (long i = 0; i < points; ++i) {
    Point p = trip.next();
    char lat[32], lon[32], feet[32], days[32];
    fixed(lat, p.lat, 7, 6);
    fixed(lon, p.lon, 7, 6);
    // Decimetres to tenths of a foot: * 10 / 3.048.
    fixed(feet, p.ele * 10000 / 3048, 1, 1);
    // Fractional days with 7 decimals.
    fixed(days, (kOziEpochDays * 86400 + p.time) * 10000000 / 86400, 7, 7);
    Calendar c = calendar(p.time);
    int n = std::snprintf(line, sizeof line,
                          "%11s,%11s,%d,%6s,%s,%02d-%s-%02d, %02d:%02d:%02d\r\n",
                          lat, lon, p.segment_start ? 1 : 0, feet, days, c.day,
                          kMonthNames[c.month - 1], c.year % 100, c.hour,
                          c.minute, c.second);
    out.write(line, static_cast<std::size_t>(n));
  }
  out.finish();
}

void write_gpx(const std::string& dir, const std::string& name, long points,
               std::uint64_t seed) {
  Output out(dir, name);
  out.text("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n"
           "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" version=\"1.1\" "
           "creator=\"bench_generate\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
           "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
           "<metadata><name>Benchmark trip</name>"
           "<time>2024-06-06T06:00:00Z</time></metadata>\n"
           "<wpt lat=\"55.7539000\" lon=\"37.6208000\"><ele>145.0</ele>"
           "<name>Start</name><sym>Flag, Blue</sym></wpt>\n"
           "<trk>\n<name>Benchmark trip</name>\n<trkseg>\n");
  Trip trip(seed);
  char line[256];
  for (long i = 0; i < points; ++i) {
    Point p = trip.next();
    if (p.segment_start && i > 0) out.text("</trkseg>\n<trkseg>\n");
    char lat[32], lon[32], ele[32];
    fixed(lat, p.lat, 7, 7);
    fixed(lon, p.lon, 7, 7);
    fixed(ele, p.ele, 1, 1);
    Calendar c = calendar(p.time);
    int n = std::snprintf(
        line, sizeof line,
        "<trkpt lat=\"%s\" lon=\"%s\">\n <ele>%s</ele>\n"
        " <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n</trkpt>\n",
        lat, lon, ele, c.year, c.month, c.day, c.hour, c.minute, c.second);
    out.write(line, static_cast<std::size_t>(n));
  }
  out.text("</trkseg>\n</trk>\n</gpx>\n");
  out.finish();
}

// One .mps record: int32 length of what follows the type byte, the type,
// then the payload.
void mps_record(Output& out, char type, const std::string& payload) {
  out.u32(static_cast<std::uint32_t>(payload.size()));
  out.u8(static_cast<unsigned char>(type));
  out.write(payload.data(), payload.size());
}

std::string mps_waypoint(int number, const Point& p) {
  std::string w = "WPT" + std::to_string(number);
  w.push_back('\0');
  // Class, colour, display, attributes, symbol, subclass, position and a
  // comment: the converter passes all of it over by the record length.
  w.append(std::string(12, '\0'));
  for (std::int64_t v : {p.lat, p.lon}) {
    auto bits = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) w.push_back(static_cast<char>(bits >> (8 * i)));
  }
  w.append("Waypoint between track records");
  w.push_back('\0');
  w.append(std::string(30, '\x01'));
  return w;
}

std::uint32_t semicircles(std::int64_t units) {
  // 1e-7 degree to semicircles: units * 2^31 / (180 * 1e7).
  return static_cast<std::uint32_t>(
      static_cast<std::int32_t>(units * 2147483648LL / 1800000000LL));
}

void write_mps(const std::string& dir, const std::string& name, long points,
               std::uint64_t seed) {
  Output out(dir, name);
  out.write("MsRcd\0", 6);
  mps_record(out, 'D', std::string("i\0\0", 3));
  mps_record(out, 'A', std::string("\x2a\x02SQA\0MapSource\0Oct 12 2010\0"
                                   "15:32:10\0", 38));
  Trip trip(seed);
  int record = 0;
  long in_record = 0;
  long count_position = -1;
  long record_start = -1;
  auto close_record = [&]() {
    if (record_start < 0) return;
    long end = out.position();
    out.seek(record_start);
    out.u32(static_cast<std::uint32_t>(end - record_start - 5));
    out.seek(count_position);
    out.u32(static_cast<std::uint32_t>(in_record));
    out.seek(end);
    // A waypoint between this track record and the next.
    mps_record(out, 'W', mps_waypoint(record, Point{}));
    record_start = -1;
  };
  for (long i = 0; i < points; ++i) {
    Point p = trip.next();
    // A new record after a signal loss, and at most 25000 points in one.
    if (p.segment_start || in_record == 25000) {
      close_record();
      ++record;
      record_start = out.position();
      out.u32(0);  // length, filled in when the record is closed
      out.u8('T');
      std::string track_name = "ACTIVE LOG " + std::to_string(record);
      out.write(track_name.c_str(), track_name.size() + 1);
      out.u8(1);             // displayed
      out.u32(0x000000FFu);  // colour
      count_position = out.position();
      out.u32(0);  // point count, filled in when the record is closed
      in_record = 0;
    }
    out.u32(semicircles(p.lat));
    out.u32(semicircles(p.lon));
    // Altitude, time and depth, each behind a "present" flag.
    out.u8(1);
    out.f64(static_cast<double>(p.ele) / 10.0);
    out.u8(1);
    out.u32(static_cast<std::uint32_t>(1704067200 + p.time));
    out.u8(0);
    out.f64(0.0);
    ++in_record;
  }
  close_record();
  out.finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: bench_generate OUTPUT_DIR POINTS [SEED]\n");
    return 1;
  }
  std::string dir = argv[1];
  long points = std::strtol(argv[2], nullptr, 10);
  std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
  if (points < 1) {
    std::fprintf(stderr, "bench_generate: POINTS must be positive\n");
    return 1;
  }
  std::string base = "track-" + std::to_string(points) + "-" +
                     std::to_string(seed);
  write_plt(dir, base + ".plt", points, seed);
  write_gpx(dir, base + ".gpx", points, seed);
  write_mps(dir, base + ".mps", points, seed);
  return 0;
}
