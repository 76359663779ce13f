#include "core/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tests/comma_locale.h"

namespace tracks {
namespace {

struct DecimalCase {
  const char* text;
  double value;
  int consumed;  // characters that belong to the number
};

// Keeps test names short and readable.
void PrintTo(const DecimalCase& c, std::ostream* os) {
  *os << c.text;
}

class DecimalTest : public testing::TestWithParam<DecimalCase> {};

// Reads the case's text and compares bit for bit: the sign of zero and the
// exact double both matter.
void expect_reads(const DecimalCase& c) {
  const char* end = nullptr;
  double value = decimal_value(c.text, &end);
  EXPECT_EQ(0, std::memcmp(&value, &c.value, sizeof value))
      << c.text << " gave " << value;
  EXPECT_EQ(c.consumed, end - c.text) << c.text;
}

TEST_P(DecimalTest, ReadsTheLeadingNumber) {
  const DecimalCase& c = GetParam();
  expect_reads(c);

  // Read in place with the limit at the text's end: the same.
  const char* end = nullptr;
  const char* limit = c.text + std::strlen(c.text);
  double bounded = decimal_value(c.text, limit, &end);
  EXPECT_EQ(0, std::memcmp(&bounded, &c.value, sizeof bounded)) << c.text;
  EXPECT_EQ(c.consumed, end - c.text) << c.text;
}

const double kInf = std::numeric_limits<double>::infinity();

const DecimalCase kGrammarCases[] = {
        DecimalCase{"55.75", 55.75, 5}, DecimalCase{"-37.5,12", -37.5, 5},
        DecimalCase{"  \t+12x", 12.0, 6}, DecimalCase{"5.5e1", 55.0, 5},
        DecimalCase{"3.7E1", 37.0, 5}, DecimalCase{"2e-1", 0.2, 4},
        DecimalCase{"1e", 1.0, 1}, DecimalCase{"1e+", 1.0, 1},
        DecimalCase{"1E-x", 1.0, 1}, DecimalCase{"1.2.3", 1.2, 3},
        DecimalCase{".5", 0.5, 2}, DecimalCase{"5.", 5.0, 2},
        DecimalCase{"55,7", 55.0, 2}, DecimalCase{"-0", -0.0, 2},
        DecimalCase{"007.5", 7.5, 5},
        // No number: the value is 0 and nothing is consumed.
        DecimalCase{"", 0.0, 0}, DecimalCase{"-", 0.0, 0},
        DecimalCase{"-.", 0.0, 0}, DecimalCase{".", 0.0, 0},
        DecimalCase{"abc", 0.0, 0}, DecimalCase{"e5", 0.0, 0},
        DecimalCase{"+-1", 0.0, 0},
        // Whatever the C library accepts beyond the grammar is no number.
        DecimalCase{"inf", 0.0, 0}, DecimalCase{"-infinity", 0.0, 0},
        DecimalCase{"nan", 0.0, 0}, DecimalCase{"0x1A", 0.0, 1},
        // Out of the range of a double.
        DecimalCase{"1e400", kInf, 5}, DecimalCase{"-1e400", -kInf, 6},
        DecimalCase{"1e-400", 0.0, 6}, DecimalCase{"-1e-400", -0.0, 7},
        DecimalCase{"0.0000000001e-320", 0.0, 17},
        DecimalCase{"1e99999999999999999999", kInf, 22},
        DecimalCase{"0e99999999999999999999", 0.0, 22},
        DecimalCase{"4.9406564584124654e-324", 4.9406564584124654e-324,
                    23}};

INSTANTIATE_TEST_SUITE_P(Grammar, DecimalTest, testing::ValuesIn(kGrammarCases));

// The same cases with the process switched to a locale whose decimal
// separator is a comma, as a program that called setlocale would be.
class DecimalCommaLocaleTest : public DecimalTest {
 protected:
  void SetUp() override {
    CommaLocale locale = find_comma_locale();
    TRACKS_NEED_COMMA_LOCALE(locale);
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, locale.name.c_str()));
    // The C library itself now reads and writes numbers with a comma, so
    // the cases below run where a locale-bound conversion would go wrong.
    const char* text = "0.5";
    char* end = nullptr;
    std::strtod(text, &end);
    ASSERT_EQ(1, end - text);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 0.5);
    ASSERT_STREQ("0,5", printed);
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(DecimalCommaLocaleTest, ReadsTheFullStopAlone) {
  expect_reads(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Grammar, DecimalCommaLocaleTest,
                         testing::ValuesIn(kGrammarCases));

// Around the coordinate bounds, where a quick conversion could go wrong.
INSTANTIATE_TEST_SUITE_P(
    Bounds, DecimalTest,
    testing::Values(
        DecimalCase{"100", 100.0, 3}, DecimalCase{"-370", -370.0, 4},
        DecimalCase{"1e2", 100.0, 3}, DecimalCase{"0.1e3", 100.0, 5},
        DecimalCase{"10000e-2", 100.0, 8},
        // Decimal digits beyond a double's precision round onto the bound.
        DecimalCase{"100.0000000000000001", 100.0, 20},
        DecimalCase{"99.99999999999999999", 100.0, 20},
        DecimalCase{"369.99999999999999999", 370.0, 21},
        DecimalCase{"100.00000000000002", 100.00000000000001421, 18},
        // 2^53 + 1 is no double: it rounds to even.
        DecimalCase{"9007199254740993", 9007199254740992.0, 16},
        DecimalCase{"9007199254740993e-14", 90.07199254740993, 20},
        DecimalCase{"0.1", 0.1, 3}, DecimalCase{"55.755831", 55.755831, 9},
        DecimalCase{"1e22", 1e22, 4}, DecimalCase{"1e23", 1e23, 4},
        DecimalCase{"1234567890123456789012", 1234567890123456789012.0, 22},
        DecimalCase{"0.0000000000000000000000055", 5.5e-24, 27},
        DecimalCase{"-0.000", -0.0, 6},
        DecimalCase{"1.7976931348623157e308", 1.7976931348623157e308, 22},
        DecimalCase{"1.7976931348623159e308", kInf, 22}));

// The quick path agrees with the standard library's correctly rounded
// conversion on many digit strings of every shape.
TEST(DecimalTest, AgreesWithTheFullConversion) {
  std::uint64_t state = 12345;
  auto next = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    int digits = 1 + static_cast<int>(next() % 20);
    int point = static_cast<int>(next() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + next() % 10);
    }
    if (next() % 4 == 0) {
      text += 'e' + std::to_string(static_cast<int>(next() % 61) - 30);
    }
    double expected = 0.0;
    auto result =
        std::from_chars(text.data(), text.data() + text.size(), expected);
    ASSERT_EQ(std::errc(), result.ec) << text;
    double value = decimal_value(text.c_str());
    ASSERT_EQ(0, std::memcmp(&value, &expected, sizeof value))
        << text << " gave " << value << ", not " << expected;
    // In place, with something after the number that could continue it
    // were the limit ignored.
    std::string padded = text + "12345678";
    const char* limit = padded.c_str() + text.size();
    value = decimal_value(padded.c_str(), limit, nullptr);
    ASSERT_EQ(0, std::memcmp(&value, &expected, sizeof value))
        << text << " gave " << value << ", not " << expected;
    for (int bound : {100, 370}) {
      ASSERT_EQ(expected <= bound && expected >= -bound,
                decimal_within(padded.c_str(), limit, bound, nullptr))
          << text;
    }
  }
}

TEST(DecimalTest, ALimitEndsTheTextLikeANul) {
  const char* text = "  \n 5";
  const char* end = nullptr;
  // The blanks before the limit are no number, whatever follows it.
  EXPECT_EQ(0.0, decimal_value(text, text + 3, &end));
  EXPECT_EQ(text, end);
  text = "12345";
  EXPECT_EQ(123.0, decimal_value(text, text + 3, &end));
  EXPECT_EQ(text + 3, end);
  text = "1.5e12";
  EXPECT_EQ(1.5, decimal_value(text, text + 4, &end));
  EXPECT_EQ(text + 3, end);
}

struct WithinCase {
  const char* text;
  int bound;
  bool within;
};

void PrintTo(const WithinCase& c, std::ostream* os) {
  *os << c.text << " within " << c.bound;
}

class DecimalWithinTest : public testing::TestWithParam<WithinCase> {};

TEST_P(DecimalWithinTest, AnswersAsTheConvertedValueCompares) {
  const WithinCase& c = GetParam();
  const char* limit = c.text + std::strlen(c.text);
  EXPECT_EQ(c.within, decimal_within(c.text, limit, c.bound));
  double value = decimal_value(c.text, limit, nullptr);
  EXPECT_EQ(c.within, value <= c.bound && value >= -c.bound) << value;
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, DecimalWithinTest,
    testing::Values(
        WithinCase{"55.755831", 100, true}, WithinCase{"  -99.9", 100, true},
        WithinCase{"100", 100, true}, WithinCase{"-100", 100, true},
        WithinCase{"100.0", 100, true}, WithinCase{"0100", 100, true},
        WithinCase{"100.0000000000000001", 100, true},
        WithinCase{"-100.0000000000000001", 100, true},
        WithinCase{"99.99999999999999999", 100, true},
        WithinCase{"100.00000000000002", 100, false},
        WithinCase{"-100.00000000000002", 100, false},
        WithinCase{"100.1", 100, false}, WithinCase{"101", 100, false},
        WithinCase{"1000", 100, false}, WithinCase{"123456", 100, false},
        WithinCase{"370", 370, true}, WithinCase{"-370", 370, true},
        WithinCase{"370.00000000000001", 370, true},
        WithinCase{"370.0000000000001", 370, false},
        WithinCase{"371", 370, false}, WithinCase{"999", 370, false},
        WithinCase{"-369.999999", 370, true},
        WithinCase{"1e2", 100, true}, WithinCase{"0.1e3", 100, true},
        WithinCase{"1.000001e2", 100, false}, WithinCase{"99e0", 100, true},
        WithinCase{"37e1", 370, true}, WithinCase{"1e400", 370, false},
        WithinCase{"-1e400", 370, false}, WithinCase{"1e-400", 100, true},
        WithinCase{"", 100, true}, WithinCase{"abc", 100, true},
        WithinCase{"-", 100, true}, WithinCase{".5", 100, true},
        WithinCase{"00000000000000000000000000099", 100, true}));

TEST(DecimalWithinTest, ALimitCutsTheDigits) {
  const char* text = "1000";
  EXPECT_TRUE(decimal_within(text, text + 3, 100));
  EXPECT_FALSE(decimal_within(text, text + 4, 100));
}

TEST(DecimalTest, VeryLongDigitRunsOverflowToInfinity) {
  std::string digits(400, '9');
  EXPECT_EQ(kInf, decimal_value(digits.c_str()));
  std::string tiny = "0." + std::string(400, '0') + "1";
  double value = decimal_value(("-" + tiny).c_str());
  EXPECT_EQ(0.0, value);
  EXPECT_TRUE(std::signbit(value));
}

}  // namespace
}  // namespace tracks
