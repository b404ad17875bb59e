#pragma once
// Number and text helpers shared by the two document loaders: integer parsing with the
// class-library rules the stored documents were written for, decimal-separator conversion and
// the numeric-first comparison used to sort string lists.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole text as a 32-bit integer. Accepted: leading blanks, an optional "+" or "-",
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". A decimal
// value outside the 32-bit range fails; a hexadecimal value may use all 32 bits and is taken
// as two's complement ("$FFFFFFFF" is -1). Anything after the number (blanks included) fails.
// `value` is left untouched on failure.
bool TryStrToInt(std::string_view text, std::int32_t& value);

// The text without blanks, tabs and line breaks at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The number read by the same rules up to the first invalid character (0 when nothing was
// read); a value that would leave the 32-bit range stops the reading.
std::int32_t StrToIntPrefix(std::string_view text);

// The decimal separator of the current C locale ("." in the "C" locale).
std::string LocalDecimalSeparator();

// Every "." replaced by the locale's decimal separator.
std::string PointToLocalSeparator(std::string_view text);
// Every occurrence of the locale's decimal separator replaced by ".".
std::string LocalSeparatorToPoint(std::string_view text);

// The value passed through its shortest decimal text in the locale's format and parsed back,
// so constants are held in the same form as values read from text.
double NormaliseFloat(double value);

// Sort comparison of two list items: when at least one reads as an integer the numbers are
// compared (positive when item i1 is greater); when neither does, the texts are compared with
// the locale's collation in reverse order (item i2 against item i1).
int CompareNumericFirst(const std::vector<std::string>& list, int i1, int i2);
