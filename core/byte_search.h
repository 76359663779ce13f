// Finding the first of a few byte values in a buffer: the inner loop of
// the text readers.  Sixteen bytes at a time where SSE2 is at hand, else
// eight in a 64-bit word.
#ifndef TRACKS_CORE_BYTE_SEARCH_H_
#define TRACKS_CORE_BYTE_SEARCH_H_

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tracks {

// The first byte in [p, stop) that equals one of kBytes, or nullptr.
template <unsigned char... kBytes>
const unsigned char* find_first_of(const unsigned char* p,
                                   const unsigned char* stop) {
#if defined(__SSE2__)
  while (stop - p >= 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(
          hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(kBytes))))),
     ...);
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return p + std::countr_zero(mask);
    p += 16;
  }
#else
  if constexpr (std::endian::native == std::endian::little) {
    // A byte of x is zero where this sets its top bit; bits can be set
    // wrongly only above a true zero, so the lowest one is right.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    auto zero_bytes = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    while (stop - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, sizeof w);
      std::uint64_t hits = (zero_bytes(w ^ (kOnes * kBytes)) | ...);
      if (hits != 0) return p + std::countr_zero(hits) / 8;
      p += 8;
    }
  }
#endif
  for (; p < stop; ++p) {
    if (((*p == kBytes) || ...)) return p;
  }
  return nullptr;
}

template <unsigned char... kBytes>
const char* find_first_of(const char* p, const char* stop) {
  return reinterpret_cast<const char*>(find_first_of<kBytes...>(
      reinterpret_cast<const unsigned char*>(p),
      reinterpret_cast<const unsigned char*>(stop)));
}

}  // namespace tracks

#endif  // TRACKS_CORE_BYTE_SEARCH_H_
