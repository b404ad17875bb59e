#include "log/ZanLog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "platform/Os.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

class LogFolder : public ::testing::Test {
 protected:
  LogFolder()
      : folder_(fs::temp_directory_path() / ("bookstub-log-" + platform::NewGuid()) / "Log") {
    fs::create_directories(folder_);
  }
  ~LogFolder() override {
    AppLog.reset();
    DeleteFolderTree(folder_.parent_path());
  }
  static std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }
  fs::path Numbered(int n) const { return folder_ / ("log" + std::to_string(n) + ".txt"); }

  fs::path folder_;
};

TEST(FormatLogLineTest, StampThenFourSpacesThenText) {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 0;
  time.tm_mday = 5;
  time.tm_hour = 7;
  time.tm_min = 3;
  time.tm_sec = 9;
  EXPECT_EQ(FormatLogLine(time, "Finish SplitPages"), "2026-01-05 07:03:09    Finish SplitPages");
  EXPECT_EQ(FormatLogLine(time, ""), "2026-01-05 07:03:09    ");
}

TEST_F(LogFolder, StartAppLogMakesTheFolderRotatesAndKeepsARunningLog) {
  fs::remove_all(folder_);
  StartAppLog(Numbered(1));
  ASSERT_NE(AppLog, nullptr);
  LogMessage("first run");
  AppLog.reset();

  StartAppLog(Numbered(1));
  const TZanLog* running = AppLog.get();
  StartAppLog(folder_ / "other.txt");
  EXPECT_EQ(AppLog.get(), running);
  EXPECT_NE(Slurp(Numbered(2)).find("first run"), std::string::npos);
  EXPECT_EQ(Slurp(Numbered(1)), "");
}

TEST_F(LogFolder, RotationWithTenFilesMovesEachUpAndDropsTheTenth) {
  for (int n = 1; n <= 10; ++n) std::ofstream(Numbered(n), std::ios::binary) << "log " << n;
  RotateLogFiles(folder_);
  EXPECT_FALSE(fs::exists(Numbered(1)));
  for (int n = 2; n <= 10; ++n) EXPECT_EQ(Slurp(Numbered(n)), "log " + std::to_string(n - 1));
  EXPECT_FALSE(fs::exists(Numbered(11)));
}

TEST_F(LogFolder, RotationWithGapsKeepsNumbers) {
  std::ofstream(Numbered(1), std::ios::binary) << "one";
  std::ofstream(Numbered(3), std::ios::binary) << "three";
  RotateLogFiles(folder_);
  EXPECT_FALSE(fs::exists(Numbered(1)));
  EXPECT_EQ(Slurp(Numbered(2)), "one");
  EXPECT_FALSE(fs::exists(Numbered(3)));
  EXPECT_EQ(Slurp(Numbered(4)), "three");
}

TEST_F(LogFolder, LinesAreAppendedWithCrLf) {
  const fs::path file = Numbered(1);
  TZanLog log(file);
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::file_size(file), 0u);
  log.AddLine("first");
  log.AddLine("second");
  const std::regex expected(
      "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}    first\r\n"
      "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}    second\r\n");
  EXPECT_TRUE(std::regex_match(Slurp(file), expected)) << Slurp(file);
}

TEST_F(LogFolder, ExistingLogIsKeptAndExtended) {
  const fs::path file = Numbered(1);
  std::ofstream(file, std::ios::binary) << "old\r\n";
  TZanLog log(file);
  log.AddLine("new");
  EXPECT_EQ(Slurp(file).substr(0, 5), "old\r\n");
  EXPECT_NE(Slurp(file).find("    new\r\n"), std::string::npos);
}

TEST_F(LogFolder, LogMessageWritesOnlyWhenAppLogExists) {
  AppLog.reset();
  EXPECT_NO_THROW(LogMessage("dropped"));
  AppLog = std::make_unique<TZanLog>(Numbered(1));
  LogMessage("kept");
  const std::string content = Slurp(Numbered(1));
  EXPECT_EQ(content.find("dropped"), std::string::npos);
  EXPECT_NE(content.find("    kept\r\n"), std::string::npos);
}

TEST_F(LogFolder, MissingFolderLosesLinesSilently) {
  TZanLog log(folder_ / "gone" / "log1.txt");
  EXPECT_NO_THROW(log.AddLine("lost"));
  fs::remove_all(folder_);
  AppLog = std::make_unique<TZanLog>(Numbered(1));
  EXPECT_NO_THROW(LogMessage("lost too"));
  EXPECT_FALSE(fs::exists(folder_));
}

}  // namespace
