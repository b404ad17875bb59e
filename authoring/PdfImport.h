#pragma once
// What `bookstub make` keeps of a PDF beyond its pages' pictures, in the book's terms: the
// words and links of each page in the book's page units, links to pages of the PDF as pages of
// the book, the outline as bookmarks. The PDF itself is read through platform/Pdf.h.

#include <string>
#include <string_view>
#include <vector>

#include "authoring/BookMaker.h"
#include "authoring/SearchText.h"
#include "platform/Pdf.h"
#include "util/Geometry.h"

// The pixel size a PDF page of that size in points is rendered at for its zoom copy: its shape
// fitted into kZoomPictureSide x kZoomPictureSide, enlarged when smaller, at least a pixel a
// side. Its page picture is taken from that rendering.
Size PdfPictureSize(double widthPoints, double heightPoints);

// From a page's points to the book's page units, for a page whose picture lies at `place` on
// the book's page (fitted and centred).
class TPageUnits {
 public:
  TPageUnits(double widthPoints, double heightPoints, const Rect& place);
  // The box in page units, clipped to the page's place; empty (no width or height) when it lies
  // outside it.
  BoxF Box(const BoxF& points) const;
  // The whole page units covering the box, clipped to the place.
  Rect Area(const BoxF& points) const;

 private:
  double xScale_, yScale_;
  Rect place_;
};

// Whether a link address is one the book keeps: http:, https: and mailto: (any letter case);
// a link the viewer would not open (a script, a file, another program) is left out.
bool IsKeptAddress(std::string_view uri);

// The page's words with their boxes in page units; words outside the page's place are left out.
std::vector<TSearchWord> SearchWordsOf(const std::vector<platform::PdfWord>& words,
                                       const TPageUnits& units);

// The page's links as link areas. `firstPage` is the book page (from 1) the PDF's first page
// became. Areas smaller than a page unit and addresses not kept are left out.
std::vector<TMadeLink> LinksOf(const std::vector<platform::PdfLink>& links, const TPageUnits& units,
                               int firstPage);

// The bookmarks of a PDF whose `pageCount` pages start at book page `firstPage`: its outline
// entries with their levels, an entry without a page going where the next entry with one goes
// (else to the PDF's first page); a PDF without an outline gets one entry, `fileTitle`, for its
// first page.
std::vector<TMadeBookmark> BookmarksOf(const std::vector<platform::PdfOutlineEntry>& outline,
                                       int firstPage, std::string_view fileTitle);
