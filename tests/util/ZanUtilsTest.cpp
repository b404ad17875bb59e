#include "util/ZanUtils.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / ("bookstub-util-" + NewGuidText())) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

TEST(DeleteFolderTreeTest, DeletesNestedTreeWithReadOnlyFile) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  WriteFile(tree / "files" / "res" / "pages" / "page.swf", "swf");
  WriteFile(tree / "files" / "book.swf", "swf");
  const fs::path locked = tree / "files" / "Log" / "log1.txt";
  WriteFile(locked, "line");
  fs::permissions(locked, fs::perms::all, fs::perm_options::remove);
  EXPECT_TRUE(DeleteFolderTree(tree));
  EXPECT_FALSE(fs::exists(tree));
}

TEST(DeleteFolderTreeTest, ReadOnlySubfolderIsDeletedToo) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  WriteFile(tree / "sealed" / "a.txt", "a");
  fs::permissions(tree / "sealed", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(DeleteFolderTree(tree));
  EXPECT_FALSE(fs::exists(tree));
}

TEST(DeleteFolderTreeTest, SymbolicLinksAreRemovedNotFollowed) {
  ScratchFolder scratch;
  const fs::path outside = scratch.path() / "outside";
  WriteFile(outside / "keep.txt", "precious");
  fs::permissions(outside / "keep.txt", fs::perms::owner_read);
  const fs::path tree = scratch.path() / "run";
  fs::create_directories(tree / "files");
  fs::create_directory_symlink(outside, tree / "files" / "linkdir");
  fs::create_symlink(outside / "keep.txt", tree / "linkfile");
  EXPECT_TRUE(DeleteFolderTree(tree));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  ASSERT_TRUE(fs::exists(outside / "keep.txt"));
  // The target's permissions were not touched through the link either.
  EXPECT_EQ(fs::status(outside / "keep.txt").permissions(), fs::perms::owner_read);
}

TEST(DeleteFolderTreeTest, LinkGivenAsTheFolderIsRemovedAsALink) {
  ScratchFolder scratch;
  const fs::path outside = scratch.path() / "outside";
  WriteFile(outside / "keep.txt", "x");
  const fs::path link = scratch.path() / "link";
  fs::create_directory_symlink(outside, link);
  EXPECT_TRUE(DeleteFolderTree(link));
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST(DeleteFolderTreeTest, MissingFolderIsSuccess) {
  ScratchFolder scratch;
  EXPECT_TRUE(DeleteFolderTree(scratch.path() / "absent"));
}

TEST(TempFolderTest, EndsWithSeparatorAndExists) {
  const fs::path temp = TempFolder();
  EXPECT_TRUE(temp.filename().empty());
  EXPECT_TRUE(fs::is_directory(temp));
}

TEST(SwapRedBlueTest, SwapsLowAndThirdByteAndClearsHighest) {
  EXPECT_EQ(SwapRedBlue(3355443u), 3355443u);
  EXPECT_EQ(SwapRedBlue(16777215u), 16777215u);
  EXPECT_EQ(SwapRedBlue(0xFF0000u), 0x0000FFu);
  EXPECT_EQ(SwapRedBlue(0x0000FFu), 0xFF0000u);
  EXPECT_EQ(SwapRedBlue(0xAA123456u), 0x00563412u);
}

TEST(ReadIniTextTest, MissingFileGivesDefault) {
  ScratchFolder scratch;
  EXPECT_EQ(ReadIniText(scratch.path() / "none.ini", "info", "file", "dflt"), "dflt");
  WriteFile(scratch.path() / "info.ini", "[Info]\r\n  File = top.png \r\n");
  EXPECT_EQ(ReadIniText(scratch.path() / "info.ini", "info", "file", "dflt"), "top.png");
  EXPECT_EQ(ReadIniText(scratch.path() / "info.ini", "info", "other", "dflt"), "dflt");
}

struct RoundCase {
  double value;
  int expected;
};

// Test listings show the value, not the struct's raw bytes.
void PrintTo(const RoundCase& c, std::ostream* os) {
  *os << c.value;
}

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, HalvesGoToEven) {
  EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{3.5, 4}, RoundCase{-0.5, 0},
                                           RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                                           RoundCase{2.4999, 2}, RoundCase{2.5001, 3},
                                           RoundCase{-2.6, -3}, RoundCase{7.0, 7},
                                           RoundCase{1e12, 2147483647}));

}  // namespace
