// Bit reading of SWF headers: fields most significant bit first, rectangles, little-endian words.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "package/uBitsEngine.h"
#include "tests/support/SwfWriter.h"
#include "util/Error.h"

namespace {

struct BitsCase {
  std::string label;
  std::string bytes;
  std::vector<int> widths;     // fields read one after another
  std::vector<long> expected;  // signed reads when `isSigned`
  bool isSigned;
};

void PrintTo(const BitsCase& c, std::ostream* out) {
  *out << c.label;
}

class BitsEngineTest : public testing::TestWithParam<BitsCase> {};

TEST_P(BitsEngineTest, ReadsFieldsMostSignificantBitFirst) {
  std::istringstream stream(GetParam().bytes);
  TBitsEngine bits(stream);
  for (size_t i = 0; i < GetParam().widths.size(); ++i) {
    const int width = GetParam().widths[i];
    const long value = GetParam().isSigned ? static_cast<long>(bits.GetSBits(width))
                                           : static_cast<long>(bits.GetBits(width));
    EXPECT_EQ(value, GetParam().expected[i]) << "field " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BitsEngineTest,
    testing::Values(
        BitsCase{"WithinOneByte", "\xA5", {1, 3, 4}, {1, 2, 5}, false},
        BitsCase{"AcrossBytes", "\x0F\xF0", {4, 8, 4}, {0, 0xFF, 0}, false},
        BitsCase{"ThirtyTwoBits", "\xDE\xAD\xBE\xEF", {32}, {0xDEADBEEFL}, false},
        BitsCase{"ZeroBits", "", {0, 0}, {0, 0}, false},
        BitsCase{"NegativeSigned", "\xF0", {4, 4}, {-1, 0}, true},
        BitsCase{"SignBitOnlyInTopBit", std::string("\x80\x00", 2), {2, 14}, {-2, 0}, true},
        BitsCase{"PositiveSigned", "\x70", {4}, {7}, true},
        BitsCase{
            "MostNegative31Bit", std::string("\x80\x00\x00\x00", 4), {31}, {-(1L << 30)}, true}),
    [](const auto& info) { return info.param.label; });

TEST(BitsEngineTest, RectAlignsAndWordsAreLittleEndian) {
  std::string bytes = testsupport::EncodeSwfRect(-40, 11300, 7, 16000);
  bytes += std::string("\x34\x12\xAB", 3);
  std::istringstream stream(bytes);
  TBitsEngine bits(stream);
  const Rect rect = bits.ReadRect();
  EXPECT_EQ(rect, (Rect{-40, 7, 11340, 15993}));
  EXPECT_EQ(bits.ReadWord(), 0x1234);
  EXPECT_EQ(bits.ReadByte(), 0xAB);
}

// The widest edges a record can hold still give a width and height that fit.
TEST(BitsEngineTest, WidestRectKeepsItsExtent) {
  constexpr std::int32_t kEdge = 1 << 30;
  std::istringstream stream(testsupport::EncodeSwfRect(-kEdge, kEdge - 1, -kEdge, kEdge - 1));
  TBitsEngine bits(stream);
  EXPECT_EQ(bits.ReadRect(), (Rect{-kEdge, -kEdge, 2 * (kEdge - 1) + 1, 2 * (kEdge - 1) + 1}));
}

TEST(BitsEngineTest, ReadingPastTheEndRaisesTheStreamReadError) {
  std::istringstream stream("\x01");
  TBitsEngine bits(stream);
  bits.GetBits(4);
  try {
    bits.GetBits(8);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), kStreamReadError);
  }
}

}  // namespace
