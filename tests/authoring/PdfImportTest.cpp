// What a made book keeps of a PDF's page: boxes moved into page units, the links the viewer may
// follow, the outline as bookmarks.

#include "authoring/PdfImport.h"

#include <gtest/gtest.h>

#include "authoring/BookMaker.h"

namespace {

TEST(PdfPictureSize, FitsTheLongSideToTheZoomSizeWhateverThePageSize) {
  EXPECT_EQ(PdfPictureSize(595, 842), (Size{1696, kZoomPictureSide}));
  EXPECT_EQ(PdfPictureSize(842, 595), (Size{kZoomPictureSide, 1696}));
  // A small page is enlarged: its text stays sharp when zoomed into.
  EXPECT_EQ(PdfPictureSize(100, 50), (Size{kZoomPictureSide, 1200}));
  // A sliver keeps a pixel; a huge page is as large as any other.
  EXPECT_EQ(PdfPictureSize(1e6, 1), (Size{kZoomPictureSide, 1}));
  EXPECT_EQ(PdfPictureSize(1e-6, 1e-3), (Size{2, kZoomPictureSide}));
  EXPECT_EQ(PdfPictureSize(1e300, 1e300), (Size{kZoomPictureSide, kZoomPictureSide}));
}

TEST(PageUnits, MoveBoxesOntoThePagesPlaceAndClipThem) {
  // A 200 x 100 point page shown at (10, 20) over 400 x 200 units.
  const TPageUnits units(200, 100, {10, 20, 400, 200});
  EXPECT_EQ(units.Box({50, 25, 10, 5}), (BoxF{110, 70, 20, 10}));
  EXPECT_EQ(units.Area({50.2, 25.1, 10, 5}), (Rect{110, 70, 21, 11}));
  // Across the edge: clipped to the place.
  EXPECT_EQ(units.Box({190, -10, 20, 20}), (BoxF{390, 20, 20, 20}));
  // Outside: nothing.
  EXPECT_EQ(units.Box({300, 10, 5, 5}).width, 0);
  EXPECT_EQ(units.Area({-50, 10, 20, 5}), Rect{});

  // Stretched differently in each direction, as a page fitted to the pixel grid may be.
  const TPageUnits stretched(100, 100, {0, 0, 300, 150});
  EXPECT_EQ(stretched.Box({10, 10, 10, 10}), (BoxF{30, 15, 30, 15}));
}

TEST(PdfPageContent, KeepsWordsAndFollowableLinksInPageUnits) {
  const TPageUnits units(100, 100, {0, 0, 200, 200});
  const std::vector<platform::PdfWord> words = {
      {"Hello,", {10, 10, 20, 5}}, {"outside", {150, 10, 20, 5}}, {"world", {40, 10, 20, 5}}};
  const auto kept = SearchWordsOf(words, units);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].text, "Hello,");
  EXPECT_EQ(kept[0].left, 20);
  EXPECT_EQ(kept[0].width, 40);
  EXPECT_EQ(kept[1].text, "world");

  const std::vector<platform::PdfLink> links = {
      {{10, 10, 10, 10}, "https://example.org/", 0},
      {{10, 30, 10, 10}, "", 2},
      {{10, 50, 10, 10}, "MAILTO:someone@example.org", 0},
      {{10, 70, 10, 10}, "javascript:alert(1)", 0},
      {{10, 70, 10, 10}, "file:///etc/passwd", 0},
      {{10, 70, 10, 10}, "http:", 0},
      {{10, 90, 0.1, 0.1}, "https://example.org/tiny", 0},
      {{500, 90, 10, 10}, "https://example.org/off-page", 0},
  };
  // The PDF's first page is page 5 of the book: its page 2 is page 6.
  EXPECT_EQ(LinksOf(links, units, 5),
            (std::vector<TMadeLink>{{{20, 20, 20, 20}, "https://example.org/", 0},
                                    {{20, 60, 20, 20}, "", 6},
                                    {{20, 100, 20, 20}, "MAILTO:someone@example.org", 0}}));
}

TEST(PdfBookmarks, FollowTheOutlineOrNameTheFile) {
  using Entry = platform::PdfOutlineEntry;
  // The PDF starts at book page 3.
  EXPECT_EQ(
      BookmarksOf({{"Intro", 1, 1}, {"Part", 0, 1}, {"Chapter", 4, 2}, {"End", 0, 1}}, 3, "manual"),
      (std::vector<TMadeBookmark>{
          {"Intro", 3, 1}, {"Part", 6, 1}, {"Chapter", 6, 2}, {"End", 3, 1}}));
  EXPECT_EQ(BookmarksOf(std::vector<Entry>{}, 3, "manual"),
            (std::vector<TMadeBookmark>{{"manual", 3, 1}}));
}

}  // namespace
