// `bookstub` as a process: its stdout contract, exit codes, the working folder it leaves and
// the package reports.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "tests/support/ToolRun.h"
#include "util/ZanUtils.h"

namespace {

namespace fs = std::filesystem;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::PageSpec;
using testsupport::ReadFile;
using Outcome = testsupport::ToolOutcome;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class BookstubTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-tool-" + platform::NewGuid());
    fs::create_directories(dir_);
    package_ = dir_ / "book.exe";
    root_ = dir_ / "run";
  }
  void TearDown() override { DeleteFolderTree(dir_); }

  Outcome Tool(const std::string& arguments) const {
    return testsupport::RunTool(BOOKSTUB_TOOL_PATH, arguments, dir_);
  }
  std::string Split(bool messages = true) const {
    return std::string("split ") + (messages ? "--messages " : "") + package_.string() + " " +
           root_.string();
  }

  static BookSpec ThreePageBook() {
    BookSpec bookSpec;
    bookSpec.exetitle = "Tool Book";
    bookSpec.preloader = FileSpec{"loader.swf", "MOVIE"};
    for (int i = 0; i < 3; ++i) {
      PageSpec page({ElementSpec{
          "img",
          {"res/pages/page_000" + std::to_string(i) + ".swf", testsupport::SwfBytes(100, 100)}}});
      bookSpec.pages.push_back(page);
    }
    bookSpec.pages[1].mobile = FileSpec{"res/mobile/m.png", testsupport::PictureBytes(40, 20)};
    bookSpec.pages[1].mobilefile1 = "a.jpg";
    bookSpec.pages[1].photoviewthumb = "b.png";
    return bookSpec;
  }

  fs::path dir_, package_, root_;
};

TEST_F(BookstubTest, SplitMessagesPrintsOneLinePerWindowMessage) {
  testsupport::BuildBook(ThreePageBook()).WriteTo(package_);
  const Outcome run = Tool(Split());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out),
            (std::vector<std::string>{"WM_BOOK_TITLE Tool Book", "WM_BOOK_PROGRESS 5 100",
                                      "WM_BOOK_PROGRESS 10 100", "WM_BOOK_PROGRESS 40 100",
                                      "WM_BOOK_PROGRESS 70 100", "WM_BOOK_PROGRESS 100 100",
                                      "WM_BOOK_LOADED"}));
  EXPECT_EQ(run.err, "");
  for (const char* folder : {"files/js", "files/res/downloads", "files/res/flags", "files/Log"})
    EXPECT_TRUE(fs::is_directory(root_ / folder)) << folder;
  EXPECT_EQ(ReadFile(root_ / "files/book.swf"), "MOVIE");
  EXPECT_TRUE(fs::exists(root_ / "files/res/thumbnails/thumb_1.png"));
  const std::vector<std::string> log = Lines(ReadFile(root_ / "files/Log/log1.txt"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().substr(23), "Finish SplitPages\r");
}

TEST_F(BookstubTest, SplitFailureExitsOneWithTheMessageOnStderr) {
  BookSpec bookSpec = ThreePageBook();
  bookSpec.logo = FileSpec{"logo.png", "", BlobAddress{0x7FFFFF00u, 0x100u}};
  testsupport::BuildBook(bookSpec).WriteTo(package_);
  const Outcome run = Tool(Split());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(Lines(run.out), std::vector<std::string>{"WM_BOOK_TITLE Tool Book"});
  EXPECT_NE(run.err.find("Stream read error"), std::string::npos) << run.err;
  const std::string log = ReadFile(root_ / "files/Log/log1.txt");
  EXPECT_NE(log.find("    [ProSaver.Split]: Error:Stream read error\r\n"), std::string::npos);
}

TEST_F(BookstubTest, SecondRunRotatesTheLogAndKeepsTheRoot) {
  testsupport::BuildBook(ThreePageBook()).WriteTo(package_);
  ASSERT_EQ(Tool(Split()).exitCode, 0);
  const Outcome second = Tool(Split(false));
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_NE(second.out.find("Tool Book"), std::string::npos) << second.out;
  EXPECT_EQ(Lines(second.out).size(), 1u) << second.out;
  EXPECT_TRUE(fs::exists(root_ / "files/Log/log2.txt"));
  EXPECT_TRUE(fs::exists(root_ / "files/Log/log1.txt"));
}

TEST_F(BookstubTest, UsageErrorsExitTwoAndHelpExitsZero) {
  for (const char* arguments : {"", "split", "split only-one", "frobnicate x", "info --bad x"})
    EXPECT_EQ(Tool(arguments).exitCode, 2) << arguments;
  for (const char* arguments : {"--help", "split --help", "info --help", "book --help"}) {
    const Outcome help = Tool(arguments);
    EXPECT_EQ(help.exitCode, 0) << arguments;
    EXPECT_NE(help.out.find("PACKAGE"), std::string::npos) << arguments;
  }
}

TEST_F(BookstubTest, MissingOrUnreadablePackageIsExplained) {
  for (const std::string& command :
       {Split(), "info " + package_.string(), "book " + package_.string()}) {
    const Outcome run = Tool(command);
    EXPECT_EQ(run.exitCode, 1) << command;
    EXPECT_NE(run.err.find(package_.string()), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << command;
  }
  std::ofstream(package_) << "no package appended";
  EXPECT_EQ(Tool("info " + package_.string()).exitCode, 1);
}

TEST_F(BookstubTest, InfoReportsEveryAddressedBlob) {
  BookSpec bookSpec = ThreePageBook();
  bookSpec.toc = FileSpec{"toc.xml", "", BlobAddress{0x7FFFFF00u, 0x100u}};
  testsupport::BuildBook(bookSpec).WriteTo(package_);
  const Outcome run = Tool("info --json " + package_.string());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("{\"title\":\"Tool Book\"", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\"pages\":3"), std::string::npos);
  EXPECT_NE(run.out.find("\"property\":\"toc\",\"read\":\"size\",\"pos\":2147483392,\"size\":256,"
                         "\"present\":true,\"inside\":false"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\"property\":\"Chapters[0].Pages[1].pos_mobilefile2\",\"read\":\"size\""),
            std::string::npos);
  EXPECT_NE(run.out.find("\"property\":\"preloader\",\"read\":\"size\""), std::string::npos);
  const Outcome text = Tool("info " + package_.string());
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("OUTSIDE THE FILE"), std::string::npos) << text.out;
}

TEST_F(BookstubTest, BookPrintsTheCanonicalDocument) {
  testsupport::BuildBook(ThreePageBook()).WriteTo(package_);
  const Outcome run = Tool("book " + package_.string());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("<book"), std::string::npos);
  EXPECT_NE(run.out.find("res/pages/page_0002.swf"), std::string::npos) << run.out;
}

}  // namespace
