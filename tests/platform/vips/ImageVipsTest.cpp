#include <gtest/gtest.h>

#include <dlfcn.h>
#include <orc/orc.h>
#include <unistd.h>

#include <clocale>
#include <vips/vips8>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Image.h"
#include "platform/Os.h"
#include "tests/support/HostileBooks.h"
#include "util/Error.h"

namespace fs = std::filesystem;
using vips::VImage;

namespace {

using Rgba = std::array<int, 4>;
constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kClear{0, 0, 0, 0};

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadStart(const fs::path& file, size_t count) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

VImage Srgb(const VImage& image) {
  return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// A picture whose left half is red and right half blue.
VImage RedBlue(int width, int height) {
  const VImage left = VImage::black(width / 2, height).new_from_image({255, 0, 0});
  const VImage right = VImage::black(width - width / 2, height).new_from_image({0, 0, 255});
  return left.join(right, VIPS_DIRECTION_HORIZONTAL)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A hand-made BMP (BITMAPINFOHEADER, BI_RGB) of the red/blue picture, rows padded to 4 bytes.
std::string RedBlueBmp(int width, int height, int bitCount, bool topDown) {
  const int stride = (width * bitCount + 31) / 32 * 4;
  const int paletteBytes = bitCount == 8 ? 256 * 4 : 0;
  const std::uint32_t offset = 14 + 40 + paletteBytes;
  std::string out = "BM";
  Put32(out, offset + stride * height);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(topDown ? -height : height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bitCount));
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  if (bitCount == 8) {
    for (int i = 0; i < 256; ++i) Put32(out, i == 1 ? 0x00FF0000 : i == 2 ? 0x000000FF : 0);
  }
  for (int row = 0; row < height; ++row) {
    std::string line;
    for (int x = 0; x < width; ++x) {
      const bool red = x < width / 2;
      if (bitCount == 8) {
        line += static_cast<char>(red ? 1 : 2);
      } else {
        line += red ? std::string("\0\0\xFF", 3) : std::string("\xFF\0\0", 3);
        if (bitCount == 32) line += '\0';  // unused fourth byte: an opaque picture
      }
    }
    line.resize(static_cast<size_t>(stride), '\0');
    out += line;
  }
  return out;
}

// An 8-bit run-length-encoded BMP of the red/blue picture (read only through the fallback).
std::string RedBlueRle8Bmp(int width, int height) {
  std::string pixels;
  for (int row = 0; row < height; ++row) {
    pixels += {static_cast<char>(width / 2), 1, static_cast<char>(width - width / 2), 2, 0, 0};
  }
  pixels += {0, 1};
  const std::uint32_t offset = 14 + 40 + 256 * 4;
  std::string out = "BM";
  Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, 1);  // BI_RLE8
  Put32(out, static_cast<std::uint32_t>(pixels.size()));
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (int i = 0; i < 256; ++i) Put32(out, i == 1 ? 0x00FF0000 : i == 2 ? 0x000000FF : 0);
  return out + pixels;
}

class ImageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(VIPS_INIT("test_platform_vips"), 0); }

  ImageTest() : folder_(fs::temp_directory_path() / ("bookstub-image-" + platform::NewGuid())) {
    fs::create_directories(folder_);
  }
  ~ImageTest() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  fs::path File(const std::string& name) const { return folder_ / name; }

  // The pixels of any file the back-end can load, read back through a PNG of the same size.
  VImage PixelsOf(const fs::path& file) {
    auto picture = platform::LoadPicture(file);
    auto canvas = platform::CreateCanvas(picture->Width(), picture->Height());
    canvas->DrawStretched(*picture, 0, 0, picture->Width(), picture->Height());
    const fs::path png = File("readback-" + platform::NewGuid() + ".png");
    canvas->SaveToFile(png);
    return VImage::pngload(png.c_str()).copy_memory();
  }

  static Rgba At(const VImage& image, int x, int y) {
    const std::vector<double> p = image.getpoint(x, y);
    return {static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2]),
            p.size() > 3 ? static_cast<int>(p[3]) : 255};
  }

  static void ExpectNear(const Rgba& actual, const Rgba& expected, int tolerance,
                         const std::string& where) {
    for (size_t i = 0; i < 4; ++i)
      EXPECT_LE(std::abs(actual[i] - expected[i]), tolerance)
          << where << " channel " << i << ": " << actual[i] << " vs " << expected[i];
  }

  fs::path folder_;
};

// ---------------------------------------------------------------------------------------------
// Loading every supported format

struct SourceCase {
  std::string label;
  std::string fileName;
  int tolerance;  // lossy formats
};

void PrintTo(const SourceCase& c, std::ostream* out) {
  *out << c.label;
}

class LoadFormatTest : public ImageTest, public testing::WithParamInterface<SourceCase> {
 protected:
  fs::path MakeSource(int width, int height) {
    const fs::path file = File(GetParam().fileName);
    const std::string label = GetParam().label;
    const VImage image = RedBlue(width, height);
    if (label == "png") image.pngsave(file.c_str());
    if (label == "jpeg") image.jpegsave(file.c_str(), VImage::option()->set("Q", 95));
    if (label == "gif") image.gifsave(file.c_str());
    if (label == "tiff") image.tiffsave(file.c_str());
    if (label == "pngNamedJpg") {
      size_t size = 0;
      void* bytes = nullptr;
      vips_image_write_to_buffer(image.get_image(), ".png", &bytes, &size, nullptr);
      WriteAll(file, std::string(static_cast<char*>(bytes), size));
      g_free(bytes);
    }
    if (label == "bmp24") WriteAll(file, RedBlueBmp(width, height, 24, false));
    if (label == "bmp24TopDown") WriteAll(file, RedBlueBmp(width, height, 24, true));
    if (label == "bmp32") WriteAll(file, RedBlueBmp(width, height, 32, false));
    if (label == "bmp8") WriteAll(file, RedBlueBmp(width, height, 8, false));
    return file;
  }
};

TEST_P(LoadFormatTest, LoadsWithItsSizeAndColours) {
  const int width = 42, height = 31;  // odd sizes: BMP rows need padding
  const fs::path file = MakeSource(width, height);

  const auto size = platform::ReadImageSize(file);
  EXPECT_EQ(size.width, width);
  EXPECT_EQ(size.height, height);
  const auto picture = platform::LoadPicture(file);
  EXPECT_EQ(picture->Width(), width);
  EXPECT_EQ(picture->Height(), height);

  const VImage pixels = PixelsOf(file);
  ExpectNear(At(pixels, 5, 3), kRed, GetParam().tolerance, "left top");
  ExpectNear(At(pixels, 5, height - 2), kRed, GetParam().tolerance, "left bottom");
  ExpectNear(At(pixels, width - 5, 3), kBlue, GetParam().tolerance, "right top");
  ExpectNear(At(pixels, width - 5, height - 2), kBlue, GetParam().tolerance, "right bottom");
}

// Every format is shrunk while it is decoded for a small draw, and still draws the same picture.
TEST_P(LoadFormatTest, DecodedForASmallDrawKeepsItsSizeAndColours) {
  const int width = 422, height = 311;
  const fs::path file = MakeSource(width, height);

  const auto picture = platform::LoadPictureForBox(file, 42, 31);
  EXPECT_EQ(picture->Width(), width);
  EXPECT_EQ(picture->Height(), height);
  auto canvas = platform::CreateCanvas(42, 31);
  canvas->DrawStretched(*picture, 0, 0, 42, 31);
  canvas->SaveToFile(File("drawn.png"));

  const VImage out = VImage::pngload(File("drawn.png").c_str());
  const int tolerance = GetParam().tolerance + 2;
  ExpectNear(At(out, 2, 1), kRed, tolerance, "left top");
  ExpectNear(At(out, 2, 29), kRed, tolerance, "left bottom");
  ExpectNear(At(out, 39, 1), kBlue, tolerance, "right top");
  ExpectNear(At(out, 39, 29), kBlue, tolerance, "right bottom");
}

// The copies `bookstub make` takes of page pictures: fitted into the box with the proportions
// kept, in every format, whichever way the back-end decodes it.
TEST_P(LoadFormatTest, FittedCopyKeepsTheProportionsAndTheColours) {
  const fs::path file = MakeSource(422, 311);

  const Size copy = platform::SaveFittedCopy(file, File("copy.jpg"), 100, 100);
  EXPECT_EQ(copy.width, 100);
  EXPECT_NEAR(copy.height, 74, 1);
  const Size stored = platform::ReadImageSize(File("copy.jpg"));
  EXPECT_EQ(stored.width, copy.width);
  EXPECT_EQ(stored.height, copy.height);
  const VImage out = VImage::jpegload(File("copy.jpg").c_str());
  const int tolerance = GetParam().tolerance + 30;
  ExpectNear(At(out, 5, 37), kRed, tolerance, "left");
  ExpectNear(At(out, 95, 37), kBlue, tolerance, "right");

  // A picture already inside the box keeps its size.
  const Size same = platform::SaveFittedCopy(file, File("same.png"), 500, 400);
  EXPECT_EQ(same.width, 422);
  EXPECT_EQ(same.height, 311);
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The page splitter derives pictures ahead from a mobile image's bytes and writes the encoded
// result later: every format read from memory and every format written to memory gives the
// bytes the file-to-file path gives.
TEST_P(LoadFormatTest, BytesInMemoryGiveTheSameFilesAsTheFile) {
  const fs::path file = MakeSource(422, 311);
  const std::string bytes = ReadAll(file);
  const auto size = platform::ReadImageSizeFromBytes(bytes);
  EXPECT_EQ(std::pair(size.width, size.height), std::pair(422, 311));
  const auto fromFile = platform::LoadPictureForBox(file, 100, 80);
  const auto fromBytes = platform::LoadPictureFromBytesForBox(bytes, 100, 80);
  for (const char* extension : {".png", ".jpg", ".gif", ".tif", ".bmp"}) {
    auto expected = platform::CreateCanvas(100, 80);
    expected->DrawStretched(*fromFile, 5, 0, 90, 80);
    const fs::path saved = File(std::string("saved") + extension);
    expected->SaveToFile(saved);
    auto drawn = platform::CreateCanvas(100, 80);
    drawn->DrawStretched(*fromBytes, 5, 0, 90, 80);
    EXPECT_TRUE(drawn->Encode(extension) == ReadAll(saved)) << extension;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LoadFormatTest,
    testing::Values(SourceCase{"png", "a.png", 0}, SourceCase{"jpeg", "a.jpg", 24},
                    SourceCase{"gif", "a.gif", 0}, SourceCase{"tiff", "a.tif", 0},
                    SourceCase{"pngNamedJpg", "png-inside.jpg", 0},
                    SourceCase{"bmp24", "a24.bmp", 0}, SourceCase{"bmp24TopDown", "top.bmp", 0},
                    SourceCase{"bmp32", "a32.bmp", 0}, SourceCase{"bmp8", "a8.bmp", 0}),
    [](const auto& info) { return info.param.label; });

TEST_F(ImageTest, CompressedBmpIsReadThroughTheImageMagickFallbackWhenInstalled) {
  if (vips_type_find("VipsOperation", "magickload") == 0)
    GTEST_SKIP() << "libvips has no ImageMagick loader here";
  const fs::path file = File("rle.bmp");
  WriteAll(file, RedBlueRle8Bmp(20, 10));
  const auto picture = platform::LoadPicture(file);
  EXPECT_EQ(picture->Width(), 20);
  EXPECT_EQ(picture->Height(), 10);
  const VImage pixels = PixelsOf(file);
  ExpectNear(At(pixels, 2, 2), kRed, 0, "left");
  ExpectNear(At(pixels, 17, 7), kBlue, 0, "right");
}

TEST_F(ImageTest, SourceTransparencyAndGreyLevelsSurviveStretching) {
  // Left half opaque green, right half fully transparent (with red colour values that must not
  // bleed into the edge when resampled).
  const VImage green = VImage::black(10, 10).new_from_image({0, 255, 0, 255});
  const VImage hidden = VImage::black(10, 10).new_from_image({255, 0, 0, 0});
  green.join(hidden, VIPS_DIRECTION_HORIZONTAL)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .pngsave(File("alpha.png").c_str());
  const VImage grey16 =
      (VImage::black(8, 8) + 30000)
          .cast(VIPS_FORMAT_USHORT)
          .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16));
  grey16.pngsave(File("grey16.png").c_str());

  auto canvas = platform::CreateCanvas(60, 20);
  canvas->DrawStretched(*platform::LoadPicture(File("alpha.png")), 0, 0, 40, 20);
  canvas->DrawStretched(*platform::LoadPicture(File("grey16.png")), 40, 0, 20, 20);
  canvas->SaveToFile(File("out.png"));

  const VImage out = VImage::pngload(File("out.png").c_str());
  ExpectNear(At(out, 5, 10), {0, 255, 0, 255}, 0, "opaque half");
  ExpectNear(At(out, 35, 10), kClear, 0, "transparent half");
  for (int x = 15; x < 25; ++x) {
    const Rgba edge = At(out, x, 10);
    if (edge[3] > 0) {
      EXPECT_LE(edge[0], 8) << "red bled into the edge at " << x;
    }
  }
  const int grey = 30000 * 255 / 65535;
  ExpectNear(At(out, 50, 10), {grey, grey, grey, 255}, 1, "16-bit grey");
}

// A page picture is printed on paper: what the source leaves transparent is white in the copy,
// never the black a format without transparency would otherwise show.
// Rendered pages arrive as pixels in memory: the copies keep their proportions and colours.
TEST_F(ImageTest, FittedCopiesOfPixelsKeepTheProportionsAndTheColours) {
  platform::RgbPixels pixels;
  pixels.width = 422;
  pixels.height = 311;
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x) {
      const bool left = x < pixels.width / 2;
      pixels.rgb.insert(pixels.rgb.end(),
                        {std::uint8_t(left ? 255 : 0), 0, std::uint8_t(left ? 0 : 255)});
    }
  const Size copy = platform::SaveFittedPixels(pixels, File("copy.jpg"), 100, 100);
  EXPECT_EQ(copy.width, 100);
  EXPECT_NEAR(copy.height, 74, 1);
  EXPECT_EQ(platform::ReadImageSize(File("copy.jpg")), copy);
  const VImage out = VImage::jpegload(File("copy.jpg").c_str());
  ExpectNear(At(out, 5, 37), kRed, 30, "left");
  ExpectNear(At(out, 95, 37), kBlue, 30, "right");

  // Pixels already inside the box keep their size, in any format.
  EXPECT_EQ(platform::SaveFittedPixels(pixels, File("same.png"), 500, 311), (Size{422, 311}));
  EXPECT_EQ(At(VImage::pngload(File("same.png").c_str()), 420, 0), kBlue);

  // Pixels whose bytes do not match their size are refused, and nothing is written.
  pixels.rgb.pop_back();
  EXPECT_THROW(platform::SaveFittedPixels(pixels, File("short.jpg"), 100, 100), Error);
  EXPECT_FALSE(fs::exists(File("short.jpg")));
  EXPECT_THROW(platform::SaveFittedPixels({}, File("empty.jpg"), 100, 100), Error);
  pixels.rgb.push_back(0);
  EXPECT_THROW(platform::SaveFittedPixels(pixels, File("box.jpg"), 0, 100), Error);
}

TEST_F(ImageTest, FittedCopyLaysTransparencyOnWhite) {
  const VImage green = VImage::black(10, 10).new_from_image({0, 255, 0, 255});
  const VImage hidden = VImage::black(10, 10).new_from_image({0, 0, 0, 0});
  green.join(hidden, VIPS_DIRECTION_HORIZONTAL)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .pngsave(File("alpha.png").c_str());
  for (const char* name : {"copy.jpg", "copy.png"}) {
    platform::SaveFittedCopy(File("alpha.png"), File(name), 20, 10);
    const VImage out = VImage::new_from_file(File(name).c_str());
    ExpectNear(At(out, 2, 5), {0, 255, 0, 255}, 12, std::string(name) + " opaque half");
    ExpectNear(At(out, 17, 5), {255, 255, 255, 255}, 12, std::string(name) + " transparent half");
  }
}

// A camera stores a portrait photo lying on its side with a tag saying how to turn it: the fitted
// copy is turned upright and loses the tag, so nothing turns it twice; the split's pictures keep
// the stored orientation.
TEST_F(ImageTest, FittedCopyOfATaggedPhotoIsUprightAndUntagged) {
  VImage lying = RedBlue(40, 20).copy();
  lying.set(VIPS_META_ORIENTATION, 6);  // shown turned a quarter clockwise: red on top
  lying.jpegsave(File("photo.jpg").c_str(), VImage::option()->set("Q", 95));

  EXPECT_EQ(platform::ReadUprightImageSize(File("photo.jpg")), (Size{20, 40}));
  EXPECT_EQ(platform::ReadImageSize(File("photo.jpg")), (Size{40, 20}));
  EXPECT_EQ(platform::SaveFittedCopy(File("photo.jpg"), File("copy.jpg"), 100, 100),
            (Size{20, 40}));
  const VImage copy = VImage::jpegload(File("copy.jpg").c_str());
  EXPECT_EQ(vips_image_get_orientation(copy.get_image()), 1);
  ExpectNear(At(copy, 10, 5), kRed, 16, "top");
  ExpectNear(At(copy, 10, 35), kBlue, 16, "bottom");
}

TEST_F(ImageTest, ShrinkOnLoadKeepsTheStoredSizeAndTheColours) {
  const fs::path file = File("large.jpg");
  RedBlue(1600, 1200).jpegsave(file.c_str());

  const auto picture = platform::LoadPictureForBox(file, 200, 150);
  EXPECT_EQ(picture->Width(), 1600);
  EXPECT_EQ(picture->Height(), 1200);

  auto canvas = platform::CreateCanvas(200, 150);
  canvas->DrawStretched(*picture, 0, 0, 200, 150);
  canvas->SaveToFile(File("small.png"));
  const VImage out = VImage::pngload(File("small.png").c_str());
  EXPECT_EQ(out.width(), 200);
  EXPECT_EQ(out.height(), 150);
  ExpectNear(At(out, 2, 2), kRed, 24, "left");
  ExpectNear(At(out, 197, 147), kBlue, 24, "right");
}

TEST_F(ImageTest, FailuresNameTheFile) {
  WriteAll(File("text.png"), "just some text, no picture");
  WriteAll(File("broken.png"), std::string("\x89PNG\r\n\x1A\n", 8) + std::string(100, 'x'));
  WriteAll(File("short.bmp"), RedBlueBmp(40, 30, 24, false).substr(0, 200));
  for (const char* name : {"text.png", "broken.png", "short.bmp", "missing.jpg"}) {
    try {
      platform::LoadPicture(File(name));
      ADD_FAILURE() << name << " loaded";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The pixel budget: a header claiming too many pixels is refused before any pixel is decoded

std::string WithBmpSize(std::string bmp, std::int32_t width, std::int32_t height) {
  std::string size;
  Put32(size, static_cast<std::uint32_t>(width));
  Put32(size, static_cast<std::uint32_t>(height));
  return bmp.replace(18, 8, size);
}

struct ClaimCase {
  std::string label;
  std::string fileName;
  std::string bytes;
  bool needsImageMagick = false;
};

void PrintTo(const ClaimCase& c, std::ostream* os) {
  *os << c.label;
}

class PixelBudgetTest : public ImageTest, public testing::WithParamInterface<ClaimCase> {};

TEST_P(PixelBudgetTest, RefusesAHeaderClaimingMoreThanTheBudget) {
  if (GetParam().needsImageMagick && vips_type_find("VipsOperation", "magickload") == 0)
    GTEST_SKIP() << "libvips has no ImageMagick loader here";
  const fs::path file = File(GetParam().fileName);
  WriteAll(file, GetParam().bytes);
  for (bool forBox : {false, true}) {
    try {
      forBox ? platform::LoadPictureForBox(file, 800, 800) : platform::LoadPicture(file);
      ADD_FAILURE() << "loaded";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
  }
  try {
    platform::SaveFittedCopy(file, File("copy.jpg"), 800, 800);
    ADD_FAILURE() << "copied";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(File("copy.jpg")));
}

INSTANTIATE_TEST_SUITE_P(
    Claims, PixelBudgetTest,
    testing::Values(
        ClaimCase{"Png60000Square", "a.png", testsupport::PngClaiming(60000, 60000)},
        ClaimCase{"PngOneRowOverTheBudget", "b.png", testsupport::PngClaiming(10000, 10001)},
        ClaimCase{"Bmp", "a.bmp", WithBmpSize(RedBlueBmp(40, 30, 24, false), 20000, 20000)},
        ClaimCase{"BmpTopDown", "b.bmp", WithBmpSize(RedBlueBmp(40, 30, 24, true), 20000, -20000)},
        ClaimCase{"BmpForTheFallback", "c.bmp", WithBmpSize(RedBlueRle8Bmp(20, 10), 20000, 20000),
                  true}),
    [](const auto& info) { return info.param.label; });

TEST_F(ImageTest, AHeaderClaimingExactlyTheBudgetIsDecoded) {
  WriteAll(File("edge.bmp"), WithBmpSize(RedBlueBmp(40, 30, 24, false), 10000, 10000));
  try {
    platform::LoadPictureForBox(File("edge.bmp"), 100, 100);
  } catch (const Error& e) {  // its data is cut short; what matters is that it was tried
    EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
}

// ---------------------------------------------------------------------------------------------
// Canvas: size, stretching, transparency and clipping

TEST_F(ImageTest, DrawingFillsOnlyTheRectangleAndKeepsTheRestTransparent) {
  const fs::path source = File("src.png");
  RedBlue(40, 30).pngsave(source.c_str());
  const auto picture = platform::LoadPicture(source);

  auto canvas = platform::CreateCanvas(50, 40);
  canvas->DrawStretched(*picture, 10, 5, 20, 10);
  canvas->SaveToFile(File("out.png"));

  const VImage out = VImage::pngload(File("out.png").c_str());
  ASSERT_EQ(out.width(), 50);
  ASSERT_EQ(out.height(), 40);
  ASSERT_EQ(out.bands(), 4);
  ExpectNear(At(out, 9, 5), kClear, 0, "left of the rectangle");
  ExpectNear(At(out, 10, 4), kClear, 0, "above the rectangle");
  ExpectNear(At(out, 10, 5), kRed, 0, "top left corner");
  ExpectNear(At(out, 29, 14), kBlue, 0, "bottom right corner");
  ExpectNear(At(out, 30, 14), kClear, 0, "right of the rectangle");
  ExpectNear(At(out, 29, 15), kClear, 0, "below the rectangle");
  ExpectNear(At(out, 0, 0), kClear, 0, "canvas corner");
}

TEST_F(ImageTest, StretchingIgnoresTheProportions) {
  const fs::path source = File("src.png");
  RedBlue(40, 30).pngsave(source.c_str());
  auto canvas = platform::CreateCanvas(10, 100);
  canvas->DrawStretched(*platform::LoadPicture(source), 0, 0, 10, 100);
  canvas->SaveToFile(File("tall.png"));
  const VImage out = VImage::pngload(File("tall.png").c_str());
  ExpectNear(At(out, 1, 50), kRed, 2, "left");
  ExpectNear(At(out, 8, 50), kBlue, 2, "right");
  ExpectNear(At(out, 8, 99), kBlue, 2, "bottom");
}

// The first opaque drawing on a blank canvas is placed without blending; whatever comes later
// still blends over it, and a format without transparency keeps its colours.
TEST_F(ImageTest, LaterDrawingsBlendOverAnOpaqueFirstOne) {
  RedBlue(40, 30).pngsave(File("opaque.png").c_str());
  Srgb(VImage::black(10, 10).new_from_image({0, 255, 0, 128})).pngsave(File("half.png").c_str());
  auto canvas = platform::CreateCanvas(40, 30);
  canvas->DrawStretched(*platform::LoadPicture(File("opaque.png")), 0, 0, 40, 30);
  canvas->SaveToFile(File("before.jpg"));
  canvas->DrawStretched(*platform::LoadPicture(File("half.png")), 0, 0, 10, 30);
  canvas->SaveToFile(File("after.png"));

  const VImage before = VImage::jpegload(File("before.jpg").c_str());
  ExpectNear(At(before, 5, 15), kRed, 12, "opaque copy, left");
  ExpectNear(At(before, 35, 15), kBlue, 12, "opaque copy, right");
  const VImage after = VImage::pngload(File("after.png").c_str());
  ExpectNear(At(after, 5, 15), {127, 128, 0, 255}, 2, "half green over red");
  ExpectNear(At(after, 15, 15), kRed, 0, "red left alone");
  ExpectNear(At(after, 35, 15), kBlue, 0, "blue left alone");
}

struct ClipCase {
  std::string label;
  int x, y, width, height;
  std::vector<std::pair<int, int>> opaque;
  std::vector<std::pair<int, int>> clear;
};

void PrintTo(const ClipCase& c, std::ostream* out) {
  *out << c.label;
}

class ClipTest : public ImageTest, public testing::WithParamInterface<ClipCase> {};

TEST_P(ClipTest, DrawsOnlyTheVisiblePart) {
  const fs::path source = File("src.png");
  RedBlue(8, 8).pngsave(source.c_str());
  auto canvas = platform::CreateCanvas(20, 20);
  const ClipCase& c = GetParam();
  canvas->DrawStretched(*platform::LoadPicture(source), c.x, c.y, c.width, c.height);
  canvas->SaveToFile(File("clip.png"));

  const VImage out = VImage::pngload(File("clip.png").c_str());
  EXPECT_EQ(out.width(), 20);
  EXPECT_EQ(out.height(), 20);
  for (auto [x, y] : c.opaque) EXPECT_EQ(At(out, x, y)[3], 255) << x << "," << y;
  for (auto [x, y] : c.clear) EXPECT_EQ(At(out, x, y)[3], 0) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, ClipTest,
    testing::Values(ClipCase{"TopLeftOutside", -10, -10, 30, 30, {{0, 0}, {19, 19}}, {}},
                    ClipCase{
                        "BottomRightOutside", 15, 15, 100, 100, {{15, 15}, {19, 19}}, {{14, 14}}},
                    ClipCase{"Covering", -5, -5, 30, 30, {{0, 0}, {19, 0}, {0, 19}}, {}},
                    ClipCase{"WhollyOutside", 25, 0, 10, 10, {}, {{19, 0}, {0, 0}}},
                    ClipCase{"ZeroWidth", 0, 0, 0, 10, {}, {{0, 0}}},
                    ClipCase{"NegativeHeight", 5, 5, 10, -10, {}, {{5, 5}, {5, 0}}}),
    [](const auto& info) { return info.param.label; });

TEST_F(ImageTest, CanvasSizeMustBePositive) {
  EXPECT_THROW(platform::CreateCanvas(0, 10), Error);
  EXPECT_THROW(platform::CreateCanvas(10, -1), Error);
  EXPECT_THROW(platform::CreateCanvas(1'000'000, 1'000'000), Error);
}

// ---------------------------------------------------------------------------------------------
// Saving by extension

struct SaveCase {
  std::string extension;
  std::string magic;
  bool keepsTransparency;
  int tolerance;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
  *out << c.extension;
}

class SaveFormatTest : public ImageTest, public testing::WithParamInterface<SaveCase> {};

TEST_P(SaveFormatTest, WritesTheFormatOfTheExtensionWithTheExactSize) {
  const SaveCase& c = GetParam();
  const fs::path source = File("src.png");
  RedBlue(40, 30).pngsave(source.c_str());
  auto canvas = platform::CreateCanvas(33, 17);
  canvas->DrawStretched(*platform::LoadPicture(source), 0, 0, 20, 17);
  const fs::path file = File("out" + c.extension);
  canvas->SaveToFile(file);

  EXPECT_EQ(ReadStart(file, c.magic.size()), c.magic);
  const auto size = platform::ReadImageSize(file);
  EXPECT_EQ(size.width, 33);
  EXPECT_EQ(size.height, 17);
  const VImage pixels = PixelsOf(file);
  ExpectNear(At(pixels, 2, 8), kRed, c.tolerance, "drawn red");
  ExpectNear(At(pixels, 17, 8), kBlue, c.tolerance, "drawn blue");
  const Rgba outside = At(pixels, 30, 8);
  if (c.keepsTransparency)
    EXPECT_EQ(outside[3], 0);
  else
    ExpectNear(outside, {0, 0, 0, 255}, c.tolerance, "black background");
}

INSTANTIATE_TEST_SUITE_P(Extensions, SaveFormatTest,
                         testing::Values(SaveCase{".png", "\x89PNG", true, 0},
                                         SaveCase{".PNG", "\x89PNG", true, 0},
                                         SaveCase{".jpg", "\xFF\xD8\xFF", false, 24},
                                         SaveCase{".jpeg", "\xFF\xD8\xFF", false, 24},
                                         SaveCase{".gif", "GIF8", true, 0},
                                         SaveCase{".bmp", "BM", true, 0},
                                         SaveCase{".tif", std::string("II*\0", 4), true, 0}),
                         [](const auto& info) {
                           std::string name = info.param.extension.substr(1);
                           return name == "PNG" ? std::string("upperPNG") : name;
                         });

// Under a Turkish user locale the C library leaves "I" upper case; ".GIF" and ".TIF" must still
// choose their encoders.
TEST_F(ImageTest, UpperCaseExtensionsChooseTheirEncoderWhateverTheUserLocale) {
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) GTEST_SKIP() << "no tr_TR locale";
  auto canvas = platform::CreateCanvas(4, 4);
  bool saved = true;
  for (const char* name : {"out.GIF", "out.TIF"}) {
    try {
      canvas->SaveToFile(File(name));
    } catch (const Error&) {
      saved = false;
    }
  }
  std::setlocale(LC_ALL, "C");
  EXPECT_TRUE(saved);
  EXPECT_EQ(ReadStart(File("out.GIF"), 4), "GIF8");
}

TEST_F(ImageTest, AnUnknownExtensionIsRefused) {
  auto canvas = platform::CreateCanvas(4, 4);
  EXPECT_THROW(canvas->SaveToFile(File("out.webp")), Error);
  EXPECT_THROW(canvas->SaveToFile(File("out")), Error);
  EXPECT_FALSE(fs::exists(File("out.webp")));
}

// ---------------------------------------------------------------------------------------------
// The image library's worker threads

// The image library's worker threads, by the name they carry.
int ImageLibraryWorkers() {
  int count = 0;
  for (const auto& task : fs::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string name;
    std::getline(comm, name);
    count += name == "libvips worker";
  }
  return count;
}

// A worker left idle must not end on its own: ending, it raced with the pipeline that picked it
// in that moment (a lost task, a corrupted heap). The next picture is still made.
TEST_F(ImageTest, IdleWorkerThreadsStayForTheNextPicture) {
  const auto makePicture = [] {
    auto canvas = platform::CreateCanvas(300, 200);
    const std::string png = canvas->Encode(".png");
    auto picture = platform::LoadPictureFromBytesForBox(png, 150, 100);
    auto scaled = platform::CreateCanvas(150, 100);
    scaled->DrawStretched(*picture, 0, 0, 150, 100);
    return scaled->Encode(".png");
  };
  EXPECT_FALSE(makePicture().empty());
  const int workers = ImageLibraryWorkers();
  ASSERT_GE(workers, 1);
  std::this_thread::sleep_for(std::chrono::seconds(16));  // the library's idle limit was 15 s
  EXPECT_EQ(ImageLibraryWorkers(), workers);
  EXPECT_FALSE(makePicture().empty());
}

// Orc frees compiled code without a lock: the library's calls must reach the program's own, which
// let one through at a time, and pictures resized on several threads at once all come out.
TEST_F(ImageTest, PicturesResizeOnSeveralThreadsAtOnce) {
  Dl_info program{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&ImageLibraryWorkers), &program), 0);
  for (const char* name : {"orc_program_compile", "orc_program_free"}) {
    Dl_info found{};
    ASSERT_NE(dladdr(dlsym(RTLD_DEFAULT, name), &found), 0) << name;
    EXPECT_EQ(found.dli_fbase, program.dli_fbase) << name << " is " << found.dli_fname << "'s";
  }
  // The way through the lock still reaches Orc: a program compiles to machine code, not to the
  // library's plain C path.
  orc_init();
  OrcProgram* copy = orc_program_new_ds(1, 1);
  orc_program_append_ds_str(copy, "copyb", "d1", "s1");
  EXPECT_EQ(orc_program_compile(copy), ORC_COMPILE_RESULT_OK);
  orc_program_free(copy);
  auto source = platform::CreateCanvas(97, 89);
  const std::string png = source->Encode(".png");
  std::vector<std::thread> workers;
  std::vector<int> made(4, 0);
  for (int& count : made) {
    workers.emplace_back([&png, &count] {
      const auto picture = platform::LoadPictureFromBytesForBox(png, 97, 89);
      for (int round = 0; round < 300; ++round) {
        auto canvas = platform::CreateCanvas(80, 80);
        canvas->DrawStretched(*picture, 0, 0, 20 + round % 50, 17 + round % 60);
        count += canvas->Encode(".bmp").empty() ? 0 : 1;
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(made, std::vector<int>(4, 300));
}

// The library's start writes VIPSHOME into the environment unless it is set, from whichever thread
// uses it first, while other threads may be reading the environment. Prepared before any thread
// runs, its start writes nothing.
TEST(ImageLibraryStart, WritesNothingToTheEnvironmentOncePrepared) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: the library not started yet
  const auto entries = [] {
    std::vector<std::string> all;
    for (char** entry = environ; *entry != nullptr; ++entry) all.emplace_back(*entry);
    return all;
  };
  EXPECT_EXIT(
      {
        unsetenv("VIPSHOME");
        platform::PrepareImageLibrary();
        char** const array = environ;
        const std::vector<std::string> before = entries();
        platform::SetPictureThreads(1);  // starts the library
        std::exit(environ == array && entries() == before && std::getenv("VIPSHOME") ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
