// Fuzz harness of the INI reader (FindIniValue, the profile reading of a button group's
// info.ini). The input is the file's bytes; the harness asks for a few keys the packages use
// and for names that are blank, mixed case or not ASCII. A value is one line: it never holds
// a line break. Seeds are 8-bit, UTF-8 and UTF-16 files with the edge cases of the rules.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "util/IniText.h"

namespace {

const std::vector<std::pair<std::string_view, std::string_view>> kQueries = {
    {"info", "next"},
    {"INFO", "Search"},
    {" info ", " file "},
    {"", ""},
    {"info", ""},
    {"B\xC3\xBC"
     "cher",
     "\xC3\xA9t\xC3\xA9"},
    {"[info]", "a=b"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const auto& [section, key] : kQueries) {
    const std::string value = FindIniValue(bytes, section, key, "fallback");
    if (value.find('\n') != std::string::npos) {
      std::fprintf(stderr, "value of [%.*s] %.*s spans lines\n", static_cast<int>(section.size()),
                   section.data(), static_cast<int>(key.size()), key.data());
      std::abort();
    }
  }
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  const std::string plain =
      "[info]\nfirstpage=first.png\nnext = \"next.png\"\r\nsearch=  s.png  \n"
      "file=a=b\n[other]\nnext=other.png\n";
  return {
      plain,
      "\xEF\xBB\xBF" + plain,
      AsciiAsUtf16(plain),
      AsciiAsUtf16("[info]\r\nnext=n") + std::string("\x3D\xD8\x00\xDE", 4) +  // a surrogate pair
          std::string("\x00\xD8", 2) + AsciiAsUtf16("x").substr(2),  // and an unpaired one
      "[INFO]\nSEARCH=upper.png\n[ B\xC3\xBC"
      "cher ]\n\xC3\xA9t\xC3\xA9=summer\n",
      "[info\nnext=unclosed\n[]\n=empty key\n[info]\n=\nnext=\"\n",
      "[info]\nnext=\"a\"b\"\n[info]\nnext=second\n",
      "\t[info]\t\n\tnext\t=\ttabbed\t",
      std::string("[info]\0\nnext=\0zero\n", 19),
      "\xFF\xFE",
      "\xFF\xFE[",
      "",
  };
}
