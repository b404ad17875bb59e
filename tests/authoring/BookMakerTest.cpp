// `bookstub make` in the core: which pictures and PDFs a folder gives and in what order, the
// documents written for them, and a made book split as the player splits it: a PDF's pages with
// their words, links, labels and outline; a picture or PDF that cannot be read leaves nothing
// behind.

#include "authoring/BookMaker.h"

#include <gtest/gtest.h>

#include <regex>

#include "authoring/AddressedDocuments.h"
#include "authoring/Authoring.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "platform/Image.h"
#include "platform/Xml.h"
#include "tests/package/SplitHarness.h"
#include "tests/support/pdf/TestPdf.h"
#include "util/ZanUtils.h"

namespace {

using namespace splittest;

class PictureFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-make-" + platform::NewGuid());
    fs::create_directories(dir_);
  }
  void TearDown() override { DeleteFolderTree(dir_); }

  fs::path Touch(const std::string& name) const {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name) << "x";
    return dir_ / name;
  }

  std::vector<std::string> Names(const std::vector<fs::path>& pictures) const {
    std::vector<std::string> names;
    for (const fs::path& picture : pictures) names.push_back(fs::relative(picture, dir_).string());
    return names;
  }

  fs::path dir_;
};

// A scanner's folder: pages in natural order, and nothing that is not a picture page (hidden
// files, notes, sub-folders).
TEST_F(PictureFolderTest, AFolderGivesItsPicturesInNaturalOrder) {
  for (const char* name :
       {"scans/page10.png", "scans/page2.JPG", "scans/Page1.gif", "scans/page3.tiff",
        "scans/page4.bmp", "scans/.page0.png", "scans/notes.txt", "scans/sub.png/page9.png",
        "scans/page5.PDF", "scans/.page6.pdf", "back.jpeg"})
    Touch(name);
  const auto pictures = ListSources({dir_ / "back.jpeg", dir_ / "scans", dir_ / "back.jpeg"});
  EXPECT_EQ(Names(pictures),
            (std::vector<std::string>{"back.jpeg", "scans/Page1.gif", "scans/page2.JPG",
                                      "scans/page3.tiff", "scans/page4.bmp", "scans/page5.PDF",
                                      "scans/page10.png", "back.jpeg"}));
}

TEST_F(PictureFolderTest, NamesWithoutPicturesAreRefusedByName) {
  Touch("empty/notes.txt");
  for (const fs::path& name : {dir_ / "empty", dir_ / "missing.png"}) {
    try {
      ListSources({name});
      ADD_FAILURE() << name << " was accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(name.string()), std::string::npos) << e.what();
    }
  }
}

// The text a document saves to when it is built whole.
std::string SavedWhole(const std::string& text) {
  platform::XmlDocument document;
  document.LoadFromText(std::regex_replace(text, std::regex(">\\s+<"), "><"));
  return document.SaveToText();
}

std::vector<platform::XmlNode> ChildrenNamed(platform::XmlNode node, const std::string& name) {
  std::vector<platform::XmlNode> found;
  for (const platform::XmlNode& child : node.Children())
    if (child.Name() == name) found.push_back(child);
  return found;
}

// The page takes the first picture's size; a picture of another shape sits centred in it; small
// pictures need no zoom copy; the thumbnails come out small whatever the page size.
// The documents are written a page at a time, yet they are the very text the whole document
// saves to: a line feed or an indent out of place would show.
TEST(MadeDocumentsTest, PageSizeFromTheFirstPictureAndEachPictureFittedIntoIt) {
  std::vector<TMadePage> pages = {PlanPage(0, {2500, 3500}), PlanPage(1, {3500, 2500}),
                                  PlanPage(2, {600, 800})};
  pages[1].label = "ii";
  pages[1].links = {{{10, 20, 30, 40}, "https://example.org/", 0}, {{1, 2, 3, 4}, "", 3}};
  const TMadeDocuments documents =
      WriteMadeDocuments("Tom & <Jerry>", pages, {{"Start", 1, 1}, {"Inside", 2, 2}});
  EXPECT_EQ(documents.book, SavedWhole(documents.book));
  EXPECT_EQ(documents.toc, SavedWhole(documents.toc));

  const auto book = LoadBookDocument(documents.book, "book");
  EXPECT_EQ(book->title, "Tom & <Jerry>");
  EXPECT_EQ(book->pagewidth, 2500);
  EXPECT_EQ(book->pageheight, 3500);
  EXPECT_EQ(RoundHalfEven(book->pageheight * book->thumbscale), kThumbnailSide);
  const TMPages& made = *book->Chapters->Items(0).Pages;
  ASSERT_EQ(made.Count(), 3);
  const auto& landscape = made.Items(1).elem->Items(0);
  EXPECT_EQ(std::vector<int>({landscape.left, landscape.top, landscape.width, landscape.height}),
            std::vector<int>({0, 857, 2500, 1786}));
  EXPECT_EQ(made.Items(0).mobilefile2, "res/mobile/page_0001.jpg");
  EXPECT_EQ(made.Items(2).mobilefile2, "res/pages/page_0003.jpg");
  EXPECT_EQ(dynamic_cast<const TMImg&>(made.Items(2).elem->Items(0)).src(),
            "res/pages/page_0003.jpg");

  const auto project = LoadProjectDocument(documents.project, "project");
  EXPECT_EQ(project->exetitle, "Tom & <Jerry>");
  EXPECT_EQ(project->preloader->filename, kMadeViewerMovie);
  EXPECT_EQ(project->toc->filename, kMadeTableOfContents);

  platform::XmlDocument toc;
  toc.LoadFromText(documents.toc);
  const auto tocPages = ChildrenNamed(toc.DocumentElement(), "page");
  ASSERT_EQ(tocPages.size(), 3u);
  EXPECT_EQ(tocPages[0].Attribute("mobile").value_or(""), "res/mobile/page_0001.jpg");
  EXPECT_EQ(tocPages[0].Attribute("thumb").value_or(""), "res/thumbnails/thumb_0.png");
}

void SavePicture(const fs::path& file, int width, int height) {
  auto canvas = platform::CreateCanvas(width, height);
  canvas->SaveToFile(file);
}

class MakeBookTest : public SplitTest {
 protected:
  TMakeRequest Request(const std::vector<fs::path>& pictures) {
    std::ofstream(root_ / "stub", std::ios::binary) << "STUB";
    TMakeRequest request;
    request.title = "Made";
    request.sources = pictures;
    request.player = root_ / "stub";
    request.output = package_;
    request.viewerMovie = "MOVIE";
    return request;
  }

  fs::path Picture(const std::string& name, int width, int height) {
    fs::create_directories(root_ / "pictures");
    SavePicture(root_ / "pictures" / name, width, height);
    return root_ / "pictures" / name;
  }

  // Hidden entries beside the output: the scratch folder and the package being written.
  std::vector<std::string> LeftBesideTheOutput() const {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(root_))
      if (entry.path().filename().string().starts_with(".")) left.push_back(entry.path());
    return left;
  }
};

TEST_F(MakeBookTest, AMadeBookSplitsIntoItsPagesThumbnailsAndContents) {
  const std::vector<fs::path> pictures = {Picture("a.png", 300, 400), Picture("b.bmp", 320, 400),
                                          Picture("c.gif", 1300, 1820)};
  std::vector<std::size_t> progress;
  MakeBook(Request(pictures), [&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 3u);
    progress.push_back(done);
  });
  EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_TRUE(LeftBesideTheOutput().empty());

  ASSERT_FALSE(RunPackage().error);
  const auto tree = Tree();
  EXPECT_EQ(tree.at("book.swf"), "MOVIE");
  EXPECT_TRUE(tree.contains("res/other/toc.xml"));
  const std::vector<std::pair<std::string, Size>> sizes = {
      {"res/pages/page_0001.jpg", {300, 400}},   {"res/pages/page_0002.jpg", {320, 400}},
      {"res/pages/page_0003.jpg", {857, 1200}},  {"res/mobile/page_0003.jpg", {1300, 1820}},
      {"res/thumbnails/thumb_0.png", {96, 128}}, {"res/thumbnails/thumb_2.png", {96, 128}}};
  for (const auto& [name, size] : sizes) {
    ASSERT_TRUE(tree.contains(name)) << name;
    const Size stored = platform::ReadImageSize(Book(name));
    EXPECT_EQ(stored.width, size.width) << name;
    EXPECT_EQ(stored.height, size.height) << name;
  }
}

TEST_F(MakeBookTest, APictureThatCannotBeReadIsNamedAndNothingIsWritten) {
  const fs::path broken = root_ / "pictures" / "broken.png";
  const std::vector<fs::path> pictures = {Picture("a.png", 30, 40), broken,
                                          Picture("c.png", 30, 40)};
  std::ofstream(broken) << "not a picture";
  try {
    MakeBook(Request(pictures), nullptr);
    ADD_FAILURE() << "made a book";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(broken.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(package_));
  EXPECT_TRUE(LeftBesideTheOutput().empty());
}

// A PDF whose second page's object is missing: the document opens and counts two pages.
std::string PdfWithAMissingPage() {
  using testsupport::Ref;
  testsupport::RawPdf pdf;
  const int catalog = pdf.Add("");
  const int pages = pdf.Add("");
  const int page = pdf.Add("<< /Type /Page /Parent " + Ref(pages) + " >>");
  pdf.Set(pages, "<< /Type /Pages /MediaBox [0 0 200 200] /Kids [" + Ref(page) + " " +
                     Ref(page + 1) + "] /Count 2 >>");
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " >>");
  return pdf.Bytes(catalog);
}

class MakeFromPdfTest : public MakeBookTest {
 protected:
  fs::path Pdf(const std::string& name, const std::string& bytes) {
    fs::create_directories(root_ / "pdfs");
    std::ofstream(root_ / "pdfs" / name, std::ios::binary) << bytes;
    return root_ / "pdfs" / name;
  }

  platform::XmlNode Load(platform::XmlDocument& document, const std::string& name) {
    document.LoadFromText(ReadFile(Book(name)));
    return document.DocumentElement();
  }
};

std::string Attribute(const platform::XmlNode& node, const std::string& name) {
  return node.Attribute(name).value_or("(none)");
}

double Number(const platform::XmlNode& node, const std::string& name) {
  return std::stod(node.Attribute(name).value_or("nan"));
}

// The standard test PDF (three pages: A4 portrait twice, then landscape; labels i, ii, 1; a web
// link, links to pages; a three-entry outline), a picture, and a PDF of two pages without text,
// labels or outline.
TEST_F(MakeFromPdfTest, APdfsPagesKeepTheirWordsLinksLabelsAndOutline) {
  const std::vector<fs::path> sources = {Pdf("standard.pdf", testsupport::StandardTestPdf()),
                                         Picture("a.png", 300, 400),
                                         Pdf("appendix.pdf", testsupport::ManyPagesPdf(2))};
  std::vector<std::size_t> progress;
  const std::size_t made = MakeBook(Request(sources), [&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 6u);
    progress.push_back(done);
  });
  EXPECT_EQ(made, 6u);
  EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6}));
  ASSERT_FALSE(RunPackage().error);

  // A4 rendered 2400 high: the book's page is 1696 x 2400; the landscape page lies across it.
  const std::vector<std::pair<std::string, Size>> sizes = {
      {"res/mobile/page_0001.jpg", {1696, 2400}}, {"res/pages/page_0001.jpg", {848, 1200}},
      {"res/mobile/page_0003.jpg", {2400, 1696}}, {"res/pages/page_0003.jpg", {1200, 848}},
      {"res/pages/page_0004.jpg", {300, 400}},    {"res/mobile/page_0005.jpg", {2400, 2400}}};
  for (const auto& [name, size] : sizes)
    EXPECT_EQ(platform::ReadImageSize(Book(name)), size) << name;

  platform::XmlDocument tocDocument;
  const platform::XmlNode toc = Load(tocDocument, "res/other/toc.xml");
  EXPECT_EQ(Attribute(toc, "pagewidth"), "1696");
  EXPECT_EQ(Attribute(toc, "pageheight"), "2400");
  EXPECT_EQ(Attribute(toc, "searchindex"), "res/other/search.xml");
  const auto pages = ChildrenNamed(toc, "page");
  ASSERT_EQ(pages.size(), 6u);
  std::vector<std::string> labels, texts;
  for (const auto& page : pages) {
    labels.push_back(Attribute(page, "label"));
    texts.push_back(Attribute(page, "searchtxt"));
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"i", "ii", "1", "(none)", "(none)", "(none)"}));
  EXPECT_EQ(texts,
            (std::vector<std::string>{"res/pages/page_0001.xml", "res/pages/page_0002.xml",
                                      "res/pages/page_0003.xml", "(none)", "(none)", "(none)"}));
  // The landscape page sits centred on the portrait book page.
  EXPECT_EQ(Attribute(pages[2], "top"), "600");
  EXPECT_EQ(Attribute(pages[2], "height"), "1199");

  // Links: 2.8504 page units a point on the portrait pages, about 2.015 on the landscape one,
  // which starts 600 units down.
  const auto first = ChildrenNamed(pages[0], "area");
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(Attribute(first[0], "url"), "https://example.org/");
  EXPECT_NEAR(Number(first[0], "left"), 72 * 2.8504, 1);
  EXPECT_NEAR(Number(first[0], "top"), 190 * 2.8504, 1);
  EXPECT_NEAR(Number(first[0], "width"), 150 * 2.8504, 2);
  EXPECT_NEAR(Number(first[0], "height"), 20 * 2.8504, 2);
  EXPECT_EQ(Attribute(first[1], "page"), "3");
  const auto third = ChildrenNamed(pages[2], "area");
  ASSERT_EQ(third.size(), 2u);
  EXPECT_EQ(Attribute(third[0], "page"), "1");
  EXPECT_NEAR(Number(third[0], "left"), 100 * 2.0143, 1);
  EXPECT_NEAR(Number(third[0], "top"), 600 + 300 * 2.0151, 1);
  EXPECT_EQ(Attribute(third[1], "page"), "2");

  // The outline with its levels; the PDF without one gets an entry named after its file.
  std::vector<std::string> bookmarks;
  for (const auto& bookmark : ChildrenNamed(toc, "bookmark"))
    bookmarks.push_back(Attribute(bookmark, "title") + " " + Attribute(bookmark, "page") + " " +
                        Attribute(bookmark, "level"));
  EXPECT_EQ(bookmarks, (std::vector<std::string>{"Front matter 1 (none)", "Preface 2 2",
                                                 "Results 3 (none)", "appendix 5 (none)"}));

  // The words with their boxes, and the index whose word i is the page's word i.
  platform::XmlDocument textDocument;
  const auto words = ChildrenNamed(Load(textDocument, "res/pages/page_0001.xml"), "word");
  ASSERT_EQ(words.size(), 5u);
  EXPECT_EQ(words[3].Text(), "Hello,");
  EXPECT_NEAR(Number(words[3], "left"), 72 * 2.8504, 2);
  EXPECT_LT(Number(words[3], "top"), 160 * 2.8504);
  EXPECT_GT(Number(words[3], "top") + Number(words[3], "height"), 160 * 2.8504);
  platform::XmlDocument indexDocument;
  std::vector<std::string> lines;
  for (const auto& page : ChildrenNamed(Load(indexDocument, "res/other/search.xml"), "page"))
    lines.push_back(Attribute(page, "number") + ": " + page.Text());
  EXPECT_EQ(lines, (std::vector<std::string>{"1: Bookstub test document Hello, world", "2: Preface",
                                             "3: Results landscape"}));

  // Packed a page at a time, the book is what `pack` makes of its own source book, byte for
  // byte, and its book document is the text the whole document saves to.
  const fs::path source = root_ / "unpacked";
  UnpackBook(package_, source);
  const std::string bookText = ReadFile(source / kMadeBookDocument);
  EXPECT_EQ(bookText, SavedWhole(bookText));
  PackBook(root_ / "stub", source, root_ / "repacked");
  EXPECT_TRUE(ReadFile(root_ / "repacked") == ReadFile(package_));
}

TEST_F(MakeFromPdfTest, APdfThatCannotBeReadIsNamedWithItsPageAndNothingIsWritten) {
  const fs::path picture = Picture("a.png", 30, 40);
  const std::vector<std::pair<fs::path, std::vector<std::string>>> cases = {
      {Pdf("locked.pdf", testsupport::EncryptedPdf()), {"password"}},
      {Pdf("damaged.pdf", "%PDF-1.7\nno more\n"), {"damaged"}},
      {Pdf("missing-page.pdf", PdfWithAMissingPage()), {"page 2 "}},
      // A PDF by its name only is a picture that cannot be read.
      {Pdf("notes.pdf", "plain text"), {"Cannot read the picture"}},
  };
  for (const auto& [pdf, expected] : cases) {
    try {
      MakeBook(Request({picture, pdf}), nullptr);
      ADD_FAILURE() << "made a book of " << pdf;
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(pdf.string()), std::string::npos) << e.what();
      for (const std::string& part : expected)
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(package_));
    EXPECT_TRUE(LeftBesideTheOutput().empty());
  }
}

}  // namespace
