#pragma once
// The two search formats the viewer reads (described in docs/formats.md, "Search texts"): a page's
// search text, its words in reading order with their boxes in the book's page units, and the
// book's search index, every page's words on one line so that a search reads one file.

#include <string>
#include <utility>
#include <vector>

struct TSearchWord {
  std::string text;  // UTF-8
  double left = 0, top = 0, width = 0, height = 0;
};

// The page's search text document. Words that are blank are left out; spaces inside a word
// become no-break spaces, so that the index's single spaces part exactly the same words.
std::string WritePageSearchText(const std::vector<TSearchWord>& words);

// The book's search index, gathered page by page.
class TSearchIndex {
 public:
  // `number` counts pages from 1; a page without words adds nothing.
  void AddPage(int number, const std::vector<TSearchWord>& words);
  bool Empty() const { return pages_.empty(); }
  std::string Document() const;

 private:
  std::vector<std::pair<int, std::string>> pages_;
};
