#include "util/IniText.h"

#include <string>
#include <vector>

#include "util/AsciiCase.h"
#include "util/StrUtils_zan.h"

namespace {

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Windows editors save INI files as UTF-16LE with a byte-order mark; the profile reader takes
// them as well as 8-bit ones. Unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t first = unit(i);
    if (first >= 0xD800 && first < 0xDC00 && i + 3 < bytes.size()) {
      const char16_t second = unit(i + 2);
      if (second >= 0xDC00 && second < 0xE000) {
        AppendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, first >= 0xD800 && first < 0xE000 ? char32_t{0xFFFD} : char32_t{first});
  }
  return out;
}

// The file's text as UTF-8, without a byte-order mark.
std::string IniText(std::string bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16LeToUtf8(std::string_view(bytes).substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  return bytes;
}

}  // namespace

std::vector<std::string> FindIniValues(std::string_view fileBytes, std::string_view section,
                                       std::span<const std::string_view> keys,
                                       std::string_view fallback) {
  std::vector<std::string> values(keys.size(), std::string(fallback));
  const std::string decoded = IniText(std::string(fileBytes));
  std::string_view text = decoded;

  const std::string_view wantedSection = TrimBlanks(section);
  std::vector<bool> found(keys.size(), false);
  std::size_t missing = keys.size();
  bool inSection = false;
  while (!text.empty() && missing > 0) {
    const std::size_t end = text.find('\n');
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      if (inSection) break;  // only the first matching section is searched
      inSection = SameTextAscii(TrimBlanks(line.substr(1, close - 1)), wantedSection);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view lineKey = TrimBlanks(line.substr(0, equals));
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (found[i] || !SameTextAscii(lineKey, TrimBlanks(keys[i]))) continue;
      values[i] = std::string(Unquote(TrimBlanks(line.substr(equals + 1))));
      found[i] = true;
      --missing;
    }
  }
  return values;
}

std::string FindIniValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  return FindIniValues(fileBytes, section, std::span(&key, 1), fallback).front();
}
