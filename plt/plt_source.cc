#include "plt/plt_source.h"

#include <cstring>

#include "core/byte_search.h"
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

namespace {

// Passes over line ends left over from earlier lines, and blank lines.
// False when the input ends first.
bool skip_line_ends(InputStream& input) {
  for (;;) {
    const unsigned char* p = input.data();
    const unsigned char* end = input.end();
    while (p < end && is_line_end(*p)) ++p;
    input.advance(static_cast<std::size_t>(p - input.data()));
    if (p < end) return true;
    if (!input.refill()) return false;
  }
}

}  // namespace

int read_text_line(InputStream& input, char* buffer, int limit) {
  if (!skip_line_ends(input)) return -1;

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

bool PltSource::next_line(InputStream& input, Line& line) {
  if (!skip_line_ends(input)) return false;
  // Most lines end inside the buffered block within the limit: take them
  // where they are.  The rest (cut at the block's end, or too long) go
  // through the line buffer.
  const unsigned char* p = input.data();
  std::size_t available = static_cast<std::size_t>(input.end() - p);
  std::size_t window = kPltLineLimit + 1;
  if (available < window) window = available;
  if (const unsigned char* line_end = find_first_of<'\n', '\r', '\0'>(p, p + window)) {
    line.begin = reinterpret_cast<const char*>(p);
    line.end = reinterpret_cast<const char*>(line_end);
    input.advance(static_cast<std::size_t>(line_end - p) + 1);
    return true;
  }
  int length = read_text_line(input, line_buffer_, kPltLineLimit);
  if (length < 0) return false;
  line.begin = line_buffer_;
  line.end = line_buffer_ + length;
  return true;
}

namespace {

// The first comma of a line, searched from `from`, which lies at or before
// it: a number holds no comma, so the search starts where the latitude ends.
const char* first_comma(const char* from, const char* end) {
  if (from < end && *from == ',') return from;
  return static_cast<const char*>(
      std::memchr(from, ',', static_cast<std::size_t>(end - from)));
}

}  // namespace

int PltSource::parse_point(InputStream& input, TrackPoint& point) {
  Line line;
  if (!next_line(input, line)) return -1;
  const char* after = nullptr;
  double latitude = decimal_value(line.begin, line.end, &after);
  const char* comma = first_comma(after, line.end);
  if (comma == nullptr) return 1;
  clear_name(point);
  point.latitude = latitude;
  // Written so that a value that is not a number fails as well.
  if (point.latitude > 100.0 || !(point.latitude >= -100.0)) return 3;
  point.longitude = decimal_value(comma + 1, line.end, nullptr);
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

int PltSource::skip_point(InputStream& input) {
  // The lines of parse_point, with the range checks decided from the digits
  // where they suffice.
  Line line;
  while (next_line(input, line)) {
    const char* after = nullptr;
    bool latitude_within = decimal_within(line.begin, line.end, 100, &after);
    const char* comma = first_comma(after, line.end);
    if (comma != nullptr && latitude_within &&
        decimal_within(comma + 1, line.end, 370, nullptr)) {
      return 0;
    }
  }
  return -1;
}

}  // namespace tracks
