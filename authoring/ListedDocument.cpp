#include "authoring/ListedDocument.h"

#include <utility>

#include "util/Error.h"

namespace {

// Saved documents indent each level by two spaces.
std::string Indent(int depth) {
  return std::string(static_cast<std::size_t>(depth) * 2, ' ');
}

[[noreturn]] void Unlisted() {
  throw Error("A listed document lost its list's place when saved");
}

}  // namespace

TListedDocument::TListedDocument(std::string text) : text_(std::move(text)) {
  const std::string tag = std::string("<") + kListPlaceholder + "/>";
  const std::size_t at = text_.find(tag);
  if (at == std::string::npos || text_.find(tag, at + 1) != std::string::npos) Unlisted();
  lineStart_ = text_.rfind('\n', at);
  if (lineStart_ == std::string::npos) Unlisted();
  ++lineStart_;
  const std::size_t indent = at - lineStart_;
  lineEnd_ = at + tag.size();
  if (indent % 2 != 0 || text_.compare(lineStart_, indent, Indent(static_cast<int>(indent / 2))) ||
      lineEnd_ >= text_.size() || text_[lineEnd_] != '\n')
    Unlisted();
  ++lineEnd_;
  depth_ = static_cast<int>(indent / 2);
}

std::string_view TListedDocument::Before() const {
  return std::string_view(text_).substr(0, lineStart_);
}

std::string_view TListedDocument::After() const {
  return std::string_view(text_).substr(lineEnd_);
}

// The element is saved inside `depth` wrapping elements, whose lines are then cut away.
std::string ListItemText(int depth, const std::function<void(platform::XmlNode)>& build) {
  constexpr const char* kWrapper = "w";
  if (depth < 1) Unlisted();
  platform::XmlDocument document;
  platform::XmlNode node;
  std::string opening = platform::XmlDocument().SaveToText(), closing;
  for (int level = 0; level < depth; ++level) {
    node = level == 0 ? document.CreateDocumentElement(kWrapper) : node.AddChild(kWrapper);
    opening += Indent(level) + "<" + kWrapper + ">\n";
    closing.insert(0, Indent(level) + "</" + kWrapper + ">\n");
  }
  build(node);
  const std::string text = document.SaveToText();
  if (text.size() < opening.size() + closing.size() || !text.starts_with(opening) ||
      !text.ends_with(closing))
    Unlisted();
  return text.substr(opening.size(), text.size() - opening.size() - closing.size());
}
