#include "platform/ruffle/BookFileResolver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class BookFileResolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ =
        fs::temp_directory_path() /
        ("bookstub-resolver-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base_);
    root_ = base_ / "files";
    Write(root_ / "book.swf");
    Write(root_ / "res" / "pages" / "page_0000.png");
    Write(root_ / "Res" / "Other" / "Logo.PNG");
    Write(root_ / "res" / "exact" / "Page.png");
    Write(root_ / "res" / "exact" / "page.png");
    Write(base_ / "secret.txt");
    fs::create_directories(base_ / "outside");
    Write(base_ / "outside" / "x.png");
    fs::create_symlink(base_ / "secret.txt", root_ / "escape.txt");
    fs::create_directory_symlink(base_ / "outside", root_ / "linked");
    fs::create_symlink(root_ / "book.swf", root_ / "alias.swf");
  }
  void TearDown() override { fs::remove_all(base_); }

  static void Write(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << file.filename().string();
  }

  fs::path base_;
  fs::path root_;
};

TEST_F(BookFileResolverTest, FindsFilesInsideTheRootWhateverTheLetterCase) {
  const std::pair<std::string, fs::path> cases[] = {
      {"book.swf", "book.swf"},
      {"res/pages/page_0000.png", "res/pages/page_0000.png"},
      {"RES/Pages/PAGE_0000.png", "res/pages/page_0000.png"},
      {"res/other/logo.png", "Res/Other/Logo.PNG"},
      {"res\\pages\\page_0000.png", "res/pages/page_0000.png"},
      {"//res///pages/page_0000.png", "res/pages/page_0000.png"},
      {"res/exact/Page.png", "res/exact/Page.png"},
      {"res/exact/page.png", "res/exact/page.png"},
      {"res/exact/PAGE.png", "res/exact/Page.png"},
      {"alias.swf", "book.swf"},
  };
  for (const auto& [request, expected] : cases) {
    const auto file = platform::ResolveBookFile(root_, request);
    ASSERT_TRUE(file) << request;
    EXPECT_EQ(*file, fs::canonical(root_ / expected)) << request;
  }
}

TEST_F(BookFileResolverTest, RefusesWhatIsMissingOrOutsideTheRoot) {
  // A sibling whose name starts with the root's name is still outside it.
  Write(base_ / "files-shared" / "x.png");
  fs::create_directory_symlink(base_ / "files-shared", root_ / "shared");
  const std::string cases[] = {
      "shared/x.png",
      "",
      "/",
      "res/pages",
      "res/pages/missing.png",
      "../secret.txt",
      "res/../book.swf",
      "res/pages/../../../secret.txt",
      "res\\..\\..\\secret.txt",
      "./book.swf",
      "escape.txt",
      "linked/x.png",
      "LINKED/X.PNG",
      std::string("book.swf\0.png", 13),
  };
  for (const std::string& request : cases) {
    EXPECT_FALSE(platform::ResolveBookFile(root_, request)) << request;
  }
}

TEST_F(BookFileResolverTest, AMissingRootServesNothing) {
  EXPECT_FALSE(platform::ResolveBookFile(base_ / "nowhere", "book.swf"));
}

TEST(MimeTypeForFile, ChoosesByExtensionInAnyLetterCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"book.swf", "application/x-shockwave-flash"},
      {"BOOK.SWF", "application/x-shockwave-flash"},
      {"ruffle/core.wasm", "application/wasm"},
      {"a.PNG", "image/png"},
      {"a.jpeg", "image/jpeg"},
      {"toc.xml", "text/xml"},
      {"search.txt", "text/plain"},
      {"host.js", "text/javascript"},
      {"index.html", "text/html"},
      {"bg.mp3", "audio/mpeg"},
      {"noextension", "application/octet-stream"},
      {"a.unknown", "application/octet-stream"},
  };
  for (const auto& [file, type] : cases) {
    EXPECT_EQ(platform::MimeTypeForFile(file), type) << file;
  }
}

}  // namespace
