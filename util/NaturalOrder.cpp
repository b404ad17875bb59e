#include "util/NaturalOrder.h"

#include <cstddef>

#include "util/AsciiCase.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view DigitRun(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return text.substr(from, end - from);
}

// Compares two digit runs by value, whatever their length: leading zeros are dropped, then the
// longer number is the larger, then the digits decide.
int CompareNumbers(std::string_view a, std::string_view b) {
  while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
  while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

int CompareNatural(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i);
      const std::string_view y = DigitRun(b, j);
      if (const int order = CompareNumbers(x, y); order != 0) return order;
      i += x.size();
      j += y.size();
      continue;
    }
    const char x = AsciiLower(a[i]);
    const char y = AsciiLower(b[j]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
  if (const int order = CompareNatural(a, b); order != 0) return order < 0;
  return a < b;
}
