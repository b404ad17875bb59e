// Packages built to exhaust the opener: each split ends, as a well-formed book or with its
// error, having left little on disk and said once in the log what it refused.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/package/SplitHarness.h"
#include "tests/support/HostileBooks.h"

namespace {

using namespace splittest;

struct HostileCase {
  std::string name;
  std::string error;    // part of the error that ends the split; empty: the book loads
  std::string logLine;  // part of the one log line naming what was refused; empty: none
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostilePackageTest : public SplitTest, public testing::WithParamInterface<HostileCase> {};

TEST_P(HostilePackageTest, SplitsWithinBoundsAndSaysWhatItRefused) {
  const HostileCase& c = GetParam();
  const SplitRun run = Run(testsupport::BuildHostileBook(c.name).book);

  if (c.error.empty()) {
    EXPECT_FALSE(run.error) << *run.error;
    EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
  } else {
    ASSERT_TRUE(run.error);
    EXPECT_NE(run.error->find(c.error), std::string::npos) << *run.error;
  }
  if (!c.logLine.empty()) {
    const auto log = LogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [&](const std::string& line) {
                              return line.find(c.logLine) != std::string::npos;
                            }),
              1)
        << c.logLine;
  }
  const auto tree = Tree();
  std::uint64_t bytes = 0;
  for (const auto& [name, content] : tree) bytes += content.size();
  EXPECT_LT(tree.size(), 100u);
  EXPECT_LT(bytes, 16u << 20);
}

INSTANTIATE_TEST_SUITE_P(
    Packages, HostilePackageTest,
    testing::Values(
        HostileCase{"PicturesClaiming60000x60000", "too large to decode",
                    "Picture too large: " /* the first element's, measured only */},
        HostileCase{"Picture20000x20000", "too large to decode", ""},
        HostileCase{"ZipBomb2GiB", "", "Archive langs.zip left out: more than 33554432 unpacked"},
        HostileCase{"ZipBomb2GiBAnnouncing1KiB", "", ""},
        HostileCase{"ZipWith100000Files", "", "Archive flag.zip left out: more than 65536 entries"},
        HostileCase{"ZipMaking600000Folders", "",
                    "Archive langs.zip left out: more than 4096 folders"},
        HostileCase{"ButtonGroup4MB", "", ""}, HostileCase{"MovieNamedBy30Pages", "", ""}),
    [](const auto& info) { return info.param.name; });

}  // namespace
