#include "util/XmlChars.h"

#include "util/Utf8.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

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
    const std::size_t length = DecodeUtf8(text, codePoint);
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
