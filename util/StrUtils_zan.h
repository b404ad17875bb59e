#pragma once
// Number and text helpers shared by the two document loaders: the number readers (each document
// picks the rules its stored files were written for), decimal-separator conversion and the
// numeric-first comparison used to sort string lists.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole text as a 32-bit integer. Accepted: leading blanks, an optional "+" or "-",
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". A decimal
// value outside the 32-bit range fails; a hexadecimal value may use all 32 bits and is taken
// as two's complement ("$FFFFFFFF" is -1). Anything after the number (blanks included) fails.
// `value` is left untouched on failure.
bool TryStrToInt(std::string_view text, std::int32_t& value);

// Reads a whole text as a decimal integer: an optional "+" or "-", then decimal digits only (no
// blanks, no hexadecimal). nullopt when the text is not one or leaves the 64-bit range.
std::optional<std::int64_t> ReadDecimalInteger(std::string_view text);

// What ReadDecimalNumber gives for a number too small for a double.
enum class TUnderflow {
  Fails,    // nullopt
  Nearest,  // the nearest double (0 or a subnormal), as the class library's conversion gives it
};

// Reads a whole text as a decimal number: an optional sign, digits with at most one `separator`
// among them (at least one digit in all), then optionally "e" or "E", an optional sign and at
// least one digit. No blanks, no "inf" or "nan", no hexadecimal. nullopt when the text is not
// one or its value is too large for a double.
std::optional<double> ReadDecimalNumber(std::string_view text, std::string_view separator,
                                        TUnderflow underflow = TUnderflow::Fails);

// The text without any of `chars` at either end.
inline std::string_view TrimChars(std::string_view text, std::string_view chars) {
  const std::size_t first = text.find_first_not_of(chars);
  if (first == std::string_view::npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

// The text without blanks, tabs and line breaks at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  return TrimChars(text, " \t\r\n");
}

// The number read by the same rules up to the first invalid character (0 when nothing was
// read); a value that would leave the 32-bit range stops the reading.
std::int32_t StrToIntPrefix(std::string_view text);

// The decimal separator of the current C locale ("." in the "C" locale).
std::string LocalDecimalSeparator();

// Every "." replaced by the locale's decimal separator.
std::string PointToLocalSeparator(std::string_view text);

// The value passed through its shortest decimal text in the locale's format and parsed back,
// so constants are held in the same form as values read from text.
double NormaliseFloat(double value);

// Sort comparison of two list items: when at least one reads as an integer the numbers are
// compared (positive when item i1 is greater); when neither does, the texts are compared with
// the locale's collation in reverse order (item i2 against item i1).
int CompareNumericFirst(const std::vector<std::string>& list, int i1, int i2);
