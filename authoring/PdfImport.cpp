#include "authoring/PdfImport.h"

#include <algorithm>
#include <cmath>

#include "util/AsciiCase.h"

Size PdfPictureSize(double widthPoints, double heightPoints) {
  const double scale = kZoomPictureSide / std::max(widthPoints, heightPoints);
  auto side = [&](double points) {
    return static_cast<int>(std::clamp(std::lround(points * scale), 1L, long{kZoomPictureSide}));
  };
  return {side(widthPoints), side(heightPoints)};
}

TPageUnits::TPageUnits(double widthPoints, double heightPoints, const Rect& place)
    : xScale_(place.width / widthPoints), yScale_(place.height / heightPoints), place_(place) {}

BoxF TPageUnits::Box(const BoxF& points) const {
  const double left = std::max<double>(place_.x, place_.x + points.left * xScale_);
  const double top = std::max<double>(place_.y, place_.y + points.top * yScale_);
  const double right =
      std::min<double>(place_.x + place_.width, place_.x + (points.left + points.width) * xScale_);
  const double bottom =
      std::min<double>(place_.y + place_.height, place_.y + (points.top + points.height) * yScale_);
  if (!(right > left && bottom > top)) return {left, top, 0, 0};
  return {left, top, right - left, bottom - top};
}

Rect TPageUnits::Area(const BoxF& points) const {
  const BoxF box = Box(points);
  if (box.width <= 0 || box.height <= 0) return {};
  const int left = static_cast<int>(std::floor(box.left));
  const int top = static_cast<int>(std::floor(box.top));
  const int right = static_cast<int>(std::ceil(box.left + box.width));
  const int bottom = static_cast<int>(std::ceil(box.top + box.height));
  return {left, top, right - left, bottom - top};
}

bool IsKeptAddress(std::string_view uri) {
  const std::string lower = AsciiLowerCase(std::string(uri.substr(0, 8)));
  return lower.starts_with("http://") || lower.starts_with("https://") ||
         lower.starts_with("mailto:");
}

std::vector<TSearchWord> SearchWordsOf(const std::vector<platform::PdfWord>& words,
                                       const TPageUnits& units) {
  std::vector<TSearchWord> kept;
  kept.reserve(words.size());
  for (const platform::PdfWord& word : words) {
    const BoxF box = units.Box(word.box);
    if (box.width <= 0 || box.height <= 0) continue;
    kept.push_back({word.text, box.left, box.top, box.width, box.height});
  }
  return kept;
}

std::vector<TMadeLink> LinksOf(const std::vector<platform::PdfLink>& links, const TPageUnits& units,
                               int firstPage) {
  std::vector<TMadeLink> kept;
  for (const platform::PdfLink& link : links) {
    // Less than a unit either way: nothing anyone could click.
    const BoxF box = units.Box(link.box);
    if (box.width < 1 || box.height < 1) continue;
    const Rect area = units.Area(link.box);
    if (link.page > 0)
      kept.push_back({area, {}, firstPage + link.page - 1});
    else if (IsKeptAddress(link.uri))
      kept.push_back({area, link.uri, 0});
  }
  return kept;
}

std::vector<TMadeBookmark> BookmarksOf(const std::vector<platform::PdfOutlineEntry>& outline,
                                       int firstPage, std::string_view fileTitle) {
  if (outline.empty()) return {{std::string(fileTitle), firstPage, 1}};
  std::vector<TMadeBookmark> bookmarks(outline.size());
  // From the end, so that an entry without a page finds the next one's.
  int next = 0;
  for (std::size_t i = outline.size(); i-- > 0;) {
    const platform::PdfOutlineEntry& entry = outline[i];
    if (entry.page > 0) next = entry.page;
    bookmarks[i] = {entry.title, firstPage + std::max(next, 1) - 1, entry.level};
  }
  return bookmarks;
}
