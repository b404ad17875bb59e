// File names made from titles: letters of every script kept, what a file name must not carry
// left out, and names that fit the file system.

#include "util/FileName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileNameFromTitle, KeepsLettersOfEveryScriptAndLeavesOutWhatIsUnsafe) {
  EXPECT_EQ(FileNameFromTitle("Été 2024 / Ölüdeniz"), "Été-2024-Ölüdeniz");
  EXPECT_EQ(FileNameFromTitle("東京 の 本"), "東京-の-本");
  EXPECT_EQ(FileNameFromTitle("My scans v1.2_final"), "My-scans-v1.2_final");
  // Separators, shell characters, controls and invisible characters go; blanks of any kind
  // become one "-".
  EXPECT_EQ(FileNameFromTitle("a/b\\c:*?\"<>|$`;\x01\x7F d"), "abc-d");
  EXPECT_EQ(FileNameFromTitle("left\xE2\x80\xAEright\xE2\x80\x8B"), "leftright");
  EXPECT_EQ(FileNameFromTitle("one\xC2\xA0two\xE3\x80\x80three\t - four"), "one-two-three-four");
  // Bytes that are not UTF-8 are dropped, never passed on.
  EXPECT_EQ(FileNameFromTitle("caf\xE9 \xC3"), "caf");
}

TEST(FileNameFromTitle, NeverHiddenNorAnOptionNorEmpty) {
  EXPECT_EQ(FileNameFromTitle("..hidden."), "hidden");
  EXPECT_EQ(FileNameFromTitle("--help"), "help");
  EXPECT_EQ(FileNameFromTitle(" / "), "book");
  EXPECT_EQ(FileNameFromTitle(""), "book");
}

TEST(FileNameFromTitle, IsCutBetweenCharactersToFitTheFileSystem) {
  const std::string fits(kMaxFileNameBytes, 'a');
  EXPECT_EQ(FileNameFromTitle(fits), fits);
  std::string longTitle;
  for (int i = 0; i < 150; ++i) longTitle += "\xC3\xA9";  // 300 bytes of "é"
  const std::string name = FileNameFromTitle("x" + longTitle);
  EXPECT_LE(name.size(), kMaxFileNameBytes);
  EXPECT_EQ(name.size(), kMaxFileNameBytes - 1);  // "x" and 99 whole letters
  EXPECT_EQ(name.back(), '\xA9');
}

}  // namespace
