// The streaming package writer: the layout the reader expects, and the 32-bit address limit.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "authoring/PackageWriter.h"
#include "platform/FileRead.h"
#include "tests/support/PackageBuilder.h"
#include "util/Error.h"

namespace {

TEST(PackageWriterTest, GroupMembersCarryTypeAndLengthAndTheHeadSpansTheGroup) {
  std::ostringstream out;
  out << "STUB";
  TPackageWriter writer(out, 4);
  writer.BeginGroup();
  writer.AddMember(7, "AB");
  const BlobAddress group = writer.EndGroup("INI");
  writer.Finish("<p/>", "<b/>");
  EXPECT_EQ(group, (BlobAddress{4 + 2 + 8 + 3 + 4, 2 + 8 + 3 + 4}));
  EXPECT_EQ(out.str(), "STUBAB" + EncodeUInt32(7) + EncodeUInt32(2) + "INI" + EncodeUInt32(3) +
                           "<b/>" + EncodeUInt32(4) + "<p/>" + EncodeUInt32(4));
}

// Large file blobs start on a page boundary; small ones follow the previous blob directly. Either
// way the address finds the file's bytes.
TEST(PackageWriterTest, LargeFileBlobsStartOnAPageBoundary) {
  const std::filesystem::path folder = testing::TempDir() + "/aligned-blobs";
  std::filesystem::create_directories(folder);
  const std::string small(100, 's'), large((1 << 20) + 3, 'L');
  std::ofstream(folder / "small.bin", std::ios::binary) << small;
  std::ofstream(folder / "large.bin", std::ios::binary) << large;

  std::ostringstream out;
  out << "STUBS";
  TPackageWriter writer(out, 5);
  const auto add = [&](const char* name) {
    return writer.AddFileBlob(
        *platform::OpenFileWithoutLinks(std::filesystem::absolute(folder / name)));
  };
  const BlobAddress first = add("small.bin");
  const BlobAddress second = add("large.bin");
  const BlobAddress third = add("small.bin");
  const std::string package = out.str();
  std::filesystem::remove_all(folder);

  EXPECT_EQ(first.pos - first.size, 5u);
  EXPECT_EQ((second.pos - second.size) % 4096, 0u);
  EXPECT_EQ(third.pos - third.size, second.pos);
  for (const auto& [address, bytes] : {std::pair{first, small}, {second, large}, {third, small}})
    EXPECT_EQ(package.substr(address.pos - address.size, address.size - 4), bytes);
  EXPECT_EQ(package.find_first_not_of('\0', first.pos), second.pos - second.size);
}

struct LimitCase {
  const char* label;
  std::uint64_t offset;
  bool refused;
};

void PrintTo(const LimitCase& c, std::ostream* out) {
  *out << c.label;
}

class PackageWriterLimitTest : public ::testing::TestWithParam<LimitCase> {};

// A blob of 4 bytes ends 8 bytes after the offset: it may end at 4 GiB - 1, not at 4 GiB.
TEST_P(PackageWriterLimitTest, RefusesBlobsEndingPast4GiB) {
  std::ostringstream out;
  TPackageWriter writer(out, GetParam().offset);
  if (GetParam().refused) {
    EXPECT_THROW(writer.AddBlob("DATA"), Error);
  } else {
    EXPECT_EQ(writer.AddBlob("DATA").pos, 0xFFFFFFFFu);
  }
}

INSTANTIATE_TEST_SUITE_P(Offsets, PackageWriterLimitTest,
                         ::testing::Values(LimitCase{"EndsAtTheLastAddress", 0xFFFFFFFFu - 8,
                                                     false},
                                           LimitCase{"EndsAt4GiB", 0xFFFFFFFFu - 7, true}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
