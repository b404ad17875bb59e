// `bookstub export` and `serve` as processes: the usage contract, and `export --serve` without
// a folder, which serves a temporary site until it is stopped and then deletes it.

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ToolRun.h"
#include "util/ZanUtils.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

class WebExportProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-web-" + platform::NewGuid());
    fs::create_directories(dir_ / "tmp");
    testsupport::BookSpec contents;
    contents.preloader = testsupport::FileSpec("book.swf", testsupport::SwfBytes(500, 700));
    contents.pages.push_back(testsupport::PageSpec(
        {testsupport::ElementSpec("img", testsupport::FileSpec("res/pages/page_0001.png",
                                                               testsupport::PictureBytes(5, 7)))}));
    testsupport::BuildBook(contents).WriteTo(dir_ / "book.exe");
  }
  void TearDown() override { DeleteFolderTree(dir_); }

  testsupport::ToolOutcome Run(const std::string& arguments) const {
    return testsupport::RunTool(BOOKSTUB_TOOL_PATH, arguments, dir_);
  }

  fs::path dir_;
};

TEST_F(WebExportProcessTest, ExportNeedsAFolderUnlessItServes) {
  const testsupport::ToolOutcome withoutFolder =
      Run("export '" + (dir_ / "book.exe").string() + "'");
  EXPECT_EQ(withoutFolder.exitCode, 2);
  EXPECT_NE(withoutFolder.err.find("export needs DIR"), std::string::npos) << withoutFolder.err;
  EXPECT_EQ(Run("export --quiet '" + (dir_ / "book.exe").string() + "' '" +
                (dir_ / "site").string() + "'")
                .exitCode,
            0);
  EXPECT_TRUE(fs::is_regular_file(dir_ / "site" / "index.html"));
  EXPECT_EQ(Run("serve '" + (dir_ / "missing").string() + "'").exitCode, 1);
}

TEST_F(WebExportProcessTest, ServesATemporarySiteUntilStoppedAndDeletesIt) {
  std::vector<std::string> environment = testsupport::ChildProcess::CurrentEnvironment(
      [](std::string_view name) { return name == "TMPDIR"; });
  environment.push_back("TMPDIR=" + (dir_ / "tmp").string());
  testsupport::ChildProcess tool(
      {BOOKSTUB_TOOL_PATH, "export", "--serve", "--quiet", (dir_ / "book.exe").string()},
      environment, dir_ / "serve.out");
  ASSERT_TRUE(tool.Started());
  std::smatch address;
  const std::regex addressPattern("http://127\\.0\\.0\\.1:([0-9]+)/");
  std::string output;
  for (int i = 0; i < 600 && !std::regex_search(output, address, addressPattern); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    output = ReadFile(dir_ / "serve.out");
  }
  ASSERT_FALSE(address.empty()) << output;

  httplib::Client client("127.0.0.1", std::stoi(address[1]));
  const auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<title>Fixture Book</title>"), std::string::npos);
  const auto movie = client.Get("/files/book.swf");
  ASSERT_TRUE(movie);
  EXPECT_EQ(movie->status, 200);
  EXPECT_EQ(movie->get_header_value("Content-Type"), "application/x-shockwave-flash");
  EXPECT_EQ(client.Get("/../book.exe")->status, 404);
  EXPECT_FALSE(fs::is_empty(dir_ / "tmp"));

  tool.Terminate();
  EXPECT_EQ(tool.WaitForExit(), 0) << ReadFile(dir_ / "serve.out");
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << "the served site was left behind";
  EXPECT_FALSE(client.Get("/"));
}

}  // namespace
