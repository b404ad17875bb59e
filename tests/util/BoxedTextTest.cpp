#include "util/BoxedText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One box per character, each 10 wide, side by side on one line.
std::vector<BoxF> Row(std::size_t count) {
  std::vector<BoxF> boxes;
  for (std::size_t i = 0; i < count; ++i) boxes.push_back({10.0 * i, 5, 10, 12});
  return boxes;
}

TEST(BoxedText, CutsAtWhiteSpaceAndBoxesEachWordByItsCharacters) {
  // "ab cd\nef": the line break and the space have boxes of their own, as in a text layer.
  const auto words = WordsOfBoxedText("ab cd\nef", Row(8), 100);
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0], (TBoxedWord{"ab", {0, 5, 20, 12}}));
  EXPECT_EQ(words[1], (TBoxedWord{"cd", {30, 5, 20, 12}}));
  EXPECT_EQ(words[2], (TBoxedWord{"ef", {60, 5, 20, 12}}));

  // Characters of different heights and lines: the union of their boxes.
  const auto tall = WordsOfBoxedText("xy", {{0, 10, 5, 5}, {5, 2, 5, 20}}, 100);
  ASSERT_EQ(tall.size(), 1u);
  EXPECT_EQ(tall[0].box, (BoxF{0, 2, 10, 20}));
}

TEST(BoxedText, CountsCodePointsNotBytes) {
  // "é" is two bytes and "€" three, one box each; U+00A0 and U+3000 part words.
  const std::string text =
      "\xC3\xA9t\xC3\xA9"
      "\xC2\xA0"
      "\xE2\x82\xAC"
      "5\xE3\x80\x80z";
  const auto words = WordsOfBoxedText(text, Row(8), 100);
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].text, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(words[0].box.width, 30);
  EXPECT_EQ(words[1], (TBoxedWord{"\xE2\x82\xAC"
                                  "5",
                                  {40, 5, 20, 12}}));
  EXPECT_EQ(words[2], (TBoxedWord{"z", {70, 5, 10, 12}}));
}

TEST(BoxedText, SurvivesTextAndBoxesThatDisagree) {
  // Invalid bytes (a lone continuation byte, a truncated sequence, an overlong form, a
  // surrogate) are one character each, replaced.
  const auto invalid = WordsOfBoxedText(
      "a\x80"
      "b \xE2\x82 \xC0\xAF \xED\xA0\x80",
      Row(13), 100);
  ASSERT_EQ(invalid.size(), 4u);
  EXPECT_EQ(invalid[0].text,
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(invalid[0].box.width, 30);
  EXPECT_EQ(invalid[1].text, "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(invalid[2].text, "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(invalid[3].text, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");

  // Fewer boxes than characters: the characters without a box are left out.
  const auto short_ = WordsOfBoxedText("one two three", Row(6), 100);
  ASSERT_EQ(short_.size(), 2u);
  EXPECT_EQ(short_[1].text, "tw");
  // More boxes than characters, no text, no boxes.
  EXPECT_EQ(WordsOfBoxedText("one", Row(10), 100).size(), 1u);
  EXPECT_TRUE(WordsOfBoxedText("", Row(3), 100).empty());
  EXPECT_TRUE(WordsOfBoxedText("one", {}, 100).empty());
  EXPECT_TRUE(WordsOfBoxedText(" \n\t ", Row(4), 100).empty());
}

TEST(BoxedText, StopsAtTheWordLimit) {
  EXPECT_EQ(WordsOfBoxedText("a b c d", Row(7), 4).size(), 4u);
  const auto limited = WordsOfBoxedText("a b c d e", Row(9), 2);
  ASSERT_EQ(limited.size(), 2u);
  EXPECT_EQ(limited[1].text, "b");
}

}  // namespace
