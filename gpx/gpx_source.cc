#include "gpx/gpx_source.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/byte_search.h"
#include "core/decimal.h"

namespace tracks {
namespace {

// The most characters of a tag's text that are kept.
constexpr std::size_t kTagLimit = kGpxTagSize - 2;

// Where the bytes '<', '>', 'k' and NUL stand among the 64 buffered bytes
// from `base` (fewer at the end of the buffered bytes; the bits past it are
// clear).  Bit i stands for base[i].  Made once for every 64 bytes, these
// masks give most tags' ends, and tell most tags from a point tag, without
// a look at their bytes.
struct Window {
  const unsigned char* base;
  std::uint64_t open;   // '<'
  std::uint64_t close;  // '>'
  std::uint64_t k;
  std::uint64_t nul;
};

inline void load(Window& w, const unsigned char* p, const unsigned char* stop) {
  w.base = p;
  w.open = w.close = w.k = w.nul = 0;
#if defined(__SSE2__)
  if (stop - p >= 64) {
    const __m128i open = _mm_set1_epi8('<');
    const __m128i close = _mm_set1_epi8('>');
    const __m128i k = _mm_set1_epi8('k');
    const __m128i nul = _mm_setzero_si128();
    auto bits = [](__m128i block, __m128i byte) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(block, byte))));
    };
    for (int i = 0; i < 4; ++i) {
      __m128i block =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
      w.open |= bits(block, open) << (16 * i);
      w.close |= bits(block, close) << (16 * i);
      w.k |= bits(block, k) << (16 * i);
      w.nul |= bits(block, nul) << (16 * i);
    }
    return;
  }
#endif
  std::ptrdiff_t n = stop - p < 64 ? stop - p : 64;
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    std::uint64_t bit = std::uint64_t{1} << i;
    if (p[i] == '<') w.open |= bit;
    if (p[i] == '>') w.close |= bit;
    if (p[i] == 'k') w.k |= bit;
    if (p[i] == '\0') w.nul |= bit;
  }
}

// Whether the tag's text [text, end) is a point tag: up to its first NUL it
// holds "trkpt" and not "/trkpt".  `limit` receives where the searched text
// ends (the first NUL, or end) when it is one.  Every "trkpt" is found by
// its 'k'; a text too short to hold the word is passed over at once, as are
// most tags (ele, time and their end tags).
bool is_point_tag(const char* text, const char* end, const char** limit) {
  if (end - text < 5) return false;
  bool found = false;
  const char* p = text;
  while ((p = find_first_of<'k', '\0'>(p, end)) != nullptr && *p != '\0') {
    if (p - text >= 2 && end - p >= 3 && std::memcmp(p - 2, "trkpt", 5) == 0) {
      if (p - text >= 3 && p[-3] == '/') return false;
      found = true;
    }
    ++p;
  }
  *limit = p != nullptr ? p : end;
  return found;
}

// is_point_tag for a tag whose text is the window's bytes [text, end), from
// the masks: only the 'k's before the first NUL are looked at.
bool is_point_tag(const Window& w, std::size_t text, std::size_t end,
                  const char** limit) {
  std::uint64_t range = ((std::uint64_t{1} << (end - text)) - 1) << text;
  std::uint64_t ks = w.k & range;
  std::uint64_t nuls = w.nul & range;
  if (nuls != 0) {
    end = static_cast<std::size_t>(std::countr_zero(nuls));
    ks &= (nuls & -nuls) - 1;
  }
  bool found = false;
  for (; ks != 0; ks &= ks - 1) {
    std::size_t k = static_cast<std::size_t>(std::countr_zero(ks));
    if (k - text >= 2 && end - k >= 3 &&
        std::memcmp(w.base + k - 2, "trkpt", 5) == 0) {
      if (k - text >= 3 && w.base[k - 3] == '/') return false;
      found = true;
    }
  }
  *limit = reinterpret_cast<const char*>(w.base + end);
  return found;
}

// The first occurrence of the three-letter `word` in [text, limit), or
// nullptr.
const char* find_word(const char* text, const char* limit, const char* word) {
  const char* p = text;
#if defined(__SSE2__)
  // Sixteen places at a time: where all three letters stand in a row.
  const __m128i first = _mm_set1_epi8(word[0]);
  const __m128i second = _mm_set1_epi8(word[1]);
  const __m128i third = _mm_set1_epi8(word[2]);
  auto at = [](const char* q) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
  };
  while (limit - p >= 18) {
    __m128i hits =
        _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(at(p), first),
                                    _mm_cmpeq_epi8(at(p + 1), second)),
                      _mm_cmpeq_epi8(at(p + 2), third));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return p + std::countr_zero(mask);
    p += 16;
  }
#endif
  for (; limit - p >= 3; ++p) {
    if (p[0] == word[0] && p[1] == word[1] && p[2] == word[2]) return p;
  }
  return nullptr;
}

// The first decimal digit or minus sign in [text, limit), or nullptr.
const char* number_start(const char* text, const char* limit) {
  for (const char* p = text; p < limit; ++p) {
    if ((*p >= '0' && *p <= '9') || *p == '-') return p;
  }
  return nullptr;
}

// The number after the first `word` of a point tag's text: 0 and where it
// starts, or 1 (no such word) or 2 (no number after it).
int coordinate_after(const char* text, const char* limit, const char* word,
                     const char** number) {
  const char* found = find_word(text, limit, word);
  if (found == nullptr) return 1;
  *number = number_start(found, limit);
  return *number == nullptr ? 2 : 0;
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

bool GpxSource::next_point_tag(InputStream& input, Tag& tag) {
  const unsigned char* p = input.data();  // outside a tag
  const unsigned char* stop = input.end();
  Window w;
  load(w, p, stop);
  for (;;) {
    // Most tags lie whole in the window: their ends come from the masks, and
    // a tag without a 'k' is passed over without a look at its text.  p
    // lies within the window or just past it.
    std::size_t offset = static_cast<std::size_t>(p - w.base);
    std::uint64_t opens = offset < 64 ? w.open >> offset : 0;
    if (opens == 0) {
      p = stop - w.base > 64 ? w.base + 64 : stop;
      if (p == stop) {
        input.advance(static_cast<std::size_t>(stop - input.data()));
        if (!input.refill()) return false;
        p = input.data();
        stop = input.end();
      }
      load(w, p, stop);
      continue;
    }
    const unsigned char* open = p + std::countr_zero(opens);
    std::size_t text = static_cast<std::size_t>(open - w.base) + 1;
    std::uint64_t closes = text < 64 ? w.close >> text : 0;
    if (closes != 0) {
      // Shorter than 63 characters, so within the limit.
      int length = std::countr_zero(closes);
      const unsigned char* begin = w.base + text;
      p = begin + length + 1;
      const char* limit;
      if (is_point_tag(w, text, text + static_cast<std::size_t>(length),
                       &limit)) {
        input.advance(static_cast<std::size_t>(p - input.data()));
        tag.text = reinterpret_cast<const char*>(begin);
        tag.limit = limit;
        return true;
      }
      continue;
    }
    // The tag runs past the window: look again from its '<', once.
    if (open != w.base && stop - open >= 64) {
      load(w, open, stop);
      p = open;
      continue;
    }

    // A long tag, or one near the end of the buffered block.  It is taken
    // in place where its '>' or its limit lies in the block; else it goes
    // through the tag buffer.
    const unsigned char* first = open + 1;
    std::size_t available = static_cast<std::size_t>(stop - first);
    std::size_t window = available < kTagLimit ? available : kTagLimit;
    const auto* close =
        static_cast<const unsigned char*>(std::memchr(first, '>', window));
    const char* begin;
    const char* end;
    if (close != nullptr || available >= kTagLimit) {
      std::size_t length = close != nullptr
                               ? static_cast<std::size_t>(close - first)
                               : kTagLimit;
      begin = reinterpret_cast<const char*>(first);
      end = begin + length;
      // The '>' is consumed; at the limit the rest of the tag stays.
      p = first + length + (close != nullptr ? 1 : 0);
      input.advance(static_cast<std::size_t>(p - input.data()));
    } else {
      input.advance(static_cast<std::size_t>(open - input.data()));
      if (read_tag(input, tag_buffer_, kGpxTagSize) != 0) return false;
      begin = tag_buffer_;
      end = begin + std::strlen(begin);
      p = input.data();
      stop = input.end();
    }
    const char* limit;
    if (is_point_tag(begin, end, &limit)) {
      tag.text = begin;
      tag.limit = limit;
      return true;
    }
    load(w, p, stop);
  }
}

int GpxSource::parse_point(InputStream& input, TrackPoint& point) {
  // Tags that are no point tags are passed over here, without a result.
  Tag tag;
  if (!next_point_tag(input, tag)) return -1;

  clear_name(point);
  const char* number;
  int result = coordinate_after(tag.text, tag.limit, "lat", &number);
  if (result != 0) return result;
  point.latitude = decimal_value(number, tag.limit, nullptr);
  // Written so that a value that is not a number fails as well.
  if (point.latitude > 100.0 || !(point.latitude >= -100.0)) return 3;
  result = coordinate_after(tag.text, tag.limit, "lon", &number);
  if (result != 0) return result;
  point.longitude = decimal_value(number, tag.limit, nullptr);
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

int GpxSource::skip_point(InputStream& input) {
  // The tags of parse_point, with the range checks decided from the digits
  // where they suffice.
  Tag tag;
  while (next_point_tag(input, tag)) {
    const char* latitude;
    const char* longitude;
    if (coordinate_after(tag.text, tag.limit, "lat", &latitude) == 0 &&
        decimal_within(latitude, tag.limit, 100) &&
        coordinate_after(tag.text, tag.limit, "lon", &longitude) == 0 &&
        decimal_within(longitude, tag.limit, 370)) {
      return 0;
    }
  }
  return -1;
}

}  // namespace tracks
