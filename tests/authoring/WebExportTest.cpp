#include "authoring/WebExport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <string>

#include "authoring/CompressedCopies.h"
#include "platform/Compression.h"
#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "tests/support/ToolRun.h"
#include "util/Error.h"

namespace {

namespace fs = std::filesystem;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::PageSpec;
using testsupport::ReadFile;

std::string Text(std::size_t size) {
  std::string text;
  while (text.size() < size)
    text += "<page src=\"res/pages/page_" + std::to_string(text.size()) + ".png\"/>\n";
  return text.substr(0, size);
}

std::string Noise(std::size_t size) {
  std::mt19937 random(3);
  std::string noise(size, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  return noise;
}

class WebExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-export-" + platform::NewGuid());
    fs::create_directories(dir_);
    BookSpec source;
    source.exetitle = "A <small> book";
    source.preloader = FileSpec("book.swf", testsupport::SwfBytes(500, 700));
    source.toc = FileSpec("res\\other\\toc.xml", Text(5000));
    source.pages.push_back(PageSpec({ElementSpec(
        "img", FileSpec("res\\pages\\Page_0001.PNG", testsupport::PictureBytes(50, 70)))}));
    source.pages.push_back(PageSpec({ElementSpec(
        "img", FileSpec("res/pages/page_0002.png", testsupport::PictureBytes(50, 70)))}));
    book_ = dir_ / "book.exe";
    testsupport::BuildBook(source).WriteTo(book_);
    site_ = dir_ / "site";
  }
  void TearDown() override { fs::remove_all(dir_); }

  TWebExportRequest Request(bool copies = true) {
    gzipScript_ = platform::GzipBytes(Text(30000));
    brotliScript_ = platform::BrotliBytes(Text(30000), 5);
    TWebExportRequest request;
    request.book = book_;
    request.site = site_;
    request.siteFiles = {
        {"index.html", "<html><title>Book</title></html>", {}, {}},
        {"site.js", "'use strict';", {}, {}},
        {"ruffle/core.wasm", {}, gzipScript_, brotliScript_},
    };
    request.compressedCopies = copies;
    return request;
  }

  // Every file of the site, relative to it.
  std::set<std::string> SiteFiles() const {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(site_))
      if (entry.is_regular_file())
        files.insert(entry.path().lexically_relative(site_).generic_string());
    return files;
  }

  fs::path dir_;
  fs::path book_;
  fs::path site_;
  std::string gzipScript_;
  std::string brotliScript_;
};

TEST_F(WebExportTest, WritesTheBookAsThePlayerSplitsItWithThePageAndItsCopies) {
  std::vector<int> progress;
  const TWebExportReport report = ExportWebSite(Request(), [&](int p) { progress.push_back(p); });

  EXPECT_EQ(report.title, "A <small> book");
  EXPECT_EQ(report.bookFiles, 4u);
  const std::set<std::string> files = SiteFiles();
  for (const char* name :
       {"index.html", "book-files.json", "site.js", "ruffle/core.wasm", "ruffle/core.wasm.gz",
        "ruffle/core.wasm.br", "files/book.swf", "files/res/other/toc.xml",
        "files/res/other/toc.xml.gz", "files/res/other/toc.xml.br", "files/res/pages/Page_0001.PNG",
        "files/res/pages/page_0002.png"})
    EXPECT_TRUE(files.contains(name)) << name;
  // No copies of pictures, of files too small to pay, of files carried without them.
  for (const char* name : {"files/res/pages/Page_0001.PNG.gz", "files/res/pages/page_0002.png.br",
                           "index.html.gz", "book-files.json.gz", "site.js.gz"})
    EXPECT_FALSE(files.contains(name)) << name;
  // The split's layout leaves no empty folders, and nothing of the split's own (its log).
  for (const auto& entry : fs::recursive_directory_iterator(site_)) {
    if (entry.is_directory()) {
      EXPECT_FALSE(fs::is_empty(entry.path())) << entry.path();
    }
    EXPECT_EQ(entry.path().filename().string().find("log"), std::string::npos) << entry.path();
  }
  EXPECT_EQ(report.copyBytes + report.siteBytes, [&] {
    std::uintmax_t bytes = 0;
    for (const std::string& name : files) bytes += fs::file_size(site_ / name);
    return bytes;
  }());

  EXPECT_EQ(ReadFile(site_ / "book-files.json"),
            BookFileList({"book.swf", "res/other/toc.xml", "res/pages/Page_0001.PNG",
                          "res/pages/page_0002.png"}));
  EXPECT_EQ(ReadFile(site_ / "index.html"), "<html><title>A &lt;small&gt; book</title></html>");
  // A file carried as its copies is written whole, its copies as they are carried.
  EXPECT_EQ(ReadFile(site_ / "ruffle/core.wasm"), Text(30000));
  EXPECT_EQ(ReadFile(site_ / "ruffle/core.wasm.br"), brotliScript_);
  EXPECT_EQ(platform::GunzipBytes(ReadFile(site_ / "files/res/other/toc.xml.gz"), 1 << 20),
            ReadFile(site_ / "files/res/other/toc.xml"));
  EXPECT_EQ(platform::UnbrotliBytes(ReadFile(site_ / "files/res/other/toc.xml.br"), 1 << 20),
            ReadFile(site_ / "files/res/other/toc.xml"));

  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
  // Nothing is left beside the site.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(WebExportTest, WritesNoCopiesWhenAskedNot) {
  ExportWebSite(Request(false), [](int) {});
  for (const std::string& name : SiteFiles())
    EXPECT_FALSE(name.ends_with(".gz") || name.ends_with(".br")) << name;
  EXPECT_EQ(ReadFile(site_ / "ruffle/core.wasm"), Text(30000));
}

TEST_F(WebExportTest, LeavesNothingWhenItFailsAndNeverWritesIntoAFullFolder) {
  TWebExportRequest request = Request();
  request.book = dir_ / "missing.exe";
  EXPECT_THROW(ExportWebSite(request, [](int) {}), Error);
  std::ofstream(dir_ / "no-book.exe") << "just a program";
  request.book = dir_ / "no-book.exe";
  EXPECT_THROW(ExportWebSite(request, [](int) {}), Error);
  EXPECT_FALSE(fs::exists(site_));
  // book.exe and no-book.exe only: no hidden working folder was left beside the site.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);

  fs::create_directories(site_);
  std::ofstream(site_ / "mine.txt") << "keep";
  EXPECT_THROW(ExportWebSite(Request(), [](int) {}), Error);
  EXPECT_EQ(SiteFiles(), std::set<std::string>{"mine.txt"});

  // An empty folder is taken.
  fs::remove(site_ / "mine.txt");
  ExportWebSite(Request(), [](int) {});
  EXPECT_TRUE(fs::exists(site_ / "files" / "book.swf"));
}

TEST(BookFileListTest, NamesEveryFileForThePageAsJson) {
  EXPECT_EQ(BookFileList({}), "{\"version\":1,\"files\":[\n]}\n");
  EXPECT_EQ(BookFileList({"a \"b\"\\c.png", "tab\there", "été/ü.png"}),
            "{\"version\":1,\"files\":[\n\"a \\\"b\\\"\\\\c.png\",\n\"tab\\u0009here\",\n"
            "\"été/ü.png\"\n]}\n");
}

TEST(PageWithTitleTest, PutsTheBookTitleIntoThePage) {
  const std::string page = "<head><title>Book</title></head>";
  EXPECT_EQ(PageWithTitle(page, "Tom & \"Jerry\" <3"),
            "<head><title>Tom &amp; \"Jerry\" &lt;3</title></head>");
  EXPECT_EQ(PageWithTitle(page, ""), page);
  EXPECT_EQ(PageWithTitle("<head></head>", "X"), "<head></head>");
}

TEST(CompressedCopiesTest, AreMadeOnlyWhereTheyPay) {
  const TCompressedCopies text = CompressedCopies(Text(50000));
  EXPECT_FALSE(text.gzip.empty());
  EXPECT_FALSE(text.brotli.empty());
  const TCompressedCopies noise = CompressedCopies(Noise(50000));
  EXPECT_TRUE(noise.gzip.empty());
  EXPECT_TRUE(noise.brotli.empty());
  const TCompressedCopies small = CompressedCopies(Text(kMinCopiedBytes - 1));
  EXPECT_TRUE(small.gzip.empty());
  EXPECT_TRUE(small.brotli.empty());

  const struct {
    const char* name;
    std::string head;
    std::uintmax_t size;
    bool worth;
  } cases[] = {
      {"toc.xml", "<?x", 5000, true},         {"book.swf", "FWS", 5000, true},
      {"book.swf", "CWS", 5000, false},       {"Book.SWF", "ZWS", 5000, false},
      {"page.PNG", "\x89PN", 5000, false},    {"photo.jpg", "\xff\xd8\xff", 5000, false},
      {"bg.mp3", "ID3", 5000, false},         {"scan.bmp", "BM6", 5000, true},
      {"tiny.xml", "<?x", 100, false},        {"huge.xml", "<?x", kMaxCopiedBytes + 1, false},
      {"core.wasm", "\0as", 14u << 20, true}, {"noextension", "abc", 5000, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WorthCompressing(c.name, c.head, c.size), c.worth) << c.name << " " << c.size;
}

}  // namespace
