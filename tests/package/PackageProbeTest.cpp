#include "package/PackageProbe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/Os.h"
#include "tests/support/PackageBuilder.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

using TKind = TPackageProbe::TKind;

// The two documents with their lengths, as the end of a file.
std::string Trailer(const std::string& book, const std::string& project) {
  return book + EncodeUInt32(static_cast<std::uint32_t>(book.size())) + project +
         EncodeUInt32(static_cast<std::uint32_t>(project.size()));
}

struct ProbeCase {
  const char* label;
  std::string bytes;
  TKind expected;
};

void PrintTo(const ProbeCase& c, std::ostream* os) {
  *os << c.label;
}

class PackageProbeTest : public testing::Test {
 protected:
  PackageProbeTest()
      : folder_(fs::temp_directory_path() / ("bookstub-probe-" + platform::NewGuid())) {
    fs::create_directories(folder_);
  }
  ~PackageProbeTest() override { DeleteFolderTree(folder_); }

  fs::path Save(const std::string& bytes) {
    const fs::path file = folder_ / "file";
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  fs::path folder_;
};

class PackageProbeOfBytes : public PackageProbeTest,
                            public testing::WithParamInterface<ProbeCase> {};

TEST_P(PackageProbeOfBytes, TellsAPackageFromAFileWithout) {
  EXPECT_EQ(ProbePackage(Save(GetParam().bytes)).kind, GetParam().expected);
}

const std::string kStub =
    "\x7F"
    "ELF stub image of the player";
const std::string kProject = "<?xml version=\"1.0\"?><project exetitle=\"Probe\"/>";
const std::string kBook = "<book/>";

// ASCII `text` as UTF-16 with its byte-order mark.
std::string Utf16(const std::string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

std::string BuiltPackage() {
  PackageBuilder builder(kStub);
  builder.AddBlob("page bytes");
  return builder.Finish(kProject, kBook);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PackageProbeOfBytes,
    testing::Values(
        ProbeCase{"Package", BuiltPackage(), TKind::Carries},
        ProbeCase{"PackageOnForeignStub", std::string(4096, 'M') + Trailer(kBook, kProject),
                  TKind::Carries},
        ProbeCase{"MarkAndWhiteSpaceBeforeMarkup",
                  kStub + Trailer(kBook, "\xEF\xBB\xBF\r\n  " + kProject), TKind::Carries},
        ProbeCase{"BigEndianUtf16WithItsMark", kStub + Trailer(kBook, Utf16(kProject, true)),
                  TKind::Carries},
        ProbeCase{"LittleEndianUtf16WithItsMark", kStub + Trailer(kBook, Utf16(kProject, false)),
                  TKind::Carries},
        ProbeCase{"EmptyBookDocument", kStub + Trailer("", kProject), TKind::Carries},
        // A linked executable ends in section headers whose last bytes are zero.
        ProbeCase{"BarePlayer", kStub + std::string(64, '\0'), TKind::None},
        ProbeCase{"EmptyFile", "", TKind::None}, ProbeCase{"ShorterThanALength", "<a", TKind::None},
        ProbeCase{"ProjectLengthPastTheStart", kStub + EncodeUInt32(0xFFFFFFF0u), TKind::None},
        ProbeCase{"BookLengthPastTheStart",
                  EncodeUInt32(0x7FFFFFFFu) + kProject +
                      EncodeUInt32(static_cast<std::uint32_t>(kProject.size())),
                  TKind::None},
        ProbeCase{"ProjectIsNoMarkup", kStub + Trailer(kBook, "binary \x01\x02 bytes"),
                  TKind::None},
        ProbeCase{"TextFile", "Just some text, ending in a line break.\n", TKind::None}),
    [](const testing::TestParamInfo<ProbeCase>& info) { return info.param.label; });

TEST_F(PackageProbeTest, NamesTheFileThatCannotBeRead) {
  const fs::path missing = folder_ / "missing.exe";
  const fs::path fifo = folder_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const fs::path& file : {missing, folder_, fifo}) {
    const TPackageProbe probe = ProbePackage(file);  // a pipe must not block the probe
    EXPECT_EQ(probe.kind, TKind::Unreadable) << file;
    EXPECT_NE(probe.reason.find(file.string()), std::string::npos) << probe.reason;
  }
}

}  // namespace
