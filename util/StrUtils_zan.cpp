#include "util/StrUtils_zan.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "util/Error.h"

namespace {

struct ParsedInt {
  std::int32_t value = 0;
  bool complete = false;  // every character was consumed and at least one digit read
};

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Consumes a hexadecimal marker at `pos`; returns true when one was found.
bool SkipHexMarker(std::string_view text, std::size_t& pos) {
  if (pos >= text.size()) return false;
  const char c = text[pos];
  if (c == '$' || c == 'x' || c == 'X') {
    ++pos;
    return true;
  }
  if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    pos += 2;
    return true;
  }
  return false;
}

std::int32_t ToInt32(std::uint64_t magnitude, bool negative, bool hex) {
  if (hex) {
    const auto bits = static_cast<std::uint32_t>(magnitude);
    const auto signedValue = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : signedValue;
  }
  if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  return static_cast<std::int32_t>(magnitude);
}

ParsedInt ParseInt(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const bool hex = SkipHexMarker(text, pos);
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);

  std::uint64_t magnitude = 0;
  std::size_t digits = 0;
  bool overflow = false;
  for (; pos < text.size(); ++pos) {
    const int digit = DigitValue(text[pos], hex);
    if (digit < 0) break;
    const std::uint64_t next = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (next > limit) {
      overflow = true;
      break;
    }
    magnitude = next;
    ++digits;
  }
  ParsedInt result;
  result.value = ToInt32(magnitude, negative, hex);
  result.complete = !overflow && digits > 0 && pos == text.size();
  return result;
}

int Sign(long long v) {
  return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

}  // namespace

bool TryStrToInt(std::string_view text, std::int32_t& value) {
  const ParsedInt parsed = ParseInt(text);
  if (!parsed.complete) return false;
  value = parsed.value;
  return true;
}

std::int32_t StrToIntPrefix(std::string_view text) {
  return ParseInt(text).value;
}

std::optional<std::int64_t> ReadDecimalInteger(std::string_view text) {
  // from_chars takes a "-" but no "+".
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value, 10);
  if (ec != std::errc() || stop != end) return std::nullopt;
  return value;
}

namespace {

// Appends the decimal digits at `pos` to `out` and moves past them; returns how many there were.
std::size_t TakeDigits(std::string_view text, std::size_t& pos, std::string& out) {
  const std::size_t start = pos;
  while (pos < text.size() && DigitValue(text[pos], false) >= 0) ++pos;
  out.append(text.substr(start, pos - start));
  return pos - start;
}

// The nearest double to a C number out of the range of a double: 0 or a subnormal for a tiny
// one, nullopt for one too large.
std::optional<double> NearestDouble(std::string_view number) {
  const std::string local = PointToLocalSeparator(number);  // strtod follows the C locale
  char* end = nullptr;
  const double value = std::strtod(local.c_str(), &end);
  if (end != local.c_str() + local.size() || std::isinf(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> ReadDecimalNumber(std::string_view text, std::string_view separator,
                                        TUnderflow underflow) {
  std::string number;  // the same number as from_chars reads it: "." separator, no "+"
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
    if (text[pos++] == '-') number += '-';
  std::size_t digits = TakeDigits(text, pos, number);
  if (!separator.empty() && text.substr(pos, separator.size()) == separator) {
    pos += separator.size();
    number += '.';
    digits += TakeDigits(text, pos, number);
  }
  if (digits == 0) return std::nullopt;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    number += text[pos++];
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number += text[pos++];
    if (TakeDigits(text, pos, number) == 0) return std::nullopt;
  }
  if (pos != text.size()) return std::nullopt;
  double value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, ec] = std::from_chars(number.data(), end, value);
  if (stop != end) return std::nullopt;
  if (ec == std::errc::result_out_of_range && underflow == TUnderflow::Nearest)
    return NearestDouble(number);
  if (ec != std::errc()) return std::nullopt;
  return value;
}

std::string LocalDecimalSeparator() {
  // localeconv fills one structure for all its callers: one thread at a time, copied out before
  // the next. The locale itself is set once, before any thread starts.
  static std::mutex oneAtATime;
  const std::lock_guard lock(oneAtATime);
  const std::lconv* conv = std::localeconv();  // NOLINT(concurrency-mt-unsafe): under the lock
  if (conv == nullptr || conv->decimal_point == nullptr || *conv->decimal_point == '\0') return ".";
  return conv->decimal_point;
}

namespace {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string result;
  if (from.empty()) return std::string(text);
  std::size_t start = 0;
  for (;;) {
    const std::size_t hit = text.find(from, start);
    if (hit == std::string_view::npos) break;
    result.append(text.substr(start, hit - start));
    result.append(to);
    start = hit + from.size();
  }
  result.append(text.substr(start));
  return result;
}

}  // namespace

std::string PointToLocalSeparator(std::string_view text) {
  return ReplaceAll(text, ".", LocalDecimalSeparator());
}

double NormaliseFloat(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return value;
  const std::string local = PointToLocalSeparator(std::string_view(buffer, end - buffer));
  char* parsedEnd = nullptr;
  const double parsed = std::strtod(local.c_str(), &parsedEnd);  // honours the C locale
  return parsedEnd == local.c_str() ? value : parsed;
}

int CompareNumericFirst(const std::vector<std::string>& list, int i1, int i2) {
  const auto item = [&list](int index) -> const std::string& {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
      throw Error("List index out of bounds (" + std::to_string(index) + ")");
    return list[static_cast<std::size_t>(index)];
  };
  const std::string& first = item(i1);
  const std::string& second = item(i2);
  const ParsedInt a = ParseInt(first);
  const ParsedInt b = ParseInt(second);
  if (a.complete || b.complete)
    return Sign(static_cast<long long>(a.value) - static_cast<long long>(b.value));
  return Sign(std::strcoll(second.c_str(), first.c_str()));
}
