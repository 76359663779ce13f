#include "core/track_image.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tracks {
namespace {

struct CodeCase {
  double degrees;
  std::int64_t code;
};

// Keeps test names short and readable.
void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << c.degrees;
}

class CoordinateCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(CoordinateCodeTest, RoundsToTheNearestUnit) {
  EXPECT_EQ(GetParam().code, coordinate_code(GetParam().degrees))
      << GetParam().degrees;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CoordinateCodeTest,
    testing::Values(CodeCase{55.75, 665123408}, CodeCase{37.62, 448824082},
                    CodeCase{45.0, 536870912}, CodeCase{-45.0, -536870912},
                    CodeCase{0.0, 0}, CodeCase{-0.0, 0},
                    CodeCase{180.0, 2147483648LL},
                    CodeCase{-180.0, -2147483648LL},
                    CodeCase{190.0, 2266788295LL},
                    // Exactly half a unit goes up, on both sides of zero.
                    CodeCase{180.0 / 4294967296.0, 1},
                    CodeCase{-180.0 / 4294967296.0, 0},
                    CodeCase{370.0, 4414271943LL},
                    CodeCase{std::nan(""), 0}));

TEST(TrackImageTest, WritesFieldsLittleEndian) {
  TrackImage image;
  image.set_point_count(0x01020304);
  image.set_slot(0, 0xA1B2C3D4u, 0x80000001u);
  image.set_slot(TrackImage::kSlots - 1, 0x11223344u, 0x55667788u);
  const auto& b = image.bytes();
  ASSERT_EQ(80008u, b.size());
  EXPECT_EQ(0x04, b[0]);
  EXPECT_EQ(0x01, b[3]);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(0, b[i]) << i;
  EXPECT_EQ(0xD4, b[8]);
  EXPECT_EQ(0xA1, b[11]);
  EXPECT_EQ(0x01, b[12]);
  EXPECT_EQ(0x80, b[15]);
  EXPECT_EQ(0x44, b[80000]);
  EXPECT_EQ(0x55, b[80007]);
  image.clear();
  for (unsigned char byte : image.bytes()) ASSERT_EQ(0, byte);
}

}  // namespace
}  // namespace tracks
