#include "core/decimal.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tracks {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Blank, or one of \t \n \v \f \r (9 to 13).
bool is_space(char c) {
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

constexpr std::uint64_t kTenPowers[] = {1,       10,       100,      1000,
                                        10000,   100000,   1000000,  10000000,
                                        100000000};

// Passes over a run of decimal digits from p; the text ends at limit or at a
// NUL.  With kValue the digits are appended to `digits`, which wraps around
// past 19 digits (the caller counts them).  Eight bytes at a time while they
// are there: a byte is a digit when neither b - '0' nor b + ('9' ^ 0x7F)
// reaches the top bit.  Borrows and carries between bytes only disturb
// bytes above a non-digit, so the lowest flagged byte is the first
// non-digit.
template <bool kValue>
const char* digit_run(const char* p, const char* limit, std::uint64_t& digits) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kZeros = 0x3030303030303030ull;
    while (limit - p >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, sizeof w);
      std::uint64_t flags =
          ((w + 0x4646464646464646ull) | (w - kZeros)) & 0x8080808080808080ull;
      int n = flags == 0 ? 8 : std::countr_zero(flags) / 8;
      if (n == 0) return p;
      if constexpr (kValue) {
        // The n digits to the top, zeros below them, then pairs, fours and
        // eights of digits combined in place.
        std::uint64_t v = (w - kZeros) << (8 * (8 - n));
        v = v * 10 + (v >> 8);
        v = (((v & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
             (((v >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
            32;
        digits = digits * kTenPowers[n] + v;
      }
      p += n;
      if (n < 8) return p;
    }
  }
  for (; p < limit && is_digit(*p); ++p) {
    if constexpr (kValue) {
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  return p;
}

// Powers of ten that a double holds exactly.
constexpr double kPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;

// Digits at most 2^53 are exact in a double.
constexpr std::uint64_t kMaxExactInteger = std::uint64_t{1} << 53;

// What a scan of the number's text found.
struct Scan {
  const char* mantissa;  // first digit or full stop, after the sign
  const char* end;       // first character after the number
  bool any_digit;
  bool negative;
  bool has_exponent;
  // All significant digits as one integer, when they fit in 19 digits
  // (digits_exact); only gathered when the scan is asked for the value.
  std::uint64_t digits;
  bool digits_exact;
  long significant_int_digits;  // integer digits after the leading zeros
  long leading_fraction_zeros;  // fraction zeros before the first non-zero
                                // digit, when the integer part is all zeros
  long fraction_digits;
  long exponent;  // the written exponent, its magnitude capped
};

// Reads the number's text.  The text ends at its first NUL or, when
// kBounded, at `limit`, whichever comes first.  Only with kValue are the
// digits gathered into s.digits.
template <bool kBounded, bool kValue>
Scan scan(const char* text, const char* limit) {
  auto at = [limit](const char* p) -> char {
    if constexpr (kBounded) {
      if (p >= limit) return '\0';
    } else {
      (void)limit;
    }
    return *p;
  };
  Scan s{};
  const char* p = text;
  while (is_space(at(p))) ++p;
  if (at(p) == '+' || at(p) == '-') {
    s.negative = at(p) == '-';
    ++p;
  }
  s.mantissa = p;

  // Integer digits: leading zeros, then the significant ones.
  const char* first = p;
  while (at(p) == '0') ++p;
  const char* significant = p;
  std::uint64_t digits = 0;
  if constexpr (kBounded) {
    p = digit_run<kValue>(p, limit, digits);
  } else {
    for (char c; is_digit(c = at(p)); ++p) {
      if constexpr (kValue) {
        digits = digits * 10 + static_cast<unsigned>(c - '0');
      }
    }
  }
  s.significant_int_digits = p - significant;
  s.any_digit = p != first;
  long kept = s.significant_int_digits;  // significant digits so far
  if (at(p) == '.') {
    ++p;
    const char* fraction = p;
    if (kept == 0) {
      while (at(p) == '0') ++p;
      s.leading_fraction_zeros = p - fraction;
    }
    const char* fraction_significant = p;
    if constexpr (kBounded) {
      p = digit_run<kValue>(p, limit, digits);
    } else {
      for (char c; is_digit(c = at(p)); ++p) {
        if constexpr (kValue) {
          digits = digits * 10 + static_cast<unsigned>(c - '0');
        }
      }
    }
    kept += p - fraction_significant;
    s.fraction_digits = p - fraction;
    if (p != fraction) s.any_digit = true;
  }
  if (!s.any_digit) {
    s.end = text;
    return s;
  }
  // More than 19 digits may have wrapped around.
  s.digits_exact = kValue && kept <= 19;
  s.digits = s.digits_exact ? digits : 0;

  // The exponent belongs to the number only when a digit follows it.
  const char* q = p;
  if (at(q) == 'e' || at(q) == 'E') {
    ++q;
    bool exponent_negative = false;
    if (at(q) == '+' || at(q) == '-') {
      exponent_negative = at(q) == '-';
      ++q;
    }
    if (is_digit(at(q))) {
      for (char c; is_digit(c = at(q)); ++q) {
        if (s.exponent < 100000000) s.exponent = s.exponent * 10 + (c - '0');
      }
      if (exponent_negative) s.exponent = -s.exponent;
      s.has_exponent = true;
      p = q;
    }
  }
  s.end = p;
  return s;
}

double value_of(const Scan& s) {
  if (!s.any_digit) return 0.0;
  double value = 0.0;
  long scale = s.fraction_digits - s.exponent;
#if FLT_EVAL_METHOD == 0
  // Digits and power of ten both exact: one correctly rounded operation
  // gives the correctly rounded result, the same as the full conversion.
  if (s.digits_exact && s.digits <= kMaxExactInteger &&
      scale >= -kMaxExactPower && scale <= kMaxExactPower) {
    double d = static_cast<double>(s.digits);
    value = scale >= 0 ? d / kPowersOfTen[scale] : d * kPowersOfTen[-scale];
    return s.negative ? -value : value;
  }
#endif
  if (s.digits_exact && s.digits == 0) return s.negative ? -0.0 : 0.0;
  auto result = std::from_chars(s.mantissa, s.end, value,
                                std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Either far too large or far too small; the order of magnitude tells.
    long magnitude = s.significant_int_digits > 0
                         ? s.significant_int_digits + s.exponent
                         : s.exponent - s.leading_fraction_zeros;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return s.negative ? -value : value;
}

}  // namespace

double decimal_value(const char* text, const char** end) {
  Scan s = scan<false, true>(text, nullptr);
  if (end != nullptr) *end = s.end;
  return value_of(s);
}

double decimal_value(const char* text, const char* limit, const char** end) {
  Scan s = scan<true, true>(text, limit);
  if (end != nullptr) *end = s.end;
  return value_of(s);
}

bool decimal_within(const char* text, const char* limit, int bound,
                    const char** end) {
  Scan s = scan<true, false>(text, limit);
  if (end != nullptr) *end = s.end;
  if (!s.has_exponent) {
    // Without an exponent, k significant integer digits put the magnitude
    // at or above 10^(k-1) and below 10^k.  Both are exact doubles, so the
    // rounded value keeps to the same side of them.
    long bound_digits = 1;
    for (std::int64_t power = 10; power <= bound; power *= 10) ++bound_digits;
    if (s.significant_int_digits < bound_digits) return true;
    if (s.significant_int_digits > bound_digits) return false;
  }
  double value = decimal_value(text, limit, nullptr);
  double b = bound;
  return value <= b && value >= -b;
}

}  // namespace tracks
