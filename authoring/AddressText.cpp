#include "authoring/AddressText.h"

#include <algorithm>
#include <array>

#include "util/AsciiCase.h"
#include "util/Error.h"

namespace {

// Every address property of the two documents; an element lacking one of them gets a site to
// add it, and the readers decide which of those they take.
constexpr std::array<std::string_view, 30> kAddressNames = {
    "pos_",          "size_",          "pos_search_",     "size_search_",
    "pos_download_", "size_download_", "pos_langs_",      "size_langs_",
    "pos_flag_",     "size_flag_",     "pos_mobilefile2", "size_mobilefile2",
    "pos_pre_",      "size_pre_",      "pos_print_",      "size_print_",
    "pos_thumb_",    "size_thumb_",    "pos_bookinfo_",   "size_bookinfo_",
    "pos_mag_",      "size_mag_",      "pos_toolbar_",    "size_toolbar_",
    "pos_input_",    "size_input_",    "pos_vs_",         "size_vs_",
    "pos_thumbswf_", "size_thumbswf_"};

// Markers lie far above the numbers of a hand-written document and within the signed range
// that every address property can hold.
constexpr std::uint32_t kMarkerBase = 1'000'000'000u;
constexpr std::uint32_t kMarkerEnd = 0x7FFFFFFFu;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EndsName(char c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '=';
}

[[noreturn]] void Unterminated(std::size_t at) {
  throw Error("The document's markup does not end (from byte " + std::to_string(at) + ")");
}

void RefuseWideEncoding(std::string_view text) {
  const auto starts = [&](std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
  };
  using namespace std::string_view_literals;
  if (starts("\xFE\xFF"sv) || starts("\xFF\xFE"sv) || starts("\0<"sv) || starts("<\0"sv) ||
      starts("\0\0"sv))
    throw Error("The document is not in UTF-8 (a UTF-16 or UTF-32 text); save it as UTF-8");
}

}  // namespace

bool IsAddressName(std::string_view name) {
  const std::string lower = AsciiLowerCase(name);
  return lower.starts_with("pos_") || lower.starts_with("size_");
}

TAddressText::TAddressText(std::string text, bool addable)
    : text_(std::move(text)), addable_(addable) {
  RefuseWideEncoding(text_);
  Scan();
  std::stable_sort(sites_.begin(), sites_.end(), [](const TSite& a, const TSite& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
  });
  if (sites_.size() > kMarkerEnd - kMarkerBase)
    throw Error("The document has too many elements to address");
}

std::size_t TAddressText::Skip(std::size_t at, std::string_view terminator) const {
  const std::size_t end = text_.find(terminator, at);
  if (end == std::string::npos) Unterminated(at);
  return end + terminator.size();
}

void TAddressText::Scan() {
  std::vector<std::string> open;
  std::vector<std::size_t> contentStarts;
  std::size_t at = 0;
  while ((at = text_.find('<', at)) != std::string::npos) {
    const std::string_view rest = std::string_view(text_).substr(at);
    if (rest.starts_with("<!--")) {
      at = Skip(at + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      at = Skip(at + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      at = Skip(at + 2, "?>");
    } else if (rest.starts_with("<!")) {
      // A document type declaration, with its internal subset in brackets.
      const std::size_t bracket = text_.find_first_of("[>", at);
      at = bracket != std::string::npos && text_[bracket] == '[' ? Skip(Skip(bracket, "]"), ">")
                                                                 : Skip(at, ">");
    } else if (rest.starts_with("</")) {
      const std::size_t end = Skip(at, ">");
      if (!open.empty()) {
        if (IsAddressName(open.back()))
          sites_.push_back({TKind::ElementContent, contentStarts.back(), at, {}});
        open.pop_back();
        contentStarts.pop_back();
      }
      at = end;
    } else {
      at = ScanStartTag(at, open, contentStarts);
    }
  }
}

std::size_t TAddressText::ScanStartTag(std::size_t at, std::vector<std::string>& open,
                                       std::vector<std::size_t>& contentStarts) {
  std::size_t i = at + 1;
  while (i < text_.size() && !EndsName(text_[i])) ++i;
  const std::string element = text_.substr(at + 1, i - at - 1);
  std::vector<std::string> present;
  for (;;) {
    while (i < text_.size() && IsSpace(text_[i])) ++i;
    if (i >= text_.size()) Unterminated(at);
    if (text_[i] == '>' || text_.compare(i, 2, "/>") == 0) break;
    const std::size_t nameStart = i;
    while (i < text_.size() && !EndsName(text_[i])) ++i;
    const std::string name = text_.substr(nameStart, i - nameStart);
    while (i < text_.size() && IsSpace(text_[i])) ++i;
    if (i >= text_.size() || text_[i] != '=') Unterminated(at);
    ++i;
    while (i < text_.size() && IsSpace(text_[i])) ++i;
    if (i >= text_.size() || (text_[i] != '"' && text_[i] != '\'')) Unterminated(at);
    const std::size_t valueEnd = text_.find(text_[i], i + 1);
    if (valueEnd == std::string::npos) Unterminated(at);
    if (IsAddressName(name)) sites_.push_back({TKind::AttributeValue, i + 1, valueEnd, {}});
    present.push_back(AsciiLowerCase(name));
    i = valueEnd + 1;
  }
  for (std::string_view name : kAddressNames)
    if (addable_ && std::find(present.begin(), present.end(), name) == present.end())
      sites_.push_back({TKind::AddedAttribute, i, i, std::string(name)});
  if (text_[i] == '/') {
    if (IsAddressName(element)) sites_.push_back({TKind::EmptyElement, i, i + 2, element});
    return i + 2;
  }
  open.push_back(element);
  contentStarts.push_back(i + 1);
  return i + 1;
}

bool TAddressText::IsAdded(std::size_t site) const {
  return sites_.at(site).kind == TKind::AddedAttribute;
}

std::string TAddressText::Replacement(const TSite& site, const std::string& value) const {
  switch (site.kind) {
    case TKind::AttributeValue:
    case TKind::ElementContent:
      return value;
    case TKind::EmptyElement:
      return ">" + value + "</" + site.name + ">";
    case TKind::AddedAttribute:
      return " " + site.name + "=\"" + value + "\"";
  }
  return value;
}

std::string TAddressText::Rewritten(const std::map<std::size_t, std::string>& values) const {
  std::string out;
  out.reserve(text_.size() + values.size() * 24);
  std::size_t copied = 0;
  for (std::size_t s = 0; s < sites_.size(); ++s) {
    const TSite& site = sites_[s];
    if (site.begin < copied) continue;  // inside the content of an address element
    out.append(text_, copied, site.begin - copied);
    const auto value = values.find(s);
    if (value != values.end())
      out += Replacement(site, value->second);
    else
      out.append(text_, site.begin, site.end - site.begin);
    copied = site.end;
  }
  out.append(text_, copied, std::string::npos);
  return out;
}

std::string TAddressText::Marked() const {
  std::map<std::size_t, std::string> markers;
  for (std::size_t s = 0; s < sites_.size(); ++s)
    markers.emplace_hint(markers.end(), s, std::to_string(kMarkerBase + s));
  return Rewritten(markers);
}

std::optional<std::size_t> TAddressText::SiteOfMarker(std::uint32_t number) const {
  if (number < kMarkerBase || number - kMarkerBase >= sites_.size()) return std::nullopt;
  return number - kMarkerBase;
}
