// The streaming package writer: the layout the reader expects, and the 32-bit address limit.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "package/PackageWriter.h"
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
