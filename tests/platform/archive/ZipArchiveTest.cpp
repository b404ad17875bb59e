#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/Os.h"
#include "platform/Zip.h"
#include "tests/support/ZipWriter.h"
#include "util/Error.h"

namespace fs = std::filesystem;
using testsupport::ZipWriter;

namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string BinaryData(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7919) % 251);
  return data;
}

// A scratch area with the unpack target "in" and a sibling "outside" that must stay untouched.
class UnzipTest : public testing::Test {
 protected:
  UnzipTest() : root_(fs::temp_directory_path() / ("bookstub-zip-" + platform::NewGuid())) {
    fs::create_directories(target());
    fs::create_directories(outside());
  }
  ~UnzipTest() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path target() const { return root_ / "in"; }
  fs::path outside() const { return root_ / "outside"; }
  fs::path zip() const { return root_ / "test.zip"; }

  platform::UnzipReport Unzip(const ZipWriter& writer) {
    writer.Save(zip());
    return platform::UnzipAll(zip(), target());
  }
  bool OutsideIsEmpty() const { return fs::is_empty(outside()); }

  fs::path root_;
};

TEST_F(UnzipTest, WritesStoredAndDeflatedEntriesWithTheirFolders) {
  const std::string big = BinaryData(200000);
  ZipWriter writer;
  writer.AddFile("stored.txt", "plain text", ZipWriter::Method::Stored)
      .AddFolder("en/")
      .AddFile("en/lang.xml", "<lang/>")
      .AddFile("deep/er/big.bin", big, ZipWriter::Method::Deflated)
      .AddFile("deep/er/big-stored.bin", big, ZipWriter::Method::Stored)
      .AddFolder("empty/")
      .AddFile("empty.txt", "");

  const auto report = Unzip(writer);

  EXPECT_EQ(report.filesWritten, 5);
  EXPECT_TRUE(report.skipped.empty());
  EXPECT_EQ(ReadAll(target() / "stored.txt"), "plain text");
  EXPECT_EQ(ReadAll(target() / "en" / "lang.xml"), "<lang/>");
  EXPECT_EQ(ReadAll(target() / "deep" / "er" / "big.bin"), big);
  EXPECT_EQ(ReadAll(target() / "deep" / "er" / "big-stored.bin"), big);
  EXPECT_TRUE(fs::is_directory(target() / "empty"));
  EXPECT_TRUE(fs::is_regular_file(target() / "empty.txt"));
  EXPECT_EQ(fs::file_size(target() / "empty.txt"), 0u);
}

TEST_F(UnzipTest, TakesBackslashesAsFolderSeparators) {
  Unzip(ZipWriter().AddFile("zh\\flag.png", "png"));
  EXPECT_EQ(ReadAll(target() / "zh" / "flag.png"), "png");
}

TEST_F(UnzipTest, CreatesAMissingTargetFolder) {
  fs::remove_all(target());
  Unzip(ZipWriter().AddFile("a.txt", "a"));
  EXPECT_EQ(ReadAll(target() / "a.txt"), "a");
}

TEST_F(UnzipTest, OverwritesExistingFilesIncludingReadOnlyOnes) {
  fs::create_directories(target() / "sub");
  WriteAll(target() / "a.txt", "old and longer content");
  WriteAll(target() / "sub" / "b.txt", "old");
  platform::SetReadOnly(target() / "sub" / "b.txt", true);

  const auto report = Unzip(ZipWriter().AddFile("a.txt", "new").AddFile("sub/b.txt", "newer"));

  EXPECT_EQ(report.filesWritten, 2);
  EXPECT_EQ(ReadAll(target() / "a.txt"), "new");
  EXPECT_EQ(ReadAll(target() / "sub" / "b.txt"), "newer");
}

struct HostileCase {
  std::string label;
  std::string name;  // "@" stands for the absolute path of the "outside" folder
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

// The zip reader already turns "\" into "/" in names from non-Unix archives.
std::string WithSlashes(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}

class HostileEntryTest : public UnzipTest, public testing::WithParamInterface<HostileCase> {};

TEST_P(HostileEntryTest, IsSkippedAndTheRestIsStillWritten) {
  std::string name = GetParam().name;
  if (const auto at = name.find('@'); at != std::string::npos)
    name.replace(at, 1, outside().string());

  const auto report = Unzip(ZipWriter().AddFile(name, "evil").AddFile("good.txt", "good"));

  EXPECT_TRUE(OutsideIsEmpty());
  EXPECT_FALSE(fs::exists(root_ / "escape.txt"));
  ASSERT_EQ(report.skipped.size(), 1u);
  EXPECT_EQ(report.skipped[0], WithSlashes(name));
  EXPECT_EQ(report.filesWritten, 1);
  EXPECT_EQ(ReadAll(target() / "good.txt"), "good");
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileEntryTest,
    testing::Values(HostileCase{"Absolute", "@/abs.txt"}, HostileCase{"DotDot", "../escape.txt"},
                    HostileCase{"DotDotAfterFolder", "sub/../../escape.txt"},
                    HostileCase{"DotDotInFolderOnly", "sub/../good-looking.txt"},
                    HostileCase{"BackslashDotDot", "..\\escape.txt"},
                    HostileCase{"BackslashAbsolute", "\\escape.txt"},
                    HostileCase{"DriveLetter", "C:\\escape.txt"}, HostileCase{"DotDotOnly", ".."}),
    [](const auto& info) { return info.param.label; });

TEST_F(UnzipTest, SkipsSymbolicLinkEntriesAndDoesNotWriteThroughThem) {
  ZipWriter writer;
  writer.AddSymlink("link", outside().string())
      .AddFile("link/owned.txt", "evil")
      .AddSymlink("rel", "../outside")
      .AddFile("rel/owned.txt", "evil");

  const auto report = Unzip(writer);

  EXPECT_TRUE(OutsideIsEmpty());
  EXPECT_EQ(report.skipped, (std::vector<std::string>{"link", "rel"}));
  EXPECT_FALSE(fs::is_symlink(target() / "link"));
  EXPECT_FALSE(fs::is_symlink(target() / "rel"));
  EXPECT_EQ(ReadAll(target() / "link" / "owned.txt"), "evil");  // a plain folder inside
}

// The clean-up of a refused entry must not reach through the link either: the file already
// outside keeps its content.
TEST_F(UnzipTest, DoesNotFollowAnExistingLinkInsideTheFolder) {
  WriteAll(outside() / "x.txt", "keep");
  fs::create_directory_symlink(outside(), target() / "evil");
  const auto report = Unzip(ZipWriter().AddFile("evil/x.txt", "evil").AddFile("evil/a/b.txt", "e"));

  EXPECT_EQ(ReadAll(outside() / "x.txt"), "keep");
  EXPECT_FALSE(fs::exists(outside() / "a"));
  EXPECT_EQ(report.skipped.size(), 2u);
  EXPECT_EQ(report.filesWritten, 0);
}

TEST_F(UnzipTest, ReplacesAnExistingLinkAtTheEntryNameInsteadOfItsTarget) {
  WriteAll(outside() / "target.txt", "keep");
  fs::create_symlink(outside() / "target.txt", target() / "f.txt");

  Unzip(ZipWriter().AddFile("f.txt", "new"));

  EXPECT_EQ(ReadAll(outside() / "target.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink(target() / "f.txt"));
  EXPECT_EQ(ReadAll(target() / "f.txt"), "new");
}

TEST_F(UnzipTest, AnEntryThatClashesWithTheExistingTreeIsSkipped) {
  fs::create_directories(target() / "folder" / "inner");
  WriteAll(target() / "file.txt", "keep");

  const auto report = Unzip(ZipWriter()
                                .AddFile("folder", "a file where a folder is")
                                .AddFile("file.txt/child.txt", "below a file")
                                .AddFile("after.txt", "after"));

  EXPECT_EQ(report.skipped, (std::vector<std::string>{"folder", "file.txt/child.txt"}));
  EXPECT_TRUE(fs::is_directory(target() / "folder" / "inner"));
  EXPECT_EQ(ReadAll(target() / "file.txt"), "keep");
  EXPECT_EQ(ReadAll(target() / "after.txt"), "after");
}

TEST_F(UnzipTest, RaisesErrorNamingTheArchiveWhenItCannotBeRead) {
  WriteAll(zip(), "this is not a zip archive at all, just text");
  try {
    platform::UnzipAll(zip(), target());
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(zip().string()), std::string::npos) << e.what();
  }
  EXPECT_THROW(platform::UnzipAll(root_ / "missing.zip", target()), Error);
}

TEST_F(UnzipTest, DamagedDataRaisesErrorAndLeavesNoPartialFile) {
  const std::string data = BinaryData(100000);
  std::string bytes = ZipWriter().AddFile("ok.txt", "fine").AddFile("bad.bin", data).Bytes();
  const size_t badData = bytes.find("bad.bin") + 7;
  for (size_t i = badData + 20; i < badData + 400; ++i) bytes[i] = static_cast<char>(0xA5);
  WriteAll(zip(), bytes);

  EXPECT_THROW(platform::UnzipAll(zip(), target()), Error);
  EXPECT_EQ(ReadAll(target() / "ok.txt"), "fine");
  EXPECT_FALSE(fs::exists(target() / "bad.bin"));
}

// ---------------------------------------------------------------------------------------------
// Limits: an archive past one is not unpacked, and what it had written is taken back

struct LimitCase {
  std::string label;
  std::function<ZipWriter()> archive;
  std::function<void(platform::UnzipLimits&)> limit;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
  *out << c.label;
}

class UnzipLimitTest : public UnzipTest, public testing::WithParamInterface<LimitCase> {};

// Files the archive writes before it goes past the limit, in a new folder and over a file that
// was there before.
ZipWriter Lead() {
  return std::move(ZipWriter().AddFile("new/first.txt", "first").AddFile("old.txt", "new"));
}

TEST_P(UnzipLimitTest, LeavesTheFolderAsItWas) {
  WriteAll(target() / "kept.txt", "kept");
  platform::UnzipLimits limits;
  GetParam().limit(limits);
  GetParam().archive().Save(zip());

  const auto report = platform::UnzipAll(zip(), target(), limits);

  ASSERT_TRUE(report.overLimit);
  EXPECT_EQ(report.filesWritten, 0);
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(target()))
    left.push_back(fs::relative(entry.path(), target()).generic_string());
  EXPECT_EQ(left, std::vector<std::string>{"kept.txt"});
  EXPECT_TRUE(OutsideIsEmpty());
}

const std::string kZeros(200'000, '\0');

INSTANTIATE_TEST_SUITE_P(
    Limits, UnzipLimitTest,
    testing::Values(
        LimitCase{"TooManyEntries", [] { return Lead().AddFile("a", "a").AddFile("b", "b"); },
                  [](auto& l) { l.maxEntries = 3; }},
        LimitCase{"NameTooLong", [] { return Lead().AddFile(std::string(11, 'n'), "n"); },
                  [](auto& l) { l.maxNameBytes = 10; }},
        LimitCase{"NameTooDeep", [] { return Lead().AddFile("a/b\\c/d.txt", "d"); },
                  [](auto& l) { l.maxDepth = 3; }},
        // Three folders: new, x and x/y.
        LimitCase{"TooManyFolders", [] { return Lead().AddFile("x\\y/z.txt", "z"); },
                  [](auto& l) { l.maxFolders = 2; }},
        LimitCase{"AnnouncedBytesOverTheCap", [] { return Lead().AddFile("z.bin", kZeros); },
                  [](auto& l) { l.maxBytes = 100'000; }},
        LimitCase{"AnnouncedBytesOverTheRatio", [] { return Lead().AddFile("z.bin", kZeros); },
                  [](auto& l) { l.bytesPerArchiveByte = 10; }},
        // Announces 10 bytes and holds 200,000: caught while writing.
        LimitCase{"UnpackedBytesOverWhatWasAnnounced",
                  [] {
                    return Lead().AddDeflated("z.bin", testsupport::RawDeflate(kZeros),
                                              static_cast<std::uint32_t>(crc32(
                                                  0, reinterpret_cast<const Bytef*>(kZeros.data()),
                                                  static_cast<uInt>(kZeros.size()))),
                                              10);
                  },
                  [](auto& l) { l.maxBytes = 100'000; }}),
    [](const auto& info) { return info.param.label; });

TEST_F(UnzipTest, AnArchiveJustWithinItsLimitsIsUnpacked) {
  platform::UnzipLimits limits;
  limits.maxEntries = 3;
  limits.maxNameBytes = 5;
  limits.maxDepth = 2;
  limits.maxBytes = 6;
  ZipWriter().AddFolder("a/").AddFile("a/b.c", "123").AddFile("d", "456").Save(zip());

  const auto report = platform::UnzipAll(zip(), target(), limits);

  EXPECT_FALSE(report.overLimit) << *report.overLimit;
  EXPECT_EQ(report.filesWritten, 2);
  EXPECT_EQ(ReadAll(target() / "a" / "b.c"), "123");
}

// A folder is counted once, however many entries name it and however they spell it.
TEST_F(UnzipTest, FoldersAreCountedOnceEach) {
  ZipWriter archive;
  archive.AddFolder("a/").AddFolder("a\\d\\").AddFile("a/b.c", "b");
  for (int i = 0; i < 20; ++i) archive.AddFile("a\\d/" + std::to_string(i), "d");
  archive.AddFile("./a//d/./e", "e").Save(zip());
  platform::UnzipLimits limits;

  limits.maxFolders = 2;
  const auto report = platform::UnzipAll(zip(), target(), limits);
  EXPECT_FALSE(report.overLimit) << *report.overLimit;
  EXPECT_EQ(report.filesWritten, 22);
  EXPECT_EQ(ReadAll(target() / "a" / "d" / "e"), "e");

  limits.maxFolders = 1;
  fs::remove_all(target());
  EXPECT_EQ(platform::UnzipAll(zip(), target(), limits).overLimit, "more than 1 folders");
  EXPECT_FALSE(fs::exists(target() / "a"));
}

}  // namespace
