// Natural order of file names: the page order `bookstub make` gives the pictures of a folder.

#include "util/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct OrderCase {
  const char* label;
  std::string before;
  std::string after;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
  *os << c.label;
}

class NaturalOrderTest : public ::testing::TestWithParam<OrderCase> {};

// Each pair in one order only: a strict weak order never puts a name before itself.
TEST_P(NaturalOrderTest, PutsTheFirstNameBeforeTheSecond) {
  const OrderCase& c = GetParam();
  EXPECT_TRUE(NaturalLess(c.before, c.after));
  EXPECT_FALSE(NaturalLess(c.after, c.before));
  EXPECT_FALSE(NaturalLess(c.before, c.before));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NaturalOrderTest,
    ::testing::Values(OrderCase{"numbers_by_value", "page2.jpg", "page10.jpg"},
                      OrderCase{"numbers_longer_than_any_integer", "p99999999999999999999999.png",
                                "p100000000000000000000000.png"},
                      OrderCase{"leading_zeros_keep_the_value", "page007.png", "page10.png"},
                      OrderCase{"same_value_then_by_bytes", "page01.png", "page1.png"},
                      OrderCase{"letters_without_case", "apple.png", "Banana.png"},
                      OrderCase{"same_letters_upper_case_first", "Page1.png", "page1.png"},
                      OrderCase{"second_number_decides", "scan1-2.tif", "scan1-10.tif"},
                      OrderCase{"prefix_first", "page", "page1"},
                      OrderCase{"digits_before_letters", "1cover.png", "cover.png"},
                      // UTF-8 bytes of letters beyond ASCII compare above every ASCII letter.
                      OrderCase{"letters_beyond_ascii_after_z", "z.png", "\xC3\xA9t\xC3\xA9.png"},
                      OrderCase{"capital_beyond_ascii_after_z", "Z.png", "\xC3\x89t\xC3\xA9.png"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(NaturalOrderSortTest, SortsAScannerFolderInPageOrder) {
  std::vector<std::string> names = {"scan10.jpg", "scan9.jpg", "Scan1.jpg", "scan100.jpg",
                                    "scan2.jpg"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"Scan1.jpg", "scan2.jpg", "scan9.jpg", "scan10.jpg",
                                             "scan100.jpg"}));
}

}  // namespace
