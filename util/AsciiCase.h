#pragma once
// Letter case of ASCII letters only. Names, extensions and switches in book files are ASCII;
// the C library's tolower follows the user's locale (a Turkish one leaves "I" as it is), so it
// must not decide whether two of them match.

#include <algorithm>
#include <string>
#include <string_view>

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string AsciiLowerCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiLower);
  return result;
}

inline std::string AsciiUpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), AsciiUpper);
  return result;
}

inline bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}
