#include "authoring/TableOfContents.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "platform/Xml.h"
#include "util/Error.h"
#include "util/Geometry.h"
#include "util/ZanUtils.h"

namespace {

constexpr const char* kFormatVersion = "1";

// Document names may use "\"; the movie requests files by URL.
std::string UrlPath(std::string_view name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

void SetNumber(platform::XmlNode node, std::string_view name, long long value) {
  node.SetAttribute(name, std::to_string(value));
}

// The page picture: the page's first element when it is a file element with a file name.
const TBasicVisualPageFileElement* PagePicture(const TMPage& page) {
  if (page.elem->Count() == 0) return nullptr;
  const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&page.elem->Items(0));
  return file && !IsBlank(file->src()) ? file : nullptr;
}

void WritePicture(platform::XmlNode node, const TBasicVisualPageFileElement& picture) {
  node.SetAttribute("src", UrlPath(picture.src()));
  if (picture.width < 1 || picture.height < 1) return;
  SetNumber(node, "left", picture.left);
  SetNumber(node, "top", picture.top);
  SetNumber(node, "width", picture.width);
  SetNumber(node, "height", picture.height);
}

void WriteDerivedImages(platform::XmlNode node, const TMBook& book, int index, const TMPage& page) {
  if (IsBlank(page.mobilefile2)) return;
  // The copy the split makes, or, for a page whose document asks for none, the mobile image the
  // split writes as it is (books made by `bookstub make` keep their zoom pictures there).
  if (HasPictureExtension(page.mobilefile1))
    node.SetAttribute("mobile", MobileCopyName(index, page.mobilefile1));
  else if (HasPictureExtension(page.mobilefile2))
    node.SetAttribute("mobile", UrlPath(page.mobilefile2));
  if (RoundHalfEven(book.pagewidth * book.thumbscale) >= 1 &&
      RoundHalfEven(book.pageheight * book.thumbscale) >= 1)
    node.SetAttribute("thumb", PageThumbnailName(index));
}

// Where a click leads: a web or mail address, or a page of the book (from 1).
struct TLinkTarget {
  std::string url;
  int page = 0;
};

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool IsLinkType(std::string_view linktype, std::string_view name) {
  const std::string type = Trimmed(linktype);
  return std::equal(type.begin(), type.end(), name.begin(), name.end(),
                    [](char a, char b) { return (a | 0x20) == b; });
}

std::optional<TLinkTarget> LinkOf(const TMBaseInteractive& element) {
  if (IsLinkType(element.linktype, "page")) {
    if (element.page < 1) return std::nullopt;
    return TLinkTarget{{}, element.page};
  }
  if (IsLinkType(element.linktype, "none")) return std::nullopt;
  if (!IsBlank(element.url)) return TLinkTarget{element.url, 0};
  if (!IsBlank(element.email)) return TLinkTarget{"mailto:" + Trimmed(element.email), 0};
  return std::nullopt;
}

std::optional<TLinkTarget> LinkOf(const TMLink& link) {
  const std::string page = Trimmed(link.page);
  int number = 0;
  const auto [end, error] = std::from_chars(page.data(), page.data() + page.size(), number);
  if (!page.empty() && error == std::errc() && end == page.data() + page.size() && number >= 1)
    return TLinkTarget{{}, number};
  for (int i = 0; i < link.urls->Count(); ++i)
    if (!IsBlank(link.urls->Items(i).src)) return TLinkTarget{link.urls->Items(i).src, 0};
  return std::nullopt;
}

void WriteArea(platform::XmlNode page, const Rect& place, const TLinkTarget& target) {
  if (place.width < 1 || place.height < 1) return;
  platform::XmlNode child = page.AddChild("area");
  SetNumber(child, "left", place.x);
  SetNumber(child, "top", place.y);
  SetNumber(child, "width", place.width);
  SetNumber(child, "height", place.height);
  if (target.page > 0)
    SetNumber(child, "page", target.page);
  else
    child.SetAttribute("url", target.url);
}

void WriteAreas(platform::XmlNode node, const TMPage& page) {
  for (int i = 0; i < page.elem->Count(); ++i) {
    const auto* element = dynamic_cast<const TMBaseInteractive*>(&page.elem->Items(i));
    if (!element) continue;
    if (const auto target = LinkOf(*element))
      WriteArea(node, {element->left, element->top, element->width, element->height}, *target);
  }
  for (int i = 0; i < page.links->Count(); ++i) {
    const TMLink& link = page.links->Items(i);
    if (const auto target = LinkOf(link))
      WriteArea(node, {link.x, link.y, link.width, link.height}, *target);
  }
}

// The split writes the page's search text at the name its document gives, and the download
// under a name of its own.
void WritePageFiles(platform::XmlNode node, int index, const TMPage& page,
                    const TTocExtras& extras) {
  if (!IsBlank(page.searchtxt)) node.SetAttribute("searchtxt", UrlPath(page.searchtxt));
  if (extras.downloads && !IsBlank(page.download))
    node.SetAttribute("download", std::string(kDownloadsFolder) + "page_" + N4(index) +
                                      FileExtension(page.download));
  if (static_cast<std::size_t>(index) < extras.pageLabels.size() &&
      !extras.pageLabels[index].empty())
    node.SetAttribute("label", extras.pageLabels[index]);
}

void WritePage(platform::XmlNode node, const TMBook& book, int index, const TMPage& page,
               const TTocExtras& extras) {
  if (const auto* picture = PagePicture(page)) WritePicture(node, *picture);
  WriteDerivedImages(node, book, index, page);
  WritePageFiles(node, index, page, extras);
  WriteAreas(node, page);
}

void WriteBookmarks(platform::XmlNode toc, const TMBookmarks& bookmarks,
                    const std::vector<int>& levels) {
  for (int i = 0; i < bookmarks.Count(); ++i) {
    const TMBookmark& bookmark = bookmarks.Items(i);
    platform::XmlNode node = toc.AddChild("bookmark");
    node.SetAttribute("title", bookmark.title);
    SetNumber(node, "page", bookmark.page);
    if (static_cast<std::size_t>(i) < levels.size() && levels[i] > 1)
      SetNumber(node, "level", levels[i]);
  }
}

// The book's own files: the split writes them under res/other/ and res/downloads/ by the file
// name part of the document's name.
void WriteBookFiles(platform::XmlNode toc, const TMBook& book, const TTocExtras& extras) {
  if (!book.ltr) toc.SetAttribute("ltr", "false");
  if (!IsBlank(book.searchindex))
    toc.SetAttribute("searchindex", kOtherFolder + FileNamePart(book.searchindex));
  if (!extras.search) toc.SetAttribute("search", "false");
  if (extras.downloads && !IsBlank(book.download))
    toc.SetAttribute("download", kDownloadsFolder + FileNamePart(book.download));
}

}  // namespace

TTocExtras TocExtrasOf(const TLMProject& project) {
  TTocExtras extras;
  extras.downloads = project.navbtn->download;
  extras.search = project.navbtn->search || project.navbtn->searchbox;
  return extras;
}

namespace {

// The document with the placeholder where the first chapter's pages go.
std::string WriteTocAroundPages(const TMBook& book, const TTocExtras& extras) {
  platform::XmlDocument document;
  platform::XmlNode toc = document.CreateDocumentElement("toc");
  toc.SetAttribute("version", kFormatVersion);
  toc.SetAttribute("title", book.title);
  SetNumber(toc, "pagewidth", book.pagewidth);
  SetNumber(toc, "pageheight", book.pageheight);
  WriteBookFiles(toc, book, extras);
  if (book.Chapters->Count() > 0) {
    toc.AddChild(kListPlaceholder);
    platform::XmlNode chapter = toc.AddChild("chapter");
    chapter.SetAttribute("title", book.title);
    SetNumber(chapter, "page", 1);
  }
  WriteBookmarks(toc, *book.bookmarks, extras.bookmarkLevels);
  return document.SaveToText();
}

}  // namespace

std::string WriteTableOfContents(const TMBook& book, const TTocExtras& extras) {
  if (book.Chapters->Count() == 0) return WriteTocAroundPages(book, extras);
  const TMPages& pages = *book.Chapters->Items(0).Pages;
  std::ostringstream out;
  WriteTableOfContents(book, extras,
                       {static_cast<std::size_t>(pages.Count()),
                        [&](std::size_t i) -> TMPage& { return pages.Items(static_cast<int>(i)); }},
                       out);
  return std::move(out).str();
}

// The placeholder stands beside the chapter element: the document is the same with no page.
void WriteTableOfContents(const TMBook& book, const TTocExtras& extras, const TPageSequence& pages,
                          std::ostream& out) {
  if (book.Chapters->Count() == 0) throw Error("A table of contents of pages needs a chapter");
  const TListedDocument document(WriteTocAroundPages(book, extras));
  out << document.Before();
  for (std::size_t i = 0; i < pages.count; ++i) {
    const TMPage& page = pages.page(i);
    out << ListItemText(document.Depth(), [&](platform::XmlNode parent) {
      WritePage(parent.AddChild("page"), book, static_cast<int>(i), page, extras);
    });
  }
  out << document.After();
  if (!out) throw Error("Cannot write the table of contents");
}
