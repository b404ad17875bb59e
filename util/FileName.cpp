#include "util/FileName.h"

#include "util/Utf8.h"

namespace {

bool IsBlank(char32_t c) {
  return c == ' ' || c == '\t' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

// Characters beyond ASCII that a file name must not carry: controls, characters that change
// how the text around them is shown or hide in it (direction marks, zero-width and soft
// hyphens, line separators), and noncharacters.
bool IsHidden(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0xAD || c == 0x061C || c == 0x180E ||
         (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFD) ||
         (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE || (c >= 0xE0000 && c <= 0xE007F);
}

bool IsKeptAscii(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

void TrimEnd(std::string& name) {
  while (!name.empty() && (name.back() == '-' || name.back() == '.')) name.pop_back();
}

}  // namespace

std::string FileNameFromTitle(std::string_view title) {
  std::string name;
  while (!title.empty()) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(title, c);
    const std::string_view character = title.substr(0, length == 0 ? 1 : length);
    title.remove_prefix(character.size());
    std::string_view add;
    if (length == 0 || IsHidden(c) || (c < 0x80 && !IsKeptAscii(c) && !IsBlank(c))) continue;
    if (IsBlank(c) || c == '-')
      add = name.empty() || name.back() == '-' ? std::string_view() : "-";
    else if (c == '.')
      add = name.empty() ? std::string_view() : ".";
    else
      add = character;
    if (name.size() + add.size() > kMaxFileNameBytes) break;
    name += add;
  }
  TrimEnd(name);
  return name.empty() ? "book" : name;
}
