// The table of contents the viewer movie reads: it names exactly the files the split writes, and
// carries the links and bookmarks of the book document through XML escaping intact.

#include "authoring/TableOfContents.h"

#include <gtest/gtest.h>

#include <set>

#include "model/book/MProjects.h"
#include "platform/Xml.h"
#include "tests/package/SplitHarness.h"

namespace {

using namespace splittest;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::PageSpec;

std::string TocOf(const std::string& bookXml) {
  TMBook book;
  book.LoadFromStream(bookXml);
  return WriteTableOfContents(book);
}

std::vector<platform::XmlNode> ChildrenNamed(platform::XmlNode node, const std::string& name) {
  std::vector<platform::XmlNode> found;
  for (const platform::XmlNode& child : node.Children())
    if (child.Name() == name) found.push_back(child);
  return found;
}

std::string Attr(platform::XmlNode node, const char* name) {
  return node.Attribute(name).value_or("<none>");
}

ElementSpec PagePicture(const std::string& name) {
  ElementSpec picture("img", FileSpec(name, testsupport::PictureBytes(50, 70)));
  picture.width = 500;
  picture.height = 700;
  return picture;
}

PageSpec PageWithMobile(const std::string& picture, const std::string& mobilefile1) {
  PageSpec page({PagePicture(picture)});
  page.mobile = FileSpec("res/mobile/source.png", testsupport::PictureBytes(100, 140));
  page.mobilefile1 = mobilefile1;
  page.photoviewthumb = "p.png";
  return page;
}

// The movie finds its pages only if every name in the contents is a file the split wrote, and it
// shows every derived image only if none is left out.
TEST_F(SplitTest, TableOfContentsNamesExactlyTheFilesTheSplitWrites) {
  BookSpec bookSpec;
  bookSpec.pages = {PageWithMobile("res/pages/a.png", "m.jpg"),
                    PageSpec({PagePicture("res\\pages\\b.png")}),
                    PageWithMobile("res/pages/c.png", "noextension"), PageSpec{},
                    PageWithMobile("res/pages/e.png", "m.PNG")};
  const testsupport::BuiltBook built = testsupport::BuildBook(bookSpec);
  built.WriteTo(package_);
  ASSERT_FALSE(RunPackage().error);

  platform::XmlDocument toc;
  toc.LoadFromText(TocOf(built.bookXml));
  std::set<std::string> named;
  const auto pages = ChildrenNamed(toc.DocumentElement(), "page");
  ASSERT_EQ(pages.size(), 5u);
  for (const platform::XmlNode& page : pages) {
    for (const char* attribute : {"src", "mobile", "thumb"}) {
      const auto name = page.Attribute(attribute);
      if (!name) continue;
      EXPECT_TRUE(fs::is_regular_file(Book(*name))) << *name;
      named.insert(*name);
    }
  }
  for (const auto& [file, bytes] : Tree()) {
    const bool derived =
        file.rfind("res/mobile/page", 0) == 0 || file.rfind("res/thumbnails/", 0) == 0;
    if (derived) {
      EXPECT_TRUE(named.contains(file)) << file << " is written but not listed";
    }
  }
  EXPECT_EQ(Attr(pages[1], "src"), "res/pages/b.png");
  EXPECT_EQ(Attr(pages[3], "src"), "<none>");
}

// Which derived images a page lists, by what its document and the book say.
struct DerivedCase {
  const char* label;
  bool mobileImage;
  std::string mobilefile1;
  int pagewidth;
  double thumbscale;
  std::string mobile;
  std::string thumb;
};

void PrintTo(const DerivedCase& c, std::ostream* os) {
  *os << c.label;
}

class DerivedImagesTest : public ::testing::TestWithParam<DerivedCase> {};

TEST_P(DerivedImagesTest, ListsTheCopiesTheSplitCanMake) {
  const DerivedCase& c = GetParam();
  std::string page = "<page mobilefile1=\"" + c.mobilefile1 + "\"";
  if (c.mobileImage) page += " mobilefile2=\"res/mobile/m.png\"";
  page += "><elem><img src=\"res/pages/p.png\"/></elem></page>";
  const std::string firstPage = "<page><elem/></page>";
  const std::string bookXml = "<book pagewidth=\"" + std::to_string(c.pagewidth) +
                              "\" pageheight=\"700\" thumbscale=\"" + std::to_string(c.thumbscale) +
                              "\"><Chapters><chapter><Pages>" + firstPage + page +
                              "</Pages></chapter></Chapters></book>";
  platform::XmlDocument toc;
  toc.LoadFromText(TocOf(bookXml));
  const platform::XmlNode second = ChildrenNamed(toc.DocumentElement(), "page").at(1);
  EXPECT_EQ(Attr(second, "mobile"), c.mobile);
  EXPECT_EQ(Attr(second, "thumb"), c.thumb);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, DerivedImagesTest,
    ::testing::Values(DerivedCase{"mobile_image", true, "x.jpeg", 500, 0.2,
                                  "res/mobile/page0002_i1.jpeg", "res/thumbnails/thumb_1.png"},
                      DerivedCase{"no_mobile_image", false, "x.jpeg", 500, 0.2, "<none>", "<none>"},
                      DerivedCase{"copy_without_picture_extension", true, "x.txt", 500, 0.2,
                                  "res/mobile/m.png", "res/thumbnails/thumb_1.png"},
                      DerivedCase{"no_copy_asked_for", true, "", 500, 0.2, "res/mobile/m.png",
                                  "res/thumbnails/thumb_1.png"},
                      DerivedCase{"no_page_width", true, "x.png", 0, 0.2,
                                  "res/mobile/page0002_i1.png", "<none>"},
                      DerivedCase{"thumbnail_rounds_to_nothing", true, "x.png", 500, 0.0009,
                                  "res/mobile/page0002_i1.png", "<none>"}),
    [](const auto& info) { return std::string(info.param.label); });

// Links and titles come from the author: markup in them must arrive as text, and an area
// without a link or without a size is not clickable.
TEST(TableOfContentsTest, CarriesLinksAndBookmarksAsText) {
  const std::string bookXml =
      "<book title=\"Tom &amp; &quot;Jerry&quot;\"><bookmarks>"
      "<bookmark title=\"&lt;b&gt;Intro&lt;/b&gt;\" page=\"3\"/><bookmark/></bookmarks>"
      "<Chapters><chapter><Pages><page><elem>"
      "<img src=\"res/pages/p.png\" left=\"5\" top=\"6\" width=\"490\" height=\"690\"/>"
      "<area left=\"10\" top=\"20\" width=\"30\" height=\"40\" "
      "url=\"https://example.org/?a=1&amp;b=&quot;2&quot;\"/>"
      "<area left=\"1\" top=\"1\" width=\"30\" height=\"40\"/>"
      "<area left=\"1\" top=\"1\" width=\"0\" height=\"40\" url=\"https://example.org/\"/>"
      "</elem></page></Pages></chapter></Chapters></book>";
  platform::XmlDocument toc;
  toc.LoadFromText(TocOf(bookXml));
  const platform::XmlNode root = toc.DocumentElement();
  EXPECT_EQ(Attr(root, "title"), "Tom & \"Jerry\"");
  const platform::XmlNode page = ChildrenNamed(root, "page").at(0);
  EXPECT_EQ(Attr(page, "left") + "," + Attr(page, "top") + "," + Attr(page, "width") + "," +
                Attr(page, "height"),
            "5,6,490,690");
  const auto areas = ChildrenNamed(page, "area");
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(Attr(areas[0], "url"), "https://example.org/?a=1&b=\"2\"");
  EXPECT_EQ(Attr(areas[0], "left") + "," + Attr(areas[0], "top") + "," + Attr(areas[0], "width") +
                "," + Attr(areas[0], "height"),
            "10,20,30,40");
  const auto bookmarks = ChildrenNamed(root, "bookmark");
  ASSERT_EQ(bookmarks.size(), 2u);
  EXPECT_EQ(Attr(bookmarks[0], "title"), "<b>Intro</b>");
  EXPECT_EQ(Attr(bookmarks[0], "page"), "3");
  EXPECT_EQ(Attr(bookmarks[1], "page"), "1");
}

TEST(TableOfContentsTest, BookWithoutChaptersHasNoPagesButKeepsItsBookmarks) {
  platform::XmlDocument toc;
  toc.LoadFromText(TocOf("<book><bookmarks><bookmark title=\"x\"/></bookmarks></book>"));
  EXPECT_TRUE(ChildrenNamed(toc.DocumentElement(), "page").empty());
  EXPECT_TRUE(ChildrenNamed(toc.DocumentElement(), "chapter").empty());
  EXPECT_EQ(ChildrenNamed(toc.DocumentElement(), "bookmark").size(), 1u);
}

// What the viewer needs beyond pictures: the files the split writes for search and downloads
// (downloads only where the settings offer the button), the reading direction, and every kind of
// link, to the web, to a mail address or to a page.
TEST(TableOfContentsTest, CarriesSearchDownloadsDirectionAndPageLinks) {
  const std::string bookXml =
      "<book ltr=\"false\" searchindex=\"search\\index.xml\" download=\"doc\\all.pdf\">"
      "<bookmarks><bookmark title=\"a\" page=\"1\"/><bookmark title=\"b\" page=\"2\"/>"
      "</bookmarks><Chapters><chapter><Pages>"
      "<page searchtxt=\"res\\text\\p1.xml\" download=\"x\\p1.PDF\"><elem>"
      "<area left=\"1\" top=\"2\" width=\"3\" height=\"4\" linktype=\"Page\" page=\"5\"/>"
      "<area left=\"1\" top=\"2\" width=\"3\" height=\"4\" linktype=\"page\" page=\"0\"/>"
      "<txt left=\"5\" top=\"6\" width=\"7\" height=\"8\" linktype=\"email\" "
      "email=\"a@example.org\"/>"
      "<txt left=\"5\" top=\"6\" width=\"7\" height=\"8\" linktype=\"url\" "
      "url=\"https://example.org/\"/>"
      "</elem><links><link x=\"9\" y=\"9\" width=\"9\" height=\"9\" page=\"3\"/>"
      "<link x=\"9\" y=\"9\" width=\"9\" height=\"9\" page=\"x\"><urls><url src=\"\"/>"
      "<url src=\"https://example.org/l\"/></urls></link></links></page>"
      "<page/></Pages></chapter></Chapters></book>";
  TMBook book;
  book.LoadFromStream(bookXml);
  TTocExtras extras;
  extras.downloads = true;
  extras.search = false;
  extras.pageLabels = {"iv"};
  extras.bookmarkLevels = {1, 2};
  platform::XmlDocument toc;
  toc.LoadFromText(WriteTableOfContents(book, extras));
  const platform::XmlNode root = toc.DocumentElement();
  EXPECT_EQ(Attr(root, "ltr"), "false");
  EXPECT_EQ(Attr(root, "searchindex"), "res/other/index.xml");
  EXPECT_EQ(Attr(root, "search"), "false");
  EXPECT_EQ(Attr(root, "download"), "res/downloads/all.pdf");
  const auto pages = ChildrenNamed(root, "page");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Attr(pages[0], "searchtxt"), "res/text/p1.xml");
  EXPECT_EQ(Attr(pages[0], "download"), "res/downloads/page_0000.PDF");
  EXPECT_EQ(Attr(pages[0], "label"), "iv");
  EXPECT_EQ(Attr(pages[1], "label"), "<none>");
  std::vector<std::string> targets;
  for (const platform::XmlNode& area : ChildrenNamed(pages[0], "area"))
    targets.push_back(Attr(area, "page") + " " + Attr(area, "url"));
  EXPECT_EQ(targets, (std::vector<std::string>{"5 <none>", "<none> mailto:a@example.org",
                                               "<none> https://example.org/", "3 <none>",
                                               "<none> https://example.org/l"}));
  const auto bookmarks = ChildrenNamed(root, "bookmark");
  EXPECT_EQ(Attr(bookmarks[0], "level"), "<none>");
  EXPECT_EQ(Attr(bookmarks[1], "level"), "2");

  platform::XmlDocument plain;
  plain.LoadFromText(WriteTableOfContents(book));
  EXPECT_EQ(Attr(plain.DocumentElement(), "download"), "<none>");
  EXPECT_EQ(Attr(plain.DocumentElement(), "search"), "<none>");
  EXPECT_EQ(Attr(ChildrenNamed(plain.DocumentElement(), "page")[0], "download"), "<none>");
}

}  // namespace
