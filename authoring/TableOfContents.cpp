#include "authoring/TableOfContents.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "package/SplitNames.h"
#include "platform/Xml.h"
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

void WriteAreas(platform::XmlNode node, const TMPage& page) {
  for (int i = 0; i < page.elem->Count(); ++i) {
    const auto* area = dynamic_cast<const TMArea*>(&page.elem->Items(i));
    if (!area || IsBlank(area->url) || area->width < 1 || area->height < 1) continue;
    platform::XmlNode child = node.AddChild("area");
    SetNumber(child, "left", area->left);
    SetNumber(child, "top", area->top);
    SetNumber(child, "width", area->width);
    SetNumber(child, "height", area->height);
    child.SetAttribute("url", area->url);
  }
}

void WritePages(platform::XmlNode toc, const TMBook& book, const TMPages& pages) {
  for (int i = 0; i < pages.Count(); ++i) {
    const TMPage& page = pages.Items(i);
    platform::XmlNode node = toc.AddChild("page");
    if (const auto* picture = PagePicture(page)) WritePicture(node, *picture);
    WriteDerivedImages(node, book, i, page);
    WriteAreas(node, page);
  }
}

void WriteBookmarks(platform::XmlNode toc, const TMBookmarks& bookmarks) {
  for (int i = 0; i < bookmarks.Count(); ++i) {
    const TMBookmark& bookmark = bookmarks.Items(i);
    platform::XmlNode node = toc.AddChild("bookmark");
    node.SetAttribute("title", bookmark.title);
    SetNumber(node, "page", bookmark.page);
  }
}

}  // namespace

std::string WriteTableOfContents(const TMBook& book) {
  platform::XmlDocument document;
  platform::XmlNode toc = document.CreateDocumentElement("toc");
  toc.SetAttribute("version", kFormatVersion);
  toc.SetAttribute("title", book.title);
  SetNumber(toc, "pagewidth", book.pagewidth);
  SetNumber(toc, "pageheight", book.pageheight);
  if (book.Chapters->Count() > 0) {
    const TMPages& pages = *book.Chapters->Items(0).Pages;
    WritePages(toc, book, pages);
    platform::XmlNode chapter = toc.AddChild("chapter");
    chapter.SetAttribute("title", book.title);
    SetNumber(chapter, "page", 1);
  }
  WriteBookmarks(toc, *book.bookmarks);
  return document.SaveToText();
}
