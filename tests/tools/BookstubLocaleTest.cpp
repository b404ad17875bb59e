// `bookstub split` and the player, both started under a German locale, write the same working
// folder from the same package: the tool reads numbers in the user's format as the player does.

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ToolRun.h"
#include "util/ZanUtils.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

constexpr const char* kLocale = "de_DE.UTF-8";
constexpr auto kGiveUp = std::chrono::seconds(60);  // a hang becomes a failure

// Every file under `files` by its relative path; the log by its messages, without time stamps.
std::map<std::string, std::string> Written(const fs::path& files) {
  std::map<std::string, std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(files)) {
    const std::string name = fs::relative(entry.path(), files).generic_string();
    if (entry.is_directory()) {
      written[name + "/"] = "";
    } else if (name.starts_with("Log/")) {
      std::istringstream lines(ReadFile(entry.path()));
      for (std::string line; std::getline(lines, line);)
        written[name] += (line.size() > 23 ? line.substr(23) : line) + "\n";
    } else {
      written[name] = ReadFile(entry.path());
    }
  }
  return written;
}

// The test's environment with the locale variables replaced by LC_ALL=`kLocale`.
std::vector<std::string> LocaleEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> environment =
      testsupport::ChildProcess::CurrentEnvironment([](std::string_view name) {
        return name == "LANG" || name == "LANGUAGE" || name.starts_with("LC_");
      });
  environment.push_back(std::string("LC_ALL=") + kLocale);
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

using Process = testsupport::ChildProcess;

class BookstubLocaleTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, kLocale) == nullptr) GTEST_SKIP() << "no " << kLocale << " locale";
    std::setlocale(LC_ALL, "C");
    dir_ = platform::TempPath() / ("bookstub-locale-" + platform::NewGuid());
    fs::create_directories(dir_ / "tmp");
    fs::permissions(dir_ / "tmp", fs::perms::owner_all);
  }
  void TearDown() override { DeleteFolderTree(dir_); }

  // One page with a movie and a mobile image; the thumbnail scale comes as a child element in
  // the German format, so the page thumbnail exists only when it is read in the user's locale.
  fs::path WriteBookPlayer() const {
    testsupport::BookSpec bookSpec;
    bookSpec.stubImage = ReadFile(BOOKSTUB_PLAYER_PATH);
    bookSpec.exetitle = "Locale Book";
    bookSpec.preloader = testsupport::FileSpec{"book.swf", "VIEWER"};
    bookSpec.bookChildren = "<thumbscale>0,5</thumbscale>";
    testsupport::PageSpec page({testsupport::ElementSpec{
        "img", {"res/pages/page_0000.swf", testsupport::SwfBytes(100, 140)}}});
    page.mobile = testsupport::FileSpec{"res/mobile/m.png", testsupport::PictureBytes(50, 70)};
    bookSpec.pages.push_back(page);
    const fs::path player = dir_ / "book-player";
    testsupport::BuildBook(bookSpec).WriteTo(player);
    fs::permissions(player, fs::perms::owner_all);
    return player;
  }

  // What the player writes into its working folder, taken once its split has finished.
  std::map<std::string, std::string> PlayerWrites(const fs::path& player) const {
    const fs::path tmp = dir_ / "tmp";
    Process process({player.string()},
                    LocaleEnvironment({"TMPDIR=" + tmp.string(), "XDG_RUNTIME_DIR=" + tmp.string(),
                                       "QT_QPA_PLATFORM=offscreen", "BOOKSTUB_FLASH_HOST=none"}));
    const auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
    fs::path files;
    while (files.empty() ||
           ReadFile(files / "Log" / "log1.txt").find("Finish SplitPages") == std::string::npos) {
      if (!process.Running() || std::chrono::steady_clock::now() > giveUp) return {};
      for (const auto& entry : fs::directory_iterator(tmp))
        if (entry.path().filename().string().starts_with("{")) files = entry.path() / "files";
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    auto written = Written(files);
    process.Terminate();
    EXPECT_EQ(process.WaitForExit(), 0);
    return written;
  }

  std::map<std::string, std::string> ToolWrites(const fs::path& package) const {
    const fs::path root = dir_ / "run";
    Process process({BOOKSTUB_TOOL_PATH, "split", package.string(), root.string()},
                    LocaleEnvironment({}));
    EXPECT_EQ(process.WaitForExit(), 0);
    return Written(root / "files");
  }

  fs::path dir_;
};

TEST_F(BookstubLocaleTest, ToolAndPlayerWriteTheSameWorkingFolder) {
  const fs::path player = WriteBookPlayer();
  const auto fromPlayer = PlayerWrites(player);
  const auto fromTool = ToolWrites(player);
  ASSERT_FALSE(fromPlayer.empty()) << "the player did not finish its split";
  EXPECT_TRUE(fromPlayer.contains("res/thumbnails/thumb_0.png")) << "0,5 not read as one half";
  std::string differences;
  for (const auto& [name, bytes] : fromPlayer)
    if (!fromTool.contains(name) || fromTool.at(name) != bytes) differences += name + " ";
  for (const auto& [name, bytes] : fromTool)
    if (!fromPlayer.contains(name)) differences += name + " ";
  EXPECT_EQ(differences, "");
}

}  // namespace
