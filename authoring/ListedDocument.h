#pragma once
// A document with one long list of like elements (the pages of a book, the pages of its table of
// contents), written without ever holding the list: the document is saved with one empty
// placeholder element where the list goes, each item is saved alone at the depth it takes in
// the document, and the texts are joined. With at least one item (or other elements beside the
// list) the result is, byte for byte, the text the whole document saves to.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Xml.h"

class TMPage;

// The name of the placeholder element; no document of a book uses it.
inline constexpr const char* kListPlaceholder = "bookstub-list-placeholder";

class TListedDocument {
 public:
  // `text`: a saved document holding the placeholder once, on a line of its own. Raises Error
  // otherwise.
  explicit TListedDocument(std::string text);

  // The text before the list's first line and after its last.
  std::string_view Before() const;
  std::string_view After() const;
  // How deep the list's items lie: the document element is at 0.
  int Depth() const { return depth_; }

 private:
  std::string text_;
  std::size_t lineStart_ = 0;  // of the placeholder's line
  std::size_t lineEnd_ = 0;    // past the placeholder's line feed
  int depth_ = 0;
};

// The lines an element takes at `depth` in a saved document, each with its indent and line feed;
// `build` adds the element as the only child of the node it is given.
std::string ListItemText(int depth, const std::function<void(platform::XmlNode)>& build);

// The pages of a book given one at a time, for documents written without holding them all: the
// page that `page(i)` gives (i below `count`) stays valid until the next call.
struct TPageSequence {
  std::size_t count = 0;
  std::function<TMPage&(std::size_t index)> page;
};
