#include "core/decimal.h"

#include <charconv>
#include <limits>

namespace tracks {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

}  // namespace

double decimal_value(const char* text, const char** end) {
  const char* p = text;
  while (is_space(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* mantissa = p;

  // Integer digits, then an optional fraction.  Leading zeros are counted
  // out so that the order of magnitude is known if the value overflows.
  long significant_int_digits = 0;
  long leading_fraction_zeros = 0;
  bool any_digit = false;
  bool nonzero_seen = false;
  while (is_digit(*p)) {
    any_digit = true;
    if (*p != '0') nonzero_seen = true;
    if (nonzero_seen) ++significant_int_digits;
    ++p;
  }
  if (*p == '.') {
    ++p;
    while (is_digit(*p)) {
      any_digit = true;
      if (*p != '0') nonzero_seen = true;
      if (!nonzero_seen) ++leading_fraction_zeros;
      ++p;
    }
  }
  if (!any_digit) {
    if (end != nullptr) *end = text;
    return 0.0;
  }

  // The exponent belongs to the number only when a digit follows it.
  long exponent = 0;
  const char* q = p;
  if (*q == 'e' || *q == 'E') {
    ++q;
    bool exponent_negative = false;
    if (*q == '+' || *q == '-') {
      exponent_negative = *q == '-';
      ++q;
    }
    if (is_digit(*q)) {
      while (is_digit(*q)) {
        if (exponent < 100000000) exponent = exponent * 10 + (*q - '0');
        ++q;
      }
      if (exponent_negative) exponent = -exponent;
      p = q;
    }
  }
  if (end != nullptr) *end = p;

  double value = 0.0;
  auto result = std::from_chars(mantissa, p, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Either far too large or far too small; the order of magnitude tells.
    long magnitude = significant_int_digits > 0
                         ? significant_int_digits + exponent
                         : exponent - leading_fraction_zeros;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace tracks
