#include "site/SiteRequest.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <initializer_list>
#include <string>

namespace {

namespace fs = std::filesystem;

class SiteRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::temp_directory_path() /
            (std::string("bookstub-site-") + test->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(base_);
    root_ = base_ / "site";
    Write(root_ / "index.html");
    Write(root_ / "ruffle" / "core.wasm");
    Write(root_ / "ruffle" / "core.wasm.gz");
    Write(root_ / "ruffle" / "core.wasm.br");
    Write(root_ / "files" / "res" / "other" / "toc.xml");
    Write(root_ / "files" / "res" / "other" / "toc.xml.gz");
    Write(root_ / "files" / "Page One.PNG");
    Write(root_ / ".hidden" / "key");
    Write(root_ / "files" / ".settings");
    Write(base_ / "secret.txt");
    Write(base_ / "secret.txt.br");
    fs::create_symlink(base_ / "secret.txt", root_ / "escape.txt");
    fs::create_symlink(root_ / "index.html", root_ / "alias.html");
    // A copy that leads outside is not offered, though the file itself is served.
    Write(root_ / "files" / "book.swf");
    fs::create_symlink(base_ / "secret.txt.br", root_ / "files" / "book.swf.br");
  }
  void TearDown() override { fs::remove_all(base_); }

  static void Write(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << file.filename().string();
  }

  std::optional<SiteAnswer> Answer(std::string_view path, AcceptedEncodings accepted = {}) const {
    return AnswerSiteRequest(root_, path, accepted);
  }

  fs::path base_;
  fs::path root_;
};

TEST_F(SiteRequestTest, ServesFilesByTheirExactNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"/index.html", "index.html"},
      {"/", "index.html"},
      {"", "index.html"},
      {"/files/res/other/toc.xml", "files/res/other/toc.xml"},
      {"//files///res/other/toc.xml", "files/res/other/toc.xml"},
      {"/files/Page One.PNG", "files/Page One.PNG"},
      {"/alias.html", "index.html"},
      {"/ruffle/core.wasm.gz", "ruffle/core.wasm.gz"},
  };
  for (const auto& [path, expected] : cases) {
    const auto answer = Answer(path);
    ASSERT_TRUE(answer) << path;
    EXPECT_EQ(answer->file, fs::canonical(root_ / expected)) << path;
    EXPECT_TRUE(answer->contentEncoding.empty()) << path;
  }
  EXPECT_EQ(Answer("/ruffle/core.wasm")->contentType, "application/wasm");
  EXPECT_EQ(Answer("/")->contentType, "text/html");
  EXPECT_EQ(Answer("/files/Page One.PNG")->contentType, "image/png");
}

// A static server takes names as written: the page resolves the book's other spellings itself.
TEST_F(SiteRequestTest, RefusesEverythingElse) {
  for (const std::string& path : std::initializer_list<std::string>{
           "/files/res/other/TOC.xml",     // another letter case
           "/files\\res\\other\\toc.xml",  // "\" is part of a name here
           "/files/../../secret.txt",      // out of the folder
           "/../secret.txt",
           "/files/./res/other/toc.xml",
           "/escape.txt",   // a link that leads out
           "/.hidden/key",  // hidden files and folders
           "/files/.settings",
           "/files/",  // a folder without index.html
           "/missing.html",
           std::string("/index.html\0.png", 16),
       })
    EXPECT_FALSE(Answer(path)) << path;
}

TEST_F(SiteRequestTest, SendsACompressedCopyOnlyToABrowserThatAcceptsIt) {
  const struct {
    std::string path;
    AcceptedEncodings accepted;
    std::string file;
    std::string encoding;
    bool hasCopies;
  } cases[] = {
      {"/ruffle/core.wasm", {true, true}, "ruffle/core.wasm.br", "br", true},
      {"/ruffle/core.wasm", {true, false}, "ruffle/core.wasm.gz", "gzip", true},
      {"/ruffle/core.wasm", {false, false}, "ruffle/core.wasm", "", true},
      {"/files/res/other/toc.xml", {true, true}, "files/res/other/toc.xml.gz", "gzip", true},
      {"/files/res/other/toc.xml", {false, true}, "files/res/other/toc.xml", "", true},
      {"/index.html", {true, true}, "index.html", "", false},
      {"/files/book.swf", {true, true}, "files/book.swf", "", false},
  };
  for (const auto& c : cases) {
    const auto answer = Answer(c.path, c.accepted);
    ASSERT_TRUE(answer) << c.path;
    EXPECT_EQ(answer->file, fs::canonical(root_ / c.file)) << c.path;
    EXPECT_EQ(answer->contentEncoding, c.encoding) << c.path;
    EXPECT_EQ(answer->hasCopies, c.hasCopies) << c.path;
    // The type is the file's, whichever copy goes.
    EXPECT_EQ(answer->contentType, Answer(c.path)->contentType) << c.path;
  }
}

TEST(AcceptEncodingTest, ReadsTheCodingsABrowserAccepts) {
  const struct {
    std::string header;
    bool gzip;
    bool brotli;
  } cases[] = {
      {"", false, false},
      {"gzip, deflate, br, zstd", true, true},
      {"gzip", true, false},
      {"br", false, true},
      {"GZIP;q=0.5, Br;q=1.0", true, true},
      {"gzip;q=0, br", false, true},
      {"gzip; q=0.000, br;q=0.001", false, true},
      {"*", true, true},
      {"*;q=0", false, false},
      {"br;q=0, *", true, false},
      {"identity", false, false},
      {"x-gzip, brotli", false, false},
  };
  for (const auto& c : cases) {
    const AcceptedEncodings accepted = ParseAcceptEncoding(c.header);
    EXPECT_EQ(accepted.gzip, c.gzip) << c.header;
    EXPECT_EQ(accepted.brotli, c.brotli) << c.header;
  }
}

}  // namespace
