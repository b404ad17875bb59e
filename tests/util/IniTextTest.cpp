#include "util/IniText.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct IniCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  const char* expected;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const IniCase& c, std::ostream* os) {
  *os << c.name;
}

class FindIniValueTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(FindIniValueTest, FollowsProfileRules) {
  const IniCase& c = GetParam();
  EXPECT_EQ(FindIniValue(c.content, c.section, c.key, "DEFAULT"), c.expected);
  // Several keys found in one pass follow the same rules, each on its own.
  const std::string_view keys[] = {"absent", c.key, "ABSENT", c.key};
  EXPECT_EQ(FindIniValues(c.content, c.section, keys, "DEFAULT"),
            (std::vector<std::string>{"DEFAULT", c.expected, "DEFAULT", c.expected}));
}

INSTANTIATE_TEST_SUITE_P(
    Files, FindIniValueTest,
    ::testing::Values(
        IniCase{"Plain", "[info]\nfile=a.png\n", "info", "file", "a.png"},
        IniCase{"CaseInsensitiveNames", "[INFO]\nFile=a.png\n", "info", "FILE", "a.png"},
        IniCase{"BlanksTrimmed", "  [ info ]  \n  file  =   a b.png  \n", "info", "file",
                "a b.png"},
        IniCase{"CrLf", "[info]\r\nfile=a.png\r\nnext=b\r\n", "info", "file", "a.png"},
        IniCase{"ByteOrderMark", "\xEF\xBB\xBF[info]\nfile=a.png\n", "info", "file", "a.png"},
        IniCase{"MissingKey", "[info]\nother=1\n", "info", "file", "DEFAULT"},
        IniCase{"MissingSection", "[misc]\nfile=a.png\n", "info", "file", "DEFAULT"},
        IniCase{"KeyInOtherSection", "[misc]\nfile=x\n[info]\nfile=y\n", "info", "file", "y"},
        IniCase{"EmptyValue", "[info]\nfile=\n", "info", "file", ""},
        IniCase{"QuotesRemoved", "[info]\nfile=\"a.png\"\n", "info", "file", "a.png"},
        IniCase{"FirstKeyWins", "[info]\nfile=1\nfile=2\n", "info", "file", "1"},
        IniCase{"ValueWithEquals", "[info]\nfile=a=b\n", "info", "file", "a=b"},
        IniCase{"NoNewlineAtEnd", "[info]\nfile=a.png", "info", "file", "a.png"},
        // UTF-16LE with a byte-order mark, as Windows editors save it; "é" and "𝄞" come back
        // as UTF-8.
        IniCase{"Utf16WithByteOrderMark",
                std::string("\xFF\xFE[\0i\0n\0f\0o\0]\0\r\0\n\0f\0i\0l\0e\0=\0\xE9\0"
                            "\x34\xD8\x1E\xDD.\0p\0n\0g\0\r\0\n\0",
                            46),
                "info", "file", "\xC3\xA9\xF0\x9D\x84\x9E.png"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
