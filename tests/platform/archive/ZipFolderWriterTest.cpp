// Zipping a folder: what UnzipAll gives back is the folder, entries are deflated, and links are
// refused rather than followed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/Os.h"
#include "platform/Zip.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string bytes = "<folder>";
    if (entry.is_regular_file()) {
      std::ifstream in(entry.path(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    tree[fs::relative(entry.path(), folder).generic_string()] = bytes;
  }
  return tree;
}

class ZipFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-zipfolder-" + platform::NewGuid());
    fs::create_directories(dir_ / "in/en/empty");
    Write("in/en/lang.xml", std::string(20000, 'a'));
    Write("in/\xC3\xA9t\xC3\xA9.png", "FLAG");
    Write("in/top.txt", "");
  }
  void TearDown() override { DeleteFolderTree(dir_); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Zip() {
    std::ostringstream out;
    platform::ZipFolder(dir_ / "in", out);
    return out.str();
  }
  fs::path dir_;
};

TEST_F(ZipFolderTest, UnzipGivesTheFolderBackWithEntriesDeflated) {
  const std::string zip = Zip();
  EXPECT_LT(zip.size(), 2000u);  // 20000 repeated bytes deflate to almost nothing
  std::ofstream(dir_ / "a.zip", std::ios::binary) << zip;
  const platform::UnzipReport report = platform::UnzipAll(dir_ / "a.zip", dir_ / "out");
  EXPECT_TRUE(report.skipped.empty());
  EXPECT_EQ(Tree(dir_ / "out"), Tree(dir_ / "in"));
}

TEST_F(ZipFolderTest, LinksAreRefused) {
  fs::create_symlink("/etc/passwd", dir_ / "in/link");
  EXPECT_THROW(Zip(), Error);
}

}  // namespace
