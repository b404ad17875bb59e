#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/FileRead.h"
#include "platform/Os.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

class OpenWithoutLinksTest : public ::testing::Test {
 protected:
  OpenWithoutLinksTest()
      : folder_(fs::canonical(fs::temp_directory_path()) /
                ("bookstub-read-" + platform::NewGuid())) {
    fs::create_directories(folder_ / "sub");
    std::ofstream(folder_ / "sub/file.bin", std::ios::binary) << "0123456789";
  }
  ~OpenWithoutLinksTest() override { fs::remove_all(folder_); }

  static std::string ReadAll(platform::ReadableFile& file) {
    std::string bytes;
    char buffer[4];
    while (const std::size_t got = file.Read(buffer, sizeof buffer)) bytes.append(buffer, got);
    return bytes;
  }

  // The message the opening of `path` fails with; empty when it opens.
  static std::string Refusal(const fs::path& path) {
    try {
      platform::OpenFileWithoutLinks(path);
    } catch (const Error& e) {
      return e.what();
    }
    return "";
  }

  fs::path folder_;
};

TEST_F(OpenWithoutLinksTest, ReadsAPlainFileWhole) {
  const auto file = platform::OpenFileWithoutLinks(folder_ / "sub/file.bin");
  EXPECT_EQ(file->Size(), 10u);
  EXPECT_EQ(ReadAll(*file), "0123456789");
}

// A link anywhere on the path, to the file or to a folder on the way, is not followed; neither a
// folder nor a pipe in the file's place is read (the pipe without waiting for a writer).
TEST_F(OpenWithoutLinksTest, RefusesLinksAndWhatIsNoFile) {
  fs::create_symlink(folder_ / "sub/file.bin", folder_ / "link.bin");
  fs::create_directory_symlink(folder_ / "sub", folder_ / "linked");
  ASSERT_EQ(::mkfifo((folder_ / "pipe").c_str(), 0600), 0);
  EXPECT_NE(Refusal(folder_ / "link.bin").find("is a link"), std::string::npos);
  EXPECT_NE(Refusal(folder_ / "linked/file.bin").find("is a link"), std::string::npos);
  EXPECT_NE(Refusal(folder_ / "sub").find(folder_.string()), std::string::npos);
  EXPECT_NE(Refusal(folder_ / "pipe").find("not a regular file"), std::string::npos);
  EXPECT_NE(Refusal("sub/file.bin").find("no absolute"), std::string::npos);
  EXPECT_NE(Refusal(folder_ / "none").find(folder_.string() + "/none"), std::string::npos);
}

}  // namespace
