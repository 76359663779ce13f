#include "gpx/gpx_source.h"

#include <cstring>

#include "core/decimal.h"

namespace tracks {
namespace {

// The first decimal digit or minus sign at or after `text`, or nullptr when
// the tag's text ends first.
const char* number_start(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if ((*p >= '0' && *p <= '9') || *p == '-') return p;
  }
  return nullptr;
}

// Reads the number after the first `word` in the tag.  0 and the value, or
// 1 (no such word) or 2 (no number after it).
int coordinate_after(const char* tag, const char* word, double* value) {
  const char* found = std::strstr(tag, word);
  if (found == nullptr) return 1;
  const char* number = number_start(found);
  if (number == nullptr) return 2;
  *value = decimal_value(number);
  return 0;
}

}  // namespace

const ProgramInfo kRalderProgram = {
    "Navitel .gpx track to Navitel Traks.bin file converter V1.20 \n",
    "Converts the track points of a GPX file (.gpx) into a Navitel "
    "Tracks.bin file.\n",
    "Ralder InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
    true,
};

int read_tag(InputStream& input, char* buffer, int size) {
  buffer[0] = '\0';
  buffer[size - 1] = '\0';

  // Drop everything up to and including the next '<', a buffered block at a
  // time.
  for (;;) {
    const unsigned char* p = input.data();
    std::size_t available = static_cast<std::size_t>(input.end() - p);
    const auto* open =
        static_cast<const unsigned char*>(std::memchr(p, '<', available));
    if (open != nullptr) {
      input.advance(static_cast<std::size_t>(open - p) + 1);
      break;
    }
    input.advance(available);
    if (!input.refill()) return -1;
  }

  // Keep the text up to the '>' or the limit.  At the limit the next byte is
  // not read: the rest of a long tag stays in the input.
  const std::size_t room = static_cast<std::size_t>(size - 2);
  std::size_t count = 0;
  while (count < room) {
    const unsigned char* p = input.data();
    std::size_t available = static_cast<std::size_t>(input.end() - p);
    if (available == 0) {
      if (!input.refill()) return -2;
      continue;
    }
    std::size_t take = available < room - count ? available : room - count;
    const auto* close =
        static_cast<const unsigned char*>(std::memchr(p, '>', take));
    if (close != nullptr) {
      std::size_t n = static_cast<std::size_t>(close - p);
      std::memcpy(buffer + count, p, n);
      count += n;
      input.advance(n + 1);  // the '>' is consumed, not kept
      break;
    }
    std::memcpy(buffer + count, p, take);
    count += take;
    input.advance(take);
  }
  buffer[count] = '\0';
  return 0;
}

int GpxSource::parse_point(InputStream& input, TrackPoint& point) {
  // Tags that are no point tags are passed over here, without a result.
  do {
    if (read_tag(input, tag_buffer_, kGpxTagSize) != 0) return -1;
  } while (std::strstr(tag_buffer_, "trkpt") == nullptr ||
           std::strstr(tag_buffer_, "/trkpt") != nullptr);

  clear_name(point);
  int result = coordinate_after(tag_buffer_, "lat", &point.latitude);
  if (result != 0) return result;
  // Written so that a value that is not a number fails as well.
  if (point.latitude > 100.0 || !(point.latitude >= -100.0)) return 3;
  result = coordinate_after(tag_buffer_, "lon", &point.longitude);
  if (result != 0) return result;
  if (point.longitude > 370.0 || !(point.longitude >= -370.0)) return 3;
  return 0;
}

int GpxSource::read_point(InputStream& input, TrackPoint& point) {
  int result;
  do {
    result = parse_point(input, point);
  } while (result > 0);
  return result;
}

}  // namespace tracks
