#pragma once
// `bookstub make`: a book from page pictures and PDFs. Each picture and each page of a PDF
// becomes one page: a page picture sized for the screen, a larger copy to zoom into (the page's
// mobile image, from which the player also derives the page's thumbnail), both JPEG. A PDF's
// pages also keep their words (the page's search text and the book's search index), their links
// and labels, and its outline becomes the book's bookmarks. The two documents and the table of
// contents are written for them, and the whole source book is packed onto a player by the
// packer of `bookstub pack`.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Geometry.h"

// The pictures and PDFs named by the command line, in page order: a file as it is (what it holds
// is told by its contents when it is made), a folder as the picture and PDF files directly in
// it (by extension, hidden files left out) in natural order of their names ("page2" before
// "page10"). Raises Error for a name that is neither, and for a folder without any.
std::vector<std::filesystem::path> ListSources(const std::vector<std::filesystem::path>& names);

// The files directly in the folders among `names` that `taken` (what ListSources gave) leaves
// out, hidden files aside, in natural order of their names.
std::vector<std::filesystem::path> FilesLeftOut(const std::vector<std::filesystem::path>& names,
                                                const std::vector<std::filesystem::path>& taken);

// The longest side of a page picture and of its zoom copy; smaller pictures keep their size.
inline constexpr int kPagePictureSide = 1200;
inline constexpr int kZoomPictureSide = 2400;
// The longest side of the thumbnails the player derives for the strip.
inline constexpr int kThumbnailSide = 128;

// The pixel size of a copy of `picture` whose longest side is at most `side`.
Size FittedSize(Size picture, int side);

// A link area of a made page: a web or mail address, or a page of the book.
struct TMadeLink {
  Rect area;        // page units
  std::string url;  // an http:, https: or mailto: address, or
  int page = 0;     // a page of the book, from 1
  friend bool operator==(const TMadeLink&, const TMadeLink&) = default;
};

// The files of one made page, relative to the book root, and what its source told of it.
struct TMadePage {
  Size picture;           // the stored size of the source picture, or of a PDF page's rendering
  std::string src;        // the page picture
  std::string zoom;       // the zoom copy; the page picture itself when no larger
  std::string searchtxt;  // the page's search text; empty when the page has no words
  std::string label;      // what the page box shows; empty: the page number
  std::vector<TMadeLink> links;
};

struct TMadeBookmark {
  std::string title;
  int page = 1;   // a page of the book, from 1
  int level = 1;  // 1 at the top
  friend bool operator==(const TMadeBookmark&, const TMadeBookmark&) = default;
};

// The page files for page `index` (from 0) of a picture of that size.
TMadePage PlanPage(int index, Size picture);

struct TMadeDocuments {
  std::string project;
  std::string book;
  std::string toc;
};

// The documents of a made book. The page size is the first picture's size; every picture is
// fitted into the page, centred. `searchIndex` names the book's search index (none when empty).
// Raises Error when there is no page.
TMadeDocuments WriteMadeDocuments(std::string_view title, const std::vector<TMadePage>& pages,
                                  const std::vector<TMadeBookmark>& bookmarks = {},
                                  std::string_view searchIndex = {});

// Where the source book's files go, relative to the source folder.
inline constexpr const char* kMadeProjectDocument = "project.xml";
inline constexpr const char* kMadeBookDocument = "book.xml";
inline constexpr const char* kMadeViewerMovie = "book.swf";
inline constexpr const char* kMadeTableOfContents = "res/other/toc.xml";
inline constexpr const char* kMadeSearchIndex = "res/other/search.xml";

struct TMakeRequest {
  std::string title;
  std::vector<std::filesystem::path> sources;  // pictures and PDFs, in page order
  std::filesystem::path player;
  std::filesystem::path output;
  std::string_view viewerMovie;  // the bytes of the viewer movie
};

// Called with the number of pages done and the count of pages of every source, after each page.
using TMakeProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the book executable `request.output` and returns its page count. The source book is
// built in a hidden folder beside the output and deleted at the end; the output appears only
// when everything worked. One picture or PDF page is decoded at a time. Raises Error naming the
// picture, or the PDF and its page, that cannot be read.
std::size_t MakeBook(const TMakeRequest& request, const TMakeProgress& progress);
