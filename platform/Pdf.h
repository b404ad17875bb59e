#pragma once
// Reading PDF documents as `bookstub make` uses them: the pages with their size, label, words
// with their boxes and links, the outline, and each page rendered to pixels. Implemented over
// poppler in platform/poppler/; only the authoring tool links it.
//
//   auto document = platform::OpenPdf(file);
//   for (int i = 0; i < document->PageCount(); ++i) {
//     auto page = document->Page(i);
//     platform::RgbPixels pixels = page->Render(width, height);
//     ...
//   }
//
// Every document is hostile: a failure raises Error, and what a document may make the reader
// hold is bounded (pixels by kMaxPicturePixels, the outline by the limits below). Boxes are in
// points (1/72 inch) from the top-left corner of the page as it is shown, after the page's own
// rotation, whatever the document's coordinate system.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Image.h"
#include "util/BoxedText.h"
#include "util/Geometry.h"

namespace platform {

using PdfWord = TBoxedWord;

struct PdfLink {
  BoxF box;
  std::string uri;  // the address of a link that leaves the document; empty for a page
  int page = 0;     // the page a link inside the document shows, from 1; 0 for an address
  friend bool operator==(const PdfLink&, const PdfLink&) = default;
};

struct PdfOutlineEntry {
  std::string title;  // UTF-8
  int page = 0;       // from 1; 0 when the entry shows no page of the document
  int level = 1;      // 1 for a top entry, 2 for its children, ...
  friend bool operator==(const PdfOutlineEntry&, const PdfOutlineEntry&) = default;
};

// An outline is read down to this level and up to this many entries; deeper and later entries
// are left out, so that a hostile outline (a chain 10,000 levels deep, a loop) stays small.
inline constexpr int kMaxPdfOutlineLevel = 8;
inline constexpr int kMaxPdfOutlineEntries = 10'000;
// The most links and words taken from one page.
inline constexpr int kMaxPdfPageLinks = 10'000;
inline constexpr int kMaxPdfPageWords = 200'000;

class PdfPage {
 public:
  virtual ~PdfPage() = default;
  // The page's size in points as it is shown (width and height swapped by a quarter turn);
  // always positive and finite.
  virtual double Width() const = 0;
  virtual double Height() const = 0;
  // The page label the document gives the page ("iv", "A-1"); empty when the document gives
  // none, or only the page number itself.
  virtual std::string Label() const = 0;
  // The words in reading order. A page without text (a scan) has none.
  virtual std::vector<PdfWord> Words() const = 0;
  // Links to addresses (URI actions, whatever their scheme) and to pages of this document, in
  // the document's order; other actions (scripts, files, forms) are left out, as are links to
  // pages the document lacks.
  virtual std::vector<PdfLink> Links() const = 0;
  // The page on white paper, stretched to exactly width x height pixels. Raises Error for a size
  // below 1 pixel, over kMaxPicturePixels or over 32767 pixels a side.
  virtual RgbPixels Render(int width, int height) const = 0;
};

class PdfDocument {
 public:
  virtual ~PdfDocument() = default;
  virtual int PageCount() const = 0;
  // The page at `index` (from 0). Raises Error when it cannot be read; errors about a page do
  // not name it (the caller knows which it asked for).
  virtual std::unique_ptr<PdfPage> Page(int index) const = 0;
  // The outline (bookmarks) in document order, within the limits above; empty when there is
  // none.
  virtual std::vector<PdfOutlineEntry> Outline() const = 0;
};

// Whether the bytes at the start of a file are those of a PDF ("%PDF-" within the first 1024).
bool LooksLikePdf(std::string_view start);

// Opens a PDF. A file that is not a PDF, is damaged beyond repair, has no pages or needs a
// password raises Error with a message that says which.
std::unique_ptr<PdfDocument> OpenPdf(const std::filesystem::path& file);
// The same for a PDF in memory (the document keeps a copy of the bytes).
std::unique_ptr<PdfDocument> OpenPdfFromBytes(std::string_view bytes);

}  // namespace platform
