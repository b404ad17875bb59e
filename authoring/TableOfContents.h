#pragma once
// The table of contents the viewer movie reads from res/other/: the page list with the files the
// split writes for each page (page picture, higher-resolution mobile copy, thumbnail), the
// clickable areas that carry a link, the chapters and the bookmarks. The format is described in
// docs/formats.md ("The table of contents").

#include <iosfwd>
#include <string>
#include <vector>

#include "authoring/ListedDocument.h"

class TLMProject;
class TMBook;

// The file name books made by our tools give their table of contents in res/other/.
inline constexpr const char* kTableOfContentsName = "toc.xml";

// What a table of contents says beyond the book document: what the project settings allow, and
// what only a richer source (a PDF) knows.
struct TTocExtras {
  bool downloads = false;               // the settings offer the download button
  bool search = true;                   // the settings show the search box
  std::vector<std::string> pageLabels;  // what the page box shows, by page index; "" or none:
                                        // the page number
  std::vector<int> bookmarkLevels;      // nesting by bookmark index, 1 = top; none: 1
};

// The extras the project settings give (the download button, the search box).
TTocExtras TocExtrasOf(const TLMProject& project);

// The table of contents of `book` as a UTF-8 XML document. Only the first chapter's pages are
// listed, as only they are unpacked. File names are relative to the book root with "/"
// separators. A page whose document names a mobile image lists its thumbnail (when the book has
// a page size) and, as the picture to zoom into, the mobile copy the split saves (a picture
// extension on `mobilefile1`), else the mobile image itself when it has a picture extension.
//
// A page's search text and download, the book's search index and download, the reading
// direction and the links of page elements and of the page's link list (a web or mail address,
// or a page of the book) come from the book document as well; `extras` adds the rest.
std::string WriteTableOfContents(const TMBook& book, const TTocExtras& extras = {});

// The same, written to `out` one page at a time: `book` gives everything but the pages of its
// first chapter, `pages` gives those (the book must have a chapter).
void WriteTableOfContents(const TMBook& book, const TTocExtras& extras, const TPageSequence& pages,
                          std::ostream& out);
