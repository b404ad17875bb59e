#include "authoring/SearchText.h"

#include <charconv>
#include <string_view>

#include "platform/Xml.h"

namespace {

constexpr const char* kFormatVersion = "1";
constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Characters a document cannot hold; the documents would drop them, and a word made only of
// them would leave the index a word short.
bool IsUnstorable(std::string_view text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  if (c < 0x20) return true;
  return text.substr(at, 3) == "\xEF\xBF\xBE" || text.substr(at, 3) == "\xEF\xBF\xBF";
}

// The word as the index holds it: no spaces around it, none inside it.
std::string IndexWord(std::string_view text) {
  std::string word;
  bool space = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSpace(text[i])) {
      space = !word.empty();
    } else if (IsUnstorable(text, i)) {
      if (static_cast<unsigned char>(text[i]) >= 0x20) i += 2;
    } else {
      if (space) word += kNoBreakSpace;
      space = false;
      word += text[i];
    }
  }
  return word;
}

// Two decimals at most, whatever the user's locale.
std::string Number(double value) {
  char text[400];
  const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
  std::string number(text, written.ptr);
  number.erase(number.find_last_not_of('0') + 1);
  if (number.back() == '.') number.pop_back();
  return number == "-0" ? "0" : number;
}

}  // namespace

std::string WritePageSearchText(const std::vector<TSearchWord>& words) {
  platform::XmlDocument document;
  platform::XmlNode root = document.CreateDocumentElement("searchtext");
  root.SetAttribute("version", kFormatVersion);
  for (const TSearchWord& word : words) {
    const std::string text = IndexWord(word.text);
    if (text.empty()) continue;
    platform::XmlNode node = root.AddChild("word");
    node.SetAttribute("left", Number(word.left));
    node.SetAttribute("top", Number(word.top));
    node.SetAttribute("width", Number(word.width));
    node.SetAttribute("height", Number(word.height));
    node.AddText(text);
  }
  return document.SaveToText();
}

void TSearchIndex::AddPage(int number, const std::vector<TSearchWord>& words) {
  std::string line;
  for (const TSearchWord& word : words) {
    const std::string text = IndexWord(word.text);
    if (text.empty()) continue;
    if (!line.empty()) line += ' ';
    line += text;
  }
  if (!line.empty()) pages_.emplace_back(number, std::move(line));
}

std::string TSearchIndex::Document() const {
  platform::XmlDocument document;
  platform::XmlNode root = document.CreateDocumentElement("searchindex");
  root.SetAttribute("version", kFormatVersion);
  for (const auto& [number, line] : pages_) {
    platform::XmlNode page = root.AddChild("page");
    page.SetAttribute("number", std::to_string(number));
    page.AddText(line);
  }
  return document.SaveToText();
}
