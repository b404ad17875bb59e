#pragma once
// `bookstub make`: a book from page pictures. Each picture becomes one page: a page picture
// sized for the screen, a larger copy to zoom into (the page's mobile image, from which the
// player also derives the page's thumbnail), both JPEG. The two documents and the table of
// contents are written for them, and the whole source book is packed onto a player by the
// packer of `bookstub pack`.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Geometry.h"

// The pictures named by the command line, in page order: a file as it is, a folder as the
// picture files directly in it (by extension, hidden files left out) in natural order of their
// names ("page2" before "page10"). Raises Error for a name that is neither, and for a folder
// without pictures.
std::vector<std::filesystem::path> ListPictures(const std::vector<std::filesystem::path>& names);

// The longest side of a page picture and of its zoom copy; smaller pictures keep their size.
inline constexpr int kPagePictureSide = 1200;
inline constexpr int kZoomPictureSide = 2400;
// The longest side of the thumbnails the player derives for the strip.
inline constexpr int kThumbnailSide = 128;

// The pixel size of a copy of `picture` whose longest side is at most `side`.
Size FittedSize(Size picture, int side);

// The files of one made page, relative to the book root.
struct TMadePage {
  Size picture;      // the stored size of the source picture
  std::string src;   // the page picture
  std::string zoom;  // the zoom copy; the page picture itself when no larger
};

// The page files for page `index` (from 0) of a picture of that size.
TMadePage PlanPage(int index, Size picture);

struct TMadeDocuments {
  std::string project;
  std::string book;
  std::string toc;
};

// The documents of a made book. The page size is the first picture's size; every picture is
// fitted into the page, centred. Raises Error when there is no page.
TMadeDocuments WriteMadeDocuments(std::string_view title, const std::vector<TMadePage>& pages);

// Where the source book's files go, relative to the source folder.
inline constexpr const char* kMadeProjectDocument = "project.xml";
inline constexpr const char* kMadeBookDocument = "book.xml";
inline constexpr const char* kMadeViewerMovie = "book.swf";
inline constexpr const char* kMadeTableOfContents = "res/other/toc.xml";

struct TMakeRequest {
  std::string title;
  std::vector<std::filesystem::path> pictures;  // in page order
  std::filesystem::path player;
  std::filesystem::path output;
  std::string_view viewerMovie;  // the bytes of the viewer movie
};

// Called with the number of pictures done and their count, after each one.
using TMakeProgress = std::function<void(std::size_t done, std::size_t total)>;

// Writes the book executable `request.output`. The source book is built in a hidden folder
// beside the output and deleted at the end; the output appears only when everything worked.
// One picture is decoded at a time. Raises Error naming the picture that cannot be read.
void MakeBook(const TMakeRequest& request, const TMakeProgress& progress);
