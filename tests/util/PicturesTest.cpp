#include "util/Pictures.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>

#include "platform/Os.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

struct FitCase {
  std::int32_t sw, sh, bw, bh;
  Rect expected;
};

// Test listings show the sizes, not the struct's raw bytes.
void PrintTo(const FitCase& c, std::ostream* os) {
  *os << c.sw << 'x' << c.sh << " in " << c.bw << 'x' << c.bh;
}

class FitInBoxTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitInBoxTest, CentresTheLargestFittingRectangle) {
  const FitCase& c = GetParam();
  EXPECT_EQ(FitInBox(c.sw, c.sh, c.bw, c.bh), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitInBoxTest,
    ::testing::Values(FitCase{200, 100, 100, 100, {0, 25, 100, 50}},    // wide picture
                      FitCase{100, 200, 100, 100, {25, 0, 50, 100}},    // tall picture
                      FitCase{50, 50, 100, 100, {0, 0, 100, 100}},      // grows to the box
                      FitCase{300, 200, 800, 800, {0, 134, 800, 533}},  // top 133.5 -> 134
                      FitCase{3, 1, 5, 5, {0, 2, 5, 2}},  // 5/3 = 1.67 -> 2, (5-2)/2 = 1.5 -> 2
                      FitCase{2, 1, 5, 5, {0, 2, 5, 2}},  // height 2.5 -> 2, top 1.5 -> 2
                      FitCase{1, 1, 3, 2, {0, 0, 2, 2}},  // left (3-2)/2 = 0.5 -> 0
                      FitCase{1, 1, 5, 2, {2, 0, 2, 2}},  // left 1.5 -> 2
                      FitCase{0, 100, 100, 100, {0, 0, 0, 0}},
                      FitCase{100, 100, 0, 100, {0, 0, 0, 0}},
                      FitCase{100, 0, 100, 100, {0, 0, 0, 0}}));

bool ByExtension(const char* name) {
  return IsPictureFile(fs::path("/nonexistent") / name, true);
}

TEST(IsPictureFileTest, ByExtension) {
  for (const char* name : {"a.jpg", "a.JPEG", "a.png", "a.Bmp", "a.gif", ".png", "a.b.GIF"})
    EXPECT_TRUE(ByExtension(name)) << name;
  for (const char* name :
       {"a.swf", "a.tif", "a.pcx", "a", "a.mp3", "a.PDF", "a.txt", "a.png.swf", ".swf", "a."})
    EXPECT_FALSE(ByExtension(name)) << name;
}

// A Turkish locale lower-cases "I" to a dotless i, if at all: extensions must still match.
TEST(IsPictureFileTest, ByExtensionWhateverTheUserLocale) {
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) GTEST_SKIP() << "no tr_TR locale";
  const bool gif = ByExtension("PAGE.GIF");
  const bool pdf = ByExtension("PAGE.PDF");
  std::setlocale(LC_ALL, "C");
  EXPECT_TRUE(gif);
  EXPECT_FALSE(pdf);
}

class SignatureTest : public ::testing::Test {
 protected:
  SignatureTest() : folder_(fs::temp_directory_path() / ("bookstub-sig-" + platform::NewGuid())) {
    fs::create_directories(folder_);
  }
  ~SignatureTest() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  fs::path folder_;
};

TEST_F(SignatureTest, KnownSignaturesAreRecognised) {
  const std::string heads[] = {"\x0A\x05", "8B",       "GI",
                               "II",       "BM",       "\x89P",
                               "\x59\xA6", "\xFF\xD8", std::string("\x01\xDA", 2)};
  for (const std::string& head : heads)
    EXPECT_TRUE(IsPictureFile(Write("pic.dat", head + "rest"), false)) << head;
}

TEST_F(SignatureTest, OtherContentIsNotAPicture) {
  EXPECT_FALSE(IsPictureFile(Write("a.dat", "PK\x03\x04"), false));
  EXPECT_FALSE(IsPictureFile(Write("b.dat", ""), false));
  EXPECT_FALSE(IsPictureFile(Write("c.dat", "B"), false));
  EXPECT_FALSE(IsPictureFile(Write("d.dat", "MB"), false));
}

TEST_F(SignatureTest, ExcludedExtensionsAreNotOpened) {
  // A PNG named .swf is not a picture, and a missing .swf file raises nothing.
  EXPECT_FALSE(IsPictureFile(Write("png.swf", "\x89PNG"), false));
  EXPECT_FALSE(IsPictureFile(folder_ / "missing.swf", false));
  EXPECT_FALSE(IsPictureFile(folder_ / "noextension", false));
}

TEST_F(SignatureTest, PngWithUnlistedExtensionIsAPicture) {
  EXPECT_TRUE(IsPictureFile(Write("page.xyz", "\x89PNG\r\n"), false));
}

TEST_F(SignatureTest, UnreadableFileRaises) {
  EXPECT_THROW(IsPictureFile(folder_ / "missing.dat", false), Error);
}

}  // namespace
