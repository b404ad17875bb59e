#include <gtest/gtest.h>

#include <string>

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

TEST(BmpCodecTest, AHugeClaimedSizeIsRefusedBeforeAllocating) {
  std::string bytes = bmp::Encode(Sample(2, 2));
  bytes.replace(18, 8, std::string("\xFF\xFF\xFF\x3F\xFF\xFF\xFF\x3F", 8));
  EXPECT_THROW(bmp::Decode(bytes, "huge.bmp"), Error);
}

}  // namespace
