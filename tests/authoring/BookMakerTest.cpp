// `bookstub make` in the core: which pictures a folder gives and in what order, the documents
// written for them, and a made book split as the player splits it; a picture that cannot be read
// leaves nothing behind.

#include "authoring/BookMaker.h"

#include <gtest/gtest.h>

#include "authoring/AddressedDocuments.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "platform/Image.h"
#include "platform/Xml.h"
#include "tests/package/SplitHarness.h"
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
  for (const char* name : {"scans/page10.png", "scans/page2.JPG", "scans/Page1.gif",
                           "scans/page3.tiff", "scans/page4.bmp", "scans/.page0.png",
                           "scans/notes.txt", "scans/sub.png/page9.png", "back.jpeg"})
    Touch(name);
  const auto pictures = ListPictures({dir_ / "back.jpeg", dir_ / "scans", dir_ / "back.jpeg"});
  EXPECT_EQ(Names(pictures),
            (std::vector<std::string>{"back.jpeg", "scans/Page1.gif", "scans/page2.JPG",
                                      "scans/page3.tiff", "scans/page4.bmp", "scans/page10.png",
                                      "back.jpeg"}));
}

TEST_F(PictureFolderTest, NamesWithoutPicturesAreRefusedByName) {
  Touch("empty/notes.txt");
  for (const fs::path& name : {dir_ / "empty", dir_ / "missing.png"}) {
    try {
      ListPictures({name});
      ADD_FAILURE() << name << " was accepted";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(name.string()), std::string::npos) << e.what();
    }
  }
}

std::vector<platform::XmlNode> ChildrenNamed(platform::XmlNode node, const std::string& name) {
  std::vector<platform::XmlNode> found;
  for (const platform::XmlNode& child : node.Children())
    if (child.Name() == name) found.push_back(child);
  return found;
}

// The page takes the first picture's size; a picture of another shape sits centred in it; small
// pictures need no zoom copy; the thumbnails come out small whatever the page size.
TEST(MadeDocumentsTest, PageSizeFromTheFirstPictureAndEachPictureFittedIntoIt) {
  const std::vector<TMadePage> pages = {PlanPage(0, {2500, 3500}), PlanPage(1, {3500, 2500}),
                                        PlanPage(2, {600, 800})};
  const TMadeDocuments documents = WriteMadeDocuments("Tom & <Jerry>", pages);

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
    request.pictures = pictures;
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

}  // namespace
