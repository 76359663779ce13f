#include "core/decimal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
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

TEST_P(DecimalTest, ReadsTheLeadingNumber) {
  const DecimalCase& c = GetParam();
  const char* end = nullptr;
  double value = decimal_value(c.text, &end);
  // Bit for bit: the sign of zero and the exact double both matter.
  EXPECT_EQ(0, std::memcmp(&value, &c.value, sizeof value))
      << c.text << " gave " << value;
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
  const DecimalCase& c = GetParam();
  const char* end = nullptr;
  double value = decimal_value(c.text, &end);
  EXPECT_EQ(0, std::memcmp(&value, &c.value, sizeof value))
      << c.text << " gave " << value;
  EXPECT_EQ(c.consumed, end - c.text) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Grammar, DecimalCommaLocaleTest,
                         testing::ValuesIn(kGrammarCases));

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
