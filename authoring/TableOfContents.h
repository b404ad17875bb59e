#pragma once
// The table of contents the viewer movie reads from res/other/: the page list with the files the
// split writes for each page (page picture, higher-resolution mobile copy, thumbnail), the
// clickable areas that carry a link, the chapters and the bookmarks. The format is described in
// the README ("The table of contents").

#include <string>

class TMBook;

// The file name books made by our tools give their table of contents in res/other/.
inline constexpr const char* kTableOfContentsName = "toc.xml";

// The table of contents of `book` as a UTF-8 XML document. Only the first chapter's pages are
// listed, as only they are unpacked. File names are relative to the book root with "/"
// separators. A page whose document names a mobile image lists its thumbnail (when the book has
// a page size) and, as the picture to zoom into, the mobile copy the split saves (a picture
// extension on `mobilefile1`), else the mobile image itself when it has a picture extension.
std::string WriteTableOfContents(const TMBook& book);
