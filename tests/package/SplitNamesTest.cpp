// Name rules of the package splitting.

#include <gtest/gtest.h>

#include "package/SplitNames.h"

namespace {

TEST(SplitNamesTest, N4PadsToFourDigitsAndKeepsLongerNumbers) {
  EXPECT_EQ(N4(0), "0000");
  EXPECT_EQ(N4(12), "0012");
  EXPECT_EQ(N4(1234), "1234");
  EXPECT_EQ(N4(12345), "12345");
}

TEST(SplitNamesTest, NamePartsTreatBothSeparatorsAlike) {
  EXPECT_EQ(FileExtension("C:\\dir.v2\\Bg.JPG"), ".JPG");
  EXPECT_EQ(FileExtension("dir.v2/name"), "");
  EXPECT_EQ(FileExtension("name."), ".");
  EXPECT_EQ(FileNamePart("res/other\\search.xml"), "search.xml");
  EXPECT_EQ(FileNamePart("folder/"), "");
  EXPECT_TRUE(IsBlank(" \t\r\n"));
  EXPECT_FALSE(IsBlank(" a "));
}

}  // namespace
