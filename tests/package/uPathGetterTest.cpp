#include "package/uPathGetter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

struct BuilderCase {
  const char* name;
  std::function<fs::path(bool)> builder;
  const char* relative;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const BuilderCase& c, std::ostream* os) {
  *os << c.name;
}

class PathBuilderTest : public ::testing::TestWithParam<BuilderCase> {};

TEST_P(PathBuilderTest, RelativeToTheBookRootAndAbsoluteUnderFiles) {
  const fs::path root = fs::temp_directory_path() / ("bookstub-paths-" + platform::NewGuid());
  PrepareRunFolderAt(root);
  const BuilderCase& c = GetParam();
  EXPECT_EQ(c.builder(false), fs::path(c.relative));
  EXPECT_EQ(c.builder(true), root / "files" / c.relative);
  RemoveRunFolder();
}

INSTANTIATE_TEST_SUITE_P(
    Layout, PathBuilderTest,
    ::testing::Values(BuilderCase{"Res", GetResPath, "res/"},
                      BuilderCase{"Pages", GetPagesPath, "res/pages/"},
                      BuilderCase{"Thumbnails", GetThumbnailsPath, "res/thumbnails/"},
                      BuilderCase{"Other", GetOtherPath, "res/other/"},
                      BuilderCase{"NavBar", GetNavBarPath, "res/navbar/"},
                      BuilderCase{"NavBtn", GetNavBtnPath, "res/navbtn/"},
                      BuilderCase{"Sounds", GetSoundsPath, "res/sounds/"},
                      BuilderCase{"Languages", GetLanguagesPath, "res/languages/"},
                      BuilderCase{"Flags", GetFlagsPath, "res/flags/"},
                      BuilderCase{"Downloads", GetDownloadsPath, "res/downloads/"},
                      BuilderCase{"Mobile", GetMobilePath, "res/mobile/"},
                      BuilderCase{"NavBarIni", GetNavBarIniPath, "res/navbar/info.ini"},
                      BuilderCase{"NavBtnIni", GetNavBtnIniPath, "res/navbtn/info.ini"},
                      BuilderCase{"Mag", GetMagPath, "res/other/mag.swf"},
                      BuilderCase{"Input", GetInputPath, "res/other/input.png"},
                      BuilderCase{"BookSwf", GetBookSwfPath, "book.swf"},
                      BuilderCase{"Js", GetJsPath, "js/"},
                      BuilderCase{"LogFile", GetLogFilePath, "Log/log1.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunFolderTest, PreparedLayoutExistsEmptyAndIsRemovedWhole) {
  PrepareRunFolder();
  ASSERT_TRUE(RunFolderReady());
  const fs::path root = GetRootPath(true);
  EXPECT_EQ(root, platform::TempPath() / RunIdentifier() / "");
  EXPECT_EQ(GetRootPath(false), fs::path(RunIdentifier()) / "");
  EXPECT_EQ(RunIdentifier().size(), 38u);
  EXPECT_EQ(GetBookRoot(root), root / "files" / "");
  EXPECT_EQ(GetFrameworkPath(false), fs::path("files/framework.swf"));
  EXPECT_EQ(GetFrameworkPath(true), root / "files" / "framework.swf");
  EXPECT_EQ(GetFilesPath(true).lexically_normal(), GetBookRoot(root));

  for (const char* folder :
       {"files", "files/js", "files/res", "files/res/downloads", "files/res/navbar",
        "files/res/navbtn", "files/res/other", "files/res/pages", "files/res/thumbnails",
        "files/res/mobile", "files/res/sounds", "files/res/languages", "files/res/flags"}) {
    EXPECT_TRUE(fs::is_directory(root / folder)) << folder;
    EXPECT_EQ(fs::status(root / folder).permissions(), fs::perms::owner_all) << folder;
  }
  EXPECT_EQ(fs::status(root).permissions(), fs::perms::owner_all);
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(root).string());
  EXPECT_EQ(files, std::vector<std::string>{kRunLockFile}) << "the run's lock alone";
  EXPECT_FALSE(fs::exists(root / "files" / "Log"));  // made when the log starts

  fs::create_directories(GetLogFolderPath(true));
  std::ofstream(GetLogFilePath(true)) << "line\r\n";
  RemoveRunFolder();
  EXPECT_FALSE(RunFolderReady());
  EXPECT_FALSE(fs::exists(root));
}

TEST(RunFolderTest, TwoRunsGetTwoFolders) {
  PrepareRunFolder();
  const fs::path first = GetRootPath(true);
  PrepareRunFolder();
  const fs::path second = GetRootPath(true);
  EXPECT_NE(first, second);
  EXPECT_TRUE(fs::is_directory(first / "files" / "res" / "pages"));
  EXPECT_TRUE(fs::is_directory(second / "files" / "res" / "pages"));
  RemoveRunFolder();
  DeleteFolderTree(first);
}

TEST(RunFolderTest, WithoutATemporaryFolderThereIsNoRunFolder) {
  const char* saved = std::getenv("TMPDIR");
  const std::string previous = saved != nullptr ? saved : "";
  ::setenv("TMPDIR", (fs::temp_directory_path() / ("absent-" + platform::NewGuid())).c_str(), 1);
  EXPECT_THROW(PrepareRunFolder(), Error);
  saved != nullptr ? ::setenv("TMPDIR", previous.c_str(), 1) : ::unsetenv("TMPDIR");
  EXPECT_FALSE(RunFolderReady());
  EXPECT_THROW(GetBookSwfPath(true), Error);
}

// Players killed before left their folders in the temporary folder: the next run removes those,
// and only those.
TEST(RunFolderTest, FoldersOfKilledPlayersGoAndNothingElse) {
  const char* saved = std::getenv("TMPDIR");
  const std::string previous = saved != nullptr ? saved : "";
  const fs::path temp = fs::temp_directory_path() / ("bookstub-abandoned-" + platform::NewGuid());
  fs::create_directory(temp);
  ::setenv("TMPDIR", temp.c_str(), 1);
  // A run folder as a player makes it, its lock released as when the player was killed.
  const auto runFolder = [&](const std::string& name, bool released) {
    const fs::path folder = temp / name;
    fs::create_directories(folder / "files" / "res");
    fs::permissions(folder, fs::perms::owner_all);
    std::ofstream(folder / "files" / "res" / "page.swf") << "page";
    auto lock = platform::HoldFolderLock(folder, kRunLockFile);
    if (released) lock.reset();
    return lock;
  };
  const std::string killed = "{0123ABCD-0000-4000-8000-00000000000A}";
  const auto stillRunning = runFolder("{0123ABCD-0000-4000-8000-00000000000B}", false);
  runFolder(killed, true);
  runFolder("{0123abcd-0000-4000-8000-00000000000c}", true);  // not a name of ours
  runFolder("{0123ABCD-0000-4000-8000-00000000000D", true);
  runFolder("elsewhere", true);
  fs::create_directory_symlink(temp / "elsewhere", temp / "{0123ABCD-0000-4000-8000-00000000000E}");
  // A folder the tools split into, named and made private like a run folder: it has no lock.
  const std::string tool = "{0123ABCD-0000-4000-8000-00000000000F}";
  PrepareRunFolderAt(temp / tool);
  fs::permissions(temp / tool, fs::perms::owner_all);
  PrepareRunFolder();  // this run's own
  const fs::path own = GetRootPath(true);

  EXPECT_EQ(RemoveAbandonedRunFolders(), 1);
  EXPECT_FALSE(fs::exists(temp / killed));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(temp)) left.push_back(entry.path().filename());
  std::vector<std::string> kept{RunIdentifier(),
                                "{0123ABCD-0000-4000-8000-00000000000B}",
                                "{0123ABCD-0000-4000-8000-00000000000D",
                                "{0123ABCD-0000-4000-8000-00000000000E}",
                                tool,
                                "{0123abcd-0000-4000-8000-00000000000c}",
                                "elsewhere"};
  std::sort(left.begin(), left.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(left, kept);
  EXPECT_TRUE(fs::exists(temp / "elsewhere" / "files" / "res" / "page.swf"));
  EXPECT_TRUE(fs::exists(own / kRunLockFile));

  RemoveRunFolder();
  saved != nullptr ? ::setenv("TMPDIR", previous.c_str(), 1) : ::unsetenv("TMPDIR");
  DeleteFolderTree(temp);
}

TEST(SeparatorsTest, BothDirections) {
  EXPECT_EQ(ReplaceSeparators("res/other/a.png"), "res\\other\\a.png");
  EXPECT_EQ(ToPlatformSeparators("res\\pages\\page_0000.swf"), "res/pages/page_0000.swf");
}

TEST(JoinBookPathTest, DocumentPathsLandUnderTheBookRoot) {
  const fs::path root = "/tmp/run/files/";
  EXPECT_EQ(JoinBookPath(root, "res\\pages\\page_0000.swf"),
            fs::path("/tmp/run/files/res/pages/page_0000.swf"));
  EXPECT_EQ(JoinBookPath(root, "res/other/./logo.png"),
            fs::path("/tmp/run/files/res/other/logo.png"));
  EXPECT_EQ(JoinBookPath(root, "res\\x\\..\\a.swf"), fs::path("/tmp/run/files/res/a.swf"));
  EXPECT_EQ(JoinBookPath(root, "res/other/", false), fs::path("/tmp/run/files/res/other/"));
}

class JoinBookPathRefusalTest : public ::testing::TestWithParam<const char*> {};

TEST_P(JoinBookPathRefusalTest, RaisesErrorNamingThePath) {
  const std::string relative = GetParam();
  try {
    JoinBookPath("/tmp/run/files/", relative);
    FAIL() << "accepted " << relative;
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(relative), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Hostile, JoinBookPathRefusalTest,
                         ::testing::Values("/etc/passwd", "\\etc\\passwd", "..\\outside.swf",
                                           "../outside.swf", "res/../../outside.swf",
                                           "res\\..\\..\\x", "", "res/pages/", "res/..", ".",
                                           "//server/share/x"));

TEST(JoinBookPathTest, NulCharacterIsRefused) {
  EXPECT_THROW(JoinBookPath("/tmp/run/files/", std::string("a\0b", 3)), Error);
}

}  // namespace
