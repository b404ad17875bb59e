#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/vips/BmpCodec.h"
#include "util/Error.h"

namespace bmp = platform::bmp;

namespace {

bmp::RgbaPixels Sample(int width, int height) {
  bmp::RgbaPixels image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.rgba.insert(
          image.rgba.end(),
          {static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
           static_cast<std::uint8_t>(x + y), static_cast<std::uint8_t>((x + y) % 2 ? 255 : 0)});
  return image;
}

TEST(BmpCodecTest, EncodeThenDecodeGivesTheSamePixelsIncludingAlpha) {
  const bmp::RgbaPixels image = Sample(5, 3);
  const std::string bytes = bmp::Encode(image);
  const auto decoded = bmp::Decode(bytes, "x.bmp");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width, 5);
  EXPECT_EQ(decoded->height, 3);
  EXPECT_EQ(decoded->rgba, image.rgba);
  const auto size = bmp::ReadSize(bytes);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 5);
  EXPECT_EQ(size->height, 3);
}

TEST(BmpCodecTest, VariantsItDoesNotReadAreLeftToTheFallback) {
  std::string rle = bmp::Encode(Sample(4, 4));
  rle[28] = 8;  // 8 bits per pixel
  rle[30] = 1;  // BI_RLE8
  EXPECT_FALSE(bmp::Decode(rle, "rle.bmp"));
}

TEST(BmpCodecTest, DamagedFilesRaiseErrorNamingTheFile) {
  const std::string whole = bmp::Encode(Sample(30, 30));
  for (const std::string& bytes :
       {whole.substr(0, whole.size() - 10), whole.substr(0, 20), std::string("BMxx")}) {
    try {
      bmp::Decode(bytes, "broken.bmp");
      ADD_FAILURE() << "decoded " << bytes.size() << " bytes";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("broken.bmp"), std::string::npos);
    }
  }
}

// The message tells which check refused the header: the pixel budget or the missing pixels.
std::string DecodeError(std::string bytes, std::string_view widthAndHeight) {
  bytes.replace(18, 8, widthAndHeight);
  try {
    bmp::Decode(bytes, "huge.bmp");
  } catch (const Error& e) {
    return e.what();
  }
  return "decoded";
}

TEST(BmpCodecTest, AHugeClaimedSizeIsRefusedBeforeAllocating) {
  const std::string bytes = bmp::Encode(Sample(2, 2));
  using namespace std::string_literals;
  const std::string tooLarge = "BMP picture too large: huge.bmp";
  EXPECT_EQ(DecodeError(bytes, "\xFF\xFF\xFF\x3F\xFF\xFF\xFF\x3F"s), tooLarge);
  // 65536 x 65536: 2^32 pixels, none at all in 32-bit arithmetic.
  EXPECT_EQ(DecodeError(bytes, "\x00\x00\x01\x00\x00\x00\x01\x00"s), tooLarge);
  // 100,000,001 x 1 is one pixel over the budget; 100,000,000 x 1 is within it, its pixels missing.
  EXPECT_EQ(DecodeError(bytes, "\x01\xE1\xF5\x05\x01\x00\x00\x00"s), tooLarge);
  EXPECT_EQ(DecodeError(bytes, "\x00\xE1\xF5\x05\x01\x00\x00\x00"s),
            "BMP pixel data cut short: huge.bmp");
}

TEST(BmpCodecTest, ChannelsOfAnyMaskWidthScaleToFullRange) {
  for (const std::uint8_t level : {0, 255}) {
    std::string bytes = bmp::Encode({1, 1, {level, level, level, level}});
    bytes.replace(54, 4, "\xFF\xFF\xFF\xFF");  // red: all 32 bits
    const auto decoded = bmp::Decode(bytes, "wide-mask.bmp");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rgba[0], level);
  }
}

TEST(BmpCodecTest, PicturesBeyondTheFormatOrWithMismatchedPixelsAreNotWritten) {
  EXPECT_THROW(bmp::Encode({32768, 32768, {}}), Error);  // 4 GiB of pixels
  EXPECT_THROW(bmp::Encode({2, 2, std::vector<std::uint8_t>(12)}), Error);
  EXPECT_NO_THROW(bmp::Encode({2, 2, std::vector<std::uint8_t>(16)}));
}

}  // namespace
