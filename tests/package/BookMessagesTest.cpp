#include "package/BookMessages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

TEST(ProgressPercent, ScalesNumeratorByDenominator) {
  EXPECT_EQ(ProgressPercent(5, 100), 5);
  EXPECT_EQ(ProgressPercent(10, 100), 10);
  EXPECT_EQ(ProgressPercent(100, 100), 100);
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(2, 3), 66);
}

TEST(ProgressPercent, StaysInRangeForOddMessages) {
  EXPECT_EQ(ProgressPercent(0, 0), std::nullopt);
  EXPECT_EQ(ProgressPercent(5, -100), std::nullopt);
  EXPECT_EQ(ProgressPercent(250, 100), 100);
  EXPECT_EQ(ProgressPercent(-5, 100), 0);
  EXPECT_EQ(ProgressPercent(INT32_MAX, INT32_MAX), 100);  // no overflow in the product
}

}  // namespace
