#include "util/XmlChars.h"

#include <cstdint>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at the start of `text`, with its code point; 0 when the
// bytes there are not one.
std::size_t DecodeOne(std::string_view text, char32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(i) & 0x3F);
  }
  const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
  if (codePoint < min || codePoint > 0x10FFFF || surrogate) return 0;
  return length;
}

bool AllowedInXml(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c != 0xFFFE && c != 0xFFFF;
}

}  // namespace

std::string XmlSafeText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    char32_t codePoint = 0;
    const std::size_t length = DecodeOne(text, codePoint);
    if (length == 0) {
      result += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    if (AllowedInXml(codePoint)) result += text.substr(0, length);
    text.remove_prefix(length);
  }
  return result;
}
