#include "util/StrUtils_zan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "util/Error.h"

namespace {

struct IntCase {
  const char* text;
  bool ok;
  std::int32_t value;
};

// Test listings show the case, not the struct's raw bytes.
void PrintTo(const IntCase& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class TryStrToIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(TryStrToIntTest, FollowsTheClassLibraryRules) {
  const IntCase& c = GetParam();
  std::int32_t value = 12345;
  EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << c.text;
  EXPECT_EQ(value, c.ok ? c.value : 12345) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TryStrToIntTest,
    ::testing::Values(IntCase{"0", true, 0}, IntCase{"42", true, 42}, IntCase{"  42", true, 42},
                      IntCase{"\t7", true, 7}, IntCase{"+5", true, 5}, IntCase{"-17", true, -17},
                      IntCase{"$ff", true, 255}, IntCase{"xFF", true, 255},
                      IntCase{"X10", true, 16}, IntCase{"0x1f", true, 31},
                      IntCase{"0X1F", true, 31}, IntCase{"-$10", true, -16},
                      IntCase{"$FFFFFFFF", true, -1}, IntCase{"$80000000", true, INT32_MIN},
                      IntCase{"2147483647", true, INT32_MAX},
                      IntCase{"-2147483648", true, INT32_MIN}, IntCase{"2147483648", false, 0},
                      IntCase{"-2147483649", false, 0}, IntCase{"$100000000", false, 0},
                      IntCase{"99999999999", false, 0}, IntCase{"", false, 0},
                      IntCase{"   ", false, 0}, IntCase{"-", false, 0}, IntCase{"$", false, 0},
                      IntCase{"0x", false, 0}, IntCase{"12a", false, 0}, IntCase{"12 ", false, 0},
                      IntCase{"1.5", false, 0}, IntCase{"- 1", false, 0}, IntCase{"ff", false, 0}));

TEST(StrToIntPrefixTest, ReadsUpToTheFirstInvalidCharacter) {
  EXPECT_EQ(StrToIntPrefix("12abc"), 12);
  EXPECT_EQ(StrToIntPrefix("-7px"), -7);
  EXPECT_EQ(StrToIntPrefix("abc"), 0);
  EXPECT_EQ(StrToIntPrefix("$1g"), 1);
  EXPECT_EQ(StrToIntPrefix(""), 0);
}

struct NumberCase {
  const char* text;
  const char* separator;
  std::optional<double> value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" with \"" << c.separator << '"';
}

class ReadDecimalNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadDecimalNumberTest, TakesOnlyTheGivenSeparatorAndNoBlanks) {
  EXPECT_EQ(ReadDecimalNumber(GetParam().text, GetParam().separator), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadDecimalNumberTest,
    ::testing::Values(NumberCase{"0.75", ".", 0.75}, NumberCase{"+2", ".", 2.0},
                      NumberCase{"-.5", ".", -0.5}, NumberCase{"5.", ".", 5.0},
                      NumberCase{"2.5E-1", ".", 0.25}, NumberCase{"1e+2", ".", 100.0},
                      NumberCase{"0,5", ",", 0.5}, NumberCase{"-12,25e1", ",", -122.5},
                      NumberCase{"1\xD9\xAB"
                                 "5",
                                 "\xD9\xAB", 1.5},  // a two-byte separator
                      NumberCase{"0.5", ",", std::nullopt}, NumberCase{"0,5", ".", std::nullopt},
                      NumberCase{"1.2.3", ".", std::nullopt}, NumberCase{" 1", ".", std::nullopt},
                      NumberCase{"1 ", ".", std::nullopt}, NumberCase{".", ".", std::nullopt},
                      NumberCase{"+-1", ".", std::nullopt}, NumberCase{"1e", ".", std::nullopt},
                      NumberCase{"1e+", ".", std::nullopt}, NumberCase{"inf", ".", std::nullopt},
                      NumberCase{"nan", ".", std::nullopt}, NumberCase{"0x1p3", ".", std::nullopt},
                      NumberCase{"1e999", ".", std::nullopt}, NumberCase{"", ".", std::nullopt}));

TEST(ReadDecimalNumberTest, ATinyNumberFailsOrReadsAsTheNearestDouble) {
  EXPECT_EQ(ReadDecimalNumber("1e-400", "."), std::nullopt);
  EXPECT_EQ(ReadDecimalNumber("1e-400", ".", TUnderflow::Nearest), 0.0);
  EXPECT_EQ(ReadDecimalNumber("-1e-310", ".", TUnderflow::Nearest), -1e-310);  // a subnormal
  EXPECT_EQ(ReadDecimalNumber("1e999", ".", TUnderflow::Nearest), std::nullopt);
}

TEST(ReadDecimalIntegerTest, TakesASignAndDecimalDigitsInTheSixtyFourBitRange) {
  EXPECT_EQ(ReadDecimalInteger("+42"), 42);
  EXPECT_EQ(ReadDecimalInteger("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ReadDecimalInteger("9223372036854775807"), INT64_MAX);
  for (const char* text : {"9223372036854775808", "+-1", "++1", "-+1", "+", "", " 1", "1 ", "0x10",
                           "$10", "1.0", "1e3"})
    EXPECT_EQ(ReadDecimalInteger(text), std::nullopt) << text;
}

TEST(TrimBlanksTest, DropsBlanksTabsAndLineBreaksAtEitherEndOnly) {
  EXPECT_EQ(TrimBlanks(" \t\r\na b\n"), "a b");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimChars(" \ta\n ", " \t"), "a\n");
}

TEST(CompareNumericFirstTest, NumbersSortByValue) {
  const std::vector<std::string> list{"2", "10", "10", "-3", "abc", "5x"};
  EXPECT_LT(CompareNumericFirst(list, 0, 1), 0);
  EXPECT_GT(CompareNumericFirst(list, 1, 0), 0);
  EXPECT_EQ(CompareNumericFirst(list, 1, 2), 0);
  EXPECT_LT(CompareNumericFirst(list, 3, 0), 0);
  // A text that does not read counts as the number before its first invalid character.
  EXPECT_LT(CompareNumericFirst(list, 4, 0), 0);  // "abc" -> 0
  EXPECT_GT(CompareNumericFirst(list, 5, 0), 0);  // "5x" -> 5
}

TEST(CompareNumericFirstTest, TextsSortInReverse) {
  const std::vector<std::string> list{"apple", "banana", "apple"};
  EXPECT_GT(CompareNumericFirst(list, 0, 1), 0);
  EXPECT_LT(CompareNumericFirst(list, 1, 0), 0);
  EXPECT_EQ(CompareNumericFirst(list, 0, 2), 0);
}

TEST(CompareNumericFirstTest, BadIndexRaises) {
  const std::vector<std::string> list{"1"};
  EXPECT_THROW(CompareNumericFirst(list, 0, 1), Error);
}

TEST(DecimalSeparatorTest, CLocaleUsesPoint) {
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(LocalDecimalSeparator(), ".");
  EXPECT_EQ(PointToLocalSeparator("1.5"), "1.5");
  EXPECT_DOUBLE_EQ(NormaliseFloat(0.2), 0.2);
  EXPECT_EQ(NormaliseFloat(0.1), 0.1);
}

TEST(DecimalSeparatorTest, CommaLocaleRoundTrips) {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE locale";
  EXPECT_EQ(LocalDecimalSeparator(), ",");
  EXPECT_EQ(PointToLocalSeparator("1.5"), "1,5");
  EXPECT_EQ(ReadDecimalNumber("1,5", LocalDecimalSeparator()), 1.5);
  EXPECT_EQ(NormaliseFloat(0.2), 0.2);
  std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
