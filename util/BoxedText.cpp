#include "util/BoxedText.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct CodePoint {
  char32_t value = 0;
  std::size_t length = 1;  // bytes taken from the text
  bool valid = false;
};

// The code point at `at`: well-formed UTF-8 only (no overlong forms, surrogates or values past
// U+10FFFF); anything else is one invalid byte.
CodePoint Decode(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return {};
  }
  if (at + length > text.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return {};
    value = (value << 6) | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
  return {value, length, true};
}

bool IsWhiteSpace(char32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000 || c == 0xFEFF;
}

BoxF Union(const BoxF& a, const BoxF& b) {
  const double left = std::min(a.left, b.left);
  const double top = std::min(a.top, b.top);
  const double right = std::max(a.left + a.width, b.left + b.width);
  const double bottom = std::max(a.top + a.height, b.top + b.height);
  return {left, top, right - left, bottom - top};
}

}  // namespace

std::vector<TBoxedWord> WordsOfBoxedText(std::string_view utf8, const std::vector<BoxF>& boxes,
                                         std::size_t maxWords) {
  std::vector<TBoxedWord> words;
  TBoxedWord word;
  auto finish = [&] {
    if (!word.text.empty() && words.size() < maxWords) words.push_back(std::move(word));
    word = {};
  };
  std::size_t at = 0;
  for (const BoxF& box : boxes) {
    if (at >= utf8.size() || words.size() >= maxWords) break;
    const CodePoint c = Decode(utf8, at);
    if (c.valid && IsWhiteSpace(c.value)) {
      finish();
    } else {
      word.box = word.text.empty() ? box : Union(word.box, box);
      word.text += c.valid ? utf8.substr(at, c.length) : kReplacement;
    }
    at += c.length;
  }
  finish();
  return words;
}
