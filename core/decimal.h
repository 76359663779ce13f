// Decimal numbers in the text of track files.
//
// The grammar is fixed and ignores the system's regional settings: leading
// white space, an optional sign, decimal digits with at most one full stop,
// and an optional exponent (e or E, an optional sign, digits).  The number
// ends at the first character that cannot continue it.  Text where no number
// stands reads as 0; "inf", "nan" and "0x1A" are no numbers here.  A
// magnitude too large for a double gives an infinity with its sign; one too
// small gives zero with its sign.
#ifndef TRACKS_CORE_DECIMAL_H_
#define TRACKS_CORE_DECIMAL_H_

namespace tracks {

// Converts the number at the start of a NUL-terminated text.  When end is
// given it receives the first character after the number (text itself when
// no number stands there).
double decimal_value(const char* text, const char** end = nullptr);

// The same for a text that ends at `limit` or at its first NUL, whichever
// comes first: for numbers read in place, inside a larger buffer.
double decimal_value(const char* text, const char* limit, const char** end);

// Whether the number at the start of the text (ending as above) lies within
// -bound..bound, bounds included; `bound` is positive.  The answer is that of
// converting the number and comparing, but where the count of its integer
// digits already decides it, no conversion is made.
// `end`, when given, receives the end of the number as above.
bool decimal_within(const char* text, const char* limit, int bound,
                    const char** end = nullptr);

}  // namespace tracks

#endif  // TRACKS_CORE_DECIMAL_H_
