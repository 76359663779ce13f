#include "plt/plt_source.h"

#include <cstring>

#include "core/decimal.h"

namespace tracks {
namespace {

constexpr char kHeaderTag[] = "OziExplorer Track Point File";
constexpr std::size_t kHeaderTagLength = sizeof kHeaderTag - 1;  // 28

inline bool is_line_end(unsigned char c) {
  return c == '\n' || c == '\r' || c == '\0';
}

}  // namespace

const ProgramInfo kTarrowProgram = {
    "OziExplorer .plt to Navitel Traks.bin file converter V1.20 \n",
    "Converts an OziExplorer track (.plt) into a Navitel Tracks.bin file.\n",
    "Tarrow InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
    false,
};

int read_text_line(InputStream& input, char* buffer, int limit) {
  // Skip line ends left over from earlier lines, and blank lines.
  for (;;) {
    const unsigned char* p = input.data();
    const unsigned char* end = input.end();
    while (p < end && is_line_end(*p)) ++p;
    input.advance(static_cast<std::size_t>(p - input.data()));
    if (p < end) break;
    if (!input.refill()) return -1;
  }

  // Keep characters up to the line end or the limit, a buffered block at a
  // time.
  int count = 0;
  for (;;) {
    const unsigned char* p = input.data();
    std::size_t available = static_cast<std::size_t>(input.end() - p);
    std::size_t room = static_cast<std::size_t>(limit - count);
    const unsigned char* stop = p + (available < room ? available : room);
    const unsigned char* q = p;
    while (q < stop && !is_line_end(*q)) ++q;
    std::memcpy(buffer + count, p, static_cast<std::size_t>(q - p));
    count += static_cast<int>(q - p);
    if (q < stop) {
      input.advance(static_cast<std::size_t>(q - p) + 1);  // the line end
      buffer[count] = '\0';
      return count;
    }
    input.advance(static_cast<std::size_t>(q - p));
    if (count == limit) break;
    if (!input.refill()) return -1;
  }

  // The line is full: drop the rest of it, its line end included.
  buffer[limit] = '\0';
  for (;;) {
    const unsigned char* p = input.data();
    const unsigned char* end = input.end();
    const unsigned char* q = p;
    while (q < end && !is_line_end(*q)) ++q;
    if (q < end) {
      input.advance(static_cast<std::size_t>(q - p) + 1);
      return limit;
    }
    input.advance(static_cast<std::size_t>(q - p));
    if (!input.refill()) return -1;
  }
}

void PltSource::check_header(InputStream& input) {
  int length = read_text_line(input, line_buffer_, kPltLineLimit);
  if (length < 0) throw RunError(2, "Input file read error!\n");
  if (static_cast<std::size_t>(length) < kHeaderTagLength ||
      std::memcmp(line_buffer_, kHeaderTag, kHeaderTagLength) != 0) {
    throw RunError(2, "Incorrect file format!\n");
  }
  // Datum, reserved line, track settings and point count: not needed.
  for (int i = 0; i < 5; ++i) {
    if (read_text_line(input, line_buffer_, kPltLineLimit) < 0) {
      throw RunError(2, "Input file read error!\n");
    }
  }
}

int PltSource::parse_point(InputStream& input, TrackPoint& point) {
  int length = read_text_line(input, line_buffer_, kPltLineLimit);
  if (length < 0) return -1;
  const char* comma = static_cast<const char*>(
      std::memchr(line_buffer_, ',', static_cast<std::size_t>(length)));
  if (comma == nullptr) return 1;
  clear_name(point);
  point.latitude = decimal_value(line_buffer_);
  // Written so that a value that is not a number fails as well.
  if (point.latitude > 100.0 || !(point.latitude >= -100.0)) return 3;
  point.longitude = decimal_value(comma + 1);
  if (point.longitude > 370.0 || !(point.longitude >= -370.0)) return 3;
  return 0;
}

int PltSource::read_point(InputStream& input, TrackPoint& point) {
  int result;
  do {
    result = parse_point(input, point);
  } while (result > 0);
  return result;
}

}  // namespace tracks
