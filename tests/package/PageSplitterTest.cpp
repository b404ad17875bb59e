// Page splitting: names, progress, and the three images derived from a page's mobile image.

#include <gtest/gtest.h>
#include <zlib.h>

#include "model/book/MProjects.h"
#include "package/PackageReader.h"
#include "package/PageSplitter.h"
#include "platform/Image.h"
#include "tests/package/SplitHarness.h"

namespace {

using namespace splittest;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::PageSpec;

PageSpec MobilePage(ElementSpec first, int width, int height) {
  PageSpec page;
  page.elements = {std::move(first)};
  page.mobile = FileSpec{"res/mobile/m.png", testsupport::PictureBytes(width, height)};
  page.mobilefile1 = "x.png";
  page.photoviewthumb = "y.png";
  return page;
}

TEST_F(SplitTest, ThreePagesReportFortySeventyHundred) {
  BookSpec bookSpec;
  for (int i = 0; i < 3; ++i) bookSpec.pages.push_back(PageSpec{});
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error);
  EXPECT_EQ(run.messages,
            (std::vector<std::string>{"WM_BOOK_TITLE Fixture Book", "WM_BOOK_PROGRESS 5 100",
                                      "WM_BOOK_PROGRESS 10 100", "WM_BOOK_PROGRESS 40 100",
                                      "WM_BOOK_PROGRESS 70 100", "WM_BOOK_PROGRESS 100 100",
                                      "WM_BOOK_LOADED"}));
}

// Scaled copies keep the proportions inside their box, enlarging small pictures too; a side that
// would round to nothing keeps one pixel.
struct ScaleCase {
  int width, height;
  Size large, small;
};

// Test listings show the page size, not the struct's raw bytes.
void PrintTo(const ScaleCase& c, std::ostream* os) {
  *os << c.width << 'x' << c.height;
}

class ScaledCopyTest : public SplitTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaledCopyTest, FitsTheBoxes) {
  const ScaleCase& c = GetParam();
  BookSpec bookSpec;
  bookSpec.pages = {MobilePage({"snd", {"s.mp3", "S"}}, c.width, c.height)};
  ASSERT_FALSE(Run(bookSpec).error);
  const auto large = platform::ReadImageSize(Book("res/mobile/page0001_i1.png"));
  const auto small = platform::ReadImageSize(Book("res/pages/thumb_0001.png"));
  EXPECT_EQ(std::pair(large.width, large.height), std::pair(c.large.width, c.large.height));
  EXPECT_EQ(std::pair(small.width, small.height), std::pair(c.small.width, c.small.height));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScaledCopyTest,
                         ::testing::Values(ScaleCase{1000, 500, {800, 400}, {200, 100}},
                                           ScaleCase{300, 600, {400, 800}, {100, 200}},
                                           ScaleCase{10, 10, {800, 800}, {200, 200}},
                                           ScaleCase{1000, 333, {800, 266}, {200, 67}},
                                           ScaleCase{2000, 1, {800, 1}, {200, 1}},
                                           ScaleCase{1, 2000, {1, 800}, {1, 200}}));

TEST_F(SplitTest, PageThumbnailSizeRoundsHalvesToEven) {
  BookSpec bookSpec;
  bookSpec.pagewidth = 5;   // 2.5 -> 2
  bookSpec.pageheight = 7;  // 3.5 -> 4
  bookSpec.thumbscale = 0.5;
  bookSpec.pages = {MobilePage({"snd", {"s.mp3", "S"}}, 40, 40)};
  ASSERT_FALSE(Run(bookSpec).error);
  const auto thumb = platform::ReadImageSize(Book("res/thumbnails/thumb_0.png"));
  EXPECT_EQ(std::pair(thumb.width, thumb.height), std::pair(2, 4));
}

// The page thumbnail drawn as the rules say, made independently with the image service.
std::string ExpectedThumbnail(const fs::path& mobile, int x, int y, int w, int h) {
  const fs::path file = platform::TempPath() / ("expected-" + platform::NewGuid() + ".png");
  auto canvas = platform::CreateCanvas(100, 140);
  canvas->DrawStretched(*platform::LoadPicture(mobile), x, y, w, h);
  canvas->SaveToFile(file);
  const std::string bytes = ReadFile(file);
  fs::remove(file);
  return bytes;
}

// The first element decides: a movie or picture with a size places the mobile image at the
// element's scaled rectangle; anything else (a sound, an empty stage, an element without a file)
// stretches it over the whole thumbnail.
TEST_F(SplitTest, ThumbnailIsPlacedForMoviesAndPicturesAndStretchedOtherwise) {
  BookSpec bookSpec;  // page 500 x 700 at 0.2: thumbnail 100 x 140
  ElementSpec movie{"img", {"p0.swf", testsupport::SwfBytes(500, 700)}};
  movie.left = 13;     // 2.6 -> 3
  movie.top = 7;       // 1.4 -> 1
  movie.width = 250;   // 50
  movie.height = 103;  // 20.6 -> 21
  ElementSpec picture{"img", {"p1.png", testsupport::PictureBytes(30, 30)}};
  picture.left = 50;  // 10
  picture.width = 500;
  picture.height = 700;
  ElementSpec emptyMovie{"img", {"p3.swf", testsupport::SwfBytes(0, 0)}};
  bookSpec.pages = {MobilePage(movie, 60, 80),
                    MobilePage(picture, 60, 80),
                    MobilePage({"snd", {"s.mp3", "SOUND"}}, 60, 80),
                    MobilePage(emptyMovie, 60, 80),
                    MobilePage({"img", FileSpec()}, 60, 80),
                    MobilePage({"area", FileSpec()}, 60, 80)};
  // Opaque pictures (JPEG has no transparency), so placing and stretching differ.
  for (int i = 0; i < 6; ++i)
    bookSpec.pages[i].mobile =
        FileSpec{"m" + std::to_string(i) + ".jpg", testsupport::PictureBytes(60, 80, ".jpg")};
  ASSERT_FALSE(Run(bookSpec).error);

  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_0.png")),
            ExpectedThumbnail(Book("m0.jpg"), 3, 1, 50, 21));
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_1.png")),
            ExpectedThumbnail(Book("m1.jpg"), 10, 0, 100, 140));
  const std::string stretched = ExpectedThumbnail(Book("m2.jpg"), 0, 0, 100, 140);
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_2.png")), stretched);
  for (const char* name : {"thumb_3.png", "thumb_4.png", "thumb_5.png"})
    EXPECT_EQ(ReadFile(Book("res/thumbnails") / name), stretched) << name;
  EXPECT_NE(ReadFile(Book("res/thumbnails/thumb_0.png")), stretched);
}

// A movie's stage is read once per split, but a page that writes the file anew is measured anew.
TEST_F(SplitTest, AMovieRewrittenByALaterPageIsMeasuredAgain) {
  BookSpec bookSpec;
  const ElementSpec sized{"img", {"shared.swf", testsupport::SwfBytes(500, 700)}};
  const ElementSpec named{"img", {"shared.swf", ""}};
  const ElementSpec empty{"img", {"shared.swf", testsupport::SwfBytes(0, 0)}};
  bookSpec.pages = {MobilePage(sized, 60, 80), MobilePage(named, 60, 80), MobilePage(empty, 60, 80),
                    MobilePage(named, 60, 80)};
  for (auto& page : bookSpec.pages) {
    page.elements[0].width = 250;
    page.elements[0].height = 350;
  }
  for (int i = 0; i < 4; ++i)
    bookSpec.pages[i].mobile =
        FileSpec{"m" + std::to_string(i) + ".jpg", testsupport::PictureBytes(60, 80, ".jpg")};
  ASSERT_FALSE(Run(bookSpec).error);

  const std::string placed = ExpectedThumbnail(Book("m0.jpg"), 0, 0, 50, 70);
  const std::string stretched = ExpectedThumbnail(Book("m0.jpg"), 0, 0, 100, 140);
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_0.png")), placed);
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_1.png")), placed);
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_2.png")), stretched);
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_3.png")), stretched);
}

// Beyond its largest side the page thumbnail is scaled down, keeping its proportions.
TEST_F(SplitTest, AHugePageThumbnailIsScaledDown) {
  BookSpec bookSpec;
  bookSpec.pagewidth = 100'000;
  bookSpec.pageheight = 50'000;
  bookSpec.thumbscale = 1;
  bookSpec.pages = {MobilePage({"snd", {"s.mp3", "S"}}, 40, 40)};
  ASSERT_FALSE(Run(bookSpec).error);
  const auto thumb = platform::ReadImageSize(Book("res/thumbnails/thumb_0.png"));
  EXPECT_EQ(std::pair(thumb.width, thumb.height), std::pair(2048, 1024));
}

TEST_F(SplitTest, MissingFirstFileIsReportedAndLeavesNoPageThumbnail) {
  BookSpec bookSpec;
  bookSpec.pages = {MobilePage({"img", {"res/pages/not-in-package.jpg", ""}}, 50, 50)};
  testing::internal::CaptureStderr();
  const SplitRun run = Run(bookSpec);
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_FALSE(run.error);
  EXPECT_NE(err.find("File do not exist:" + Book("res/pages/not-in-package.jpg").string()),
            std::string::npos)
      << err;
  const auto tree = Tree();
  EXPECT_TRUE(tree.count("res/mobile/page0001_i1.png"));
  EXPECT_FALSE(tree.count("res/thumbnails/thumb_0.png"));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

// A first file that passes the signature test but cannot be decoded has no size, like a sound.
TEST_F(SplitTest, UndecodableFirstPictureGetsTheStretchedThumbnail) {
  BookSpec bookSpec;
  bookSpec.pages = {MobilePage({"img", {"p.png", "\x89PNG\r\n\x1a\nbroken"}}, 60, 80),
                    MobilePage({"img", {"p.pcx", std::string("\x0a\x05\x01\x08", 4)}}, 60, 80)};
  for (int i = 0; i < 2; ++i)
    bookSpec.pages[i].mobile =
        FileSpec{"m" + std::to_string(i) + ".jpg", testsupport::PictureBytes(60, 80, ".jpg")};
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error) << *run.error;
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_0.png")),
            ExpectedThumbnail(Book("m0.jpg"), 0, 0, 100, 140));
  EXPECT_EQ(ReadFile(Book("res/thumbnails/thumb_1.png")),
            ExpectedThumbnail(Book("m1.jpg"), 0, 0, 100, 140));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

// Without a page size (the book's default 0) the mobile copies are still made.
TEST_F(SplitTest, BookWithoutPageSizeGetsNoPageThumbnail) {
  BookSpec bookSpec;
  bookSpec.pagewidth = 0;
  bookSpec.pages = {MobilePage({"snd", {"s.mp3", "S"}}, 40, 40)};
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error) << *run.error;
  const auto tree = Tree();
  EXPECT_TRUE(tree.count("res/mobile/page0001_i1.png"));
  EXPECT_TRUE(tree.count("res/pages/thumb_0001.png"));
  EXPECT_FALSE(tree.count("res/thumbnails/thumb_0.png"));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

// Copy names come from the document's names' extensions; without one there is no format.
TEST_F(SplitTest, CopiesWithoutPictureExtensionAreLeftOutAndThePageGoesOn) {
  BookSpec bookSpec;
  bookSpec.pages = {MobilePage({"snd", {"s.mp3", "S"}}, 40, 40)};
  bookSpec.pages[0].mobilefile1 = "";
  bookSpec.pages[0].photoviewthumb = "res/pages/thumb.dat";
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error) << *run.error;
  const auto tree = Tree();
  EXPECT_FALSE(tree.count("res/mobile/page0001_i1"));
  EXPECT_FALSE(tree.count("res/pages/thumb_0001.dat"));
  EXPECT_TRUE(tree.count("res/thumbnails/thumb_0.png"));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

TEST_F(SplitTest, PageWithoutMobileImageKeepsItsImageNames) {
  BookSpec bookSpec;
  PageSpec page({ElementSpec{"img", {"p.swf", "S"}}});
  page.mobilefile1 = "res/mobile/a.jpg";
  page.photoviewthumb = "res/pages/b.jpg";
  bookSpec.pages = {page};
  ASSERT_FALSE(Run(bookSpec).error);
  const TMPage& loaded = opener_->Book().Chapters->Items(0).Pages->Items(0);
  EXPECT_EQ(loaded.mobilefile1, "res/mobile/a.jpg");
  EXPECT_EQ(loaded.photoviewthumb, "res/pages/b.jpg");
  EXPECT_EQ(loaded.pagethumb, "");
  EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"p.swf", "S"}}));
}

TEST_F(SplitTest, FailedPageDownloadIsLoggedAndTheSplitGoesOn) {
  BookSpec bookSpec;
  bookSpec.navbtnDownload = true;
  PageSpec page({ElementSpec{"img", {"p.swf", "S"}}});
  page.download = FileSpec{"p.pdf", "", BlobAddress{0x7FFFFF00u, 0x100u}};
  bookSpec.pages = {page};
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error);
  const auto log = LogLines();
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"Page Count: 1", "Failed to save PDF Page for download.",
                                      "Finish Split Page[0].Elem1/1", "Finish SplitPages"}));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

}  // namespace

// --- Pictures derived ahead by workers -------------------------------------------------------

// Everything a split of the pages shows: the log, the PageDone calls, the message boxes (on
// stderr without a display), how it ended and the files it left.
struct PagesOutcome {
  std::vector<std::string> log;
  std::vector<int> done;
  std::string boxes;
  std::optional<std::string> error;
  std::map<std::string, std::string> tree;
};

// A book of many pages of every kind the pictures meet: JPEG and PNG mobile images of different
// sizes, pages sharing one mobile image name, a first file that is missing (a message box), a
// first file that is another page's derived copy, page downloads that fail (log lines), pages
// without a mobile image, and optionally a damaged mobile image.
BookSpec ManyPageBook(bool damaged) {
  BookSpec bookSpec;
  for (int i = 0; i < 24; ++i) {
    const std::string ext = i % 3 == 0 ? ".png" : ".jpg";
    PageSpec page =
        MobilePage({"img", {"p" + std::to_string(i) + ".swf", testsupport::SwfBytes(500, 700 + i)}},
                   60 + 7 * i, 90 + 3 * i);
    page.elements[0].width = 500;
    page.elements[0].height = 700;
    page.mobile = FileSpec{i % 4 == 0 ? "res/mobile/shared" + ext : "m" + std::to_string(i) + ext,
                           testsupport::PictureBytes(60 + 7 * i, 90 + 3 * i, ext)};
    page.mobilefile1 = "x.jpg";
    page.photoviewthumb = "y.png";
    if (i == 5) page.elements[0] = {"img", {"res/pages/not-in-package.png", ""}};
    if (i == 9) page.elements[0] = {"img", {"res/mobile/page0003_i1.jpg", ""}};
    if (i % 7 == 6) page.download = FileSpec{"d.pdf", "PDF", BlobAddress{0xFFFFFF00u, 8}};
    if (i % 5 == 4) page.mobile.reset();
    if (damaged && i == 17) page.mobile = FileSpec{"bad.jpg", "\xFF\xD8\xFF\xE0 not a picture"};
    bookSpec.pages.push_back(std::move(page));
  }
  bookSpec.navbtnDownload = true;
  bookSpec.navbtn = testsupport::GroupSpec{"[info]\n", {}};
  return bookSpec;
}

class SplitAheadTest : public SplitTest {
 protected:
  // Splits the pages of `bookSpec` in a fresh working folder with `workers`; PageDone stops the
  // split after page `stopAfter` (never when 0).
  PagesOutcome SplitPages(const BookSpec& bookSpec, int workers, int stopAfter = 0) {
    TearDown();
    SetUp();
    testsupport::BuildBook(bookSpec).WriteTo(package_);
    TPackageReader reader(package_);
    TMBook book;
    book.LoadFromStream(reader.ReadBytes(reader.LocateDocuments().book));
    PagesOutcome outcome;
    testing::internal::CaptureStderr();
    try {
      TPageSplitter splitter(reader, book, true, workers);
      splitter.SplitAll([&](int done, int) {
        outcome.done.push_back(done);
        return done != stopAfter;
      });
    } catch (const Error& e) {
      outcome.error = WithoutRoot(e.what());
    }
    // The message boxes; the image library's own warnings on stderr may come twice when a
    // worker met a damaged picture first.
    std::istringstream err(testing::internal::GetCapturedStderr());
    for (std::string line; std::getline(err, line);)
      if (line.rfind("Bookstub:", 0) == 0) outcome.boxes += WithoutRoot(line) + "\n";
    for (const std::string& line : LogLines()) outcome.log.push_back(WithoutRoot(line));
    outcome.tree = Tree();
    return outcome;
  }

  std::string WithoutRoot(std::string text) const {
    const std::string root = root_.string();
    for (auto at = text.find(root); at != std::string::npos; at = text.find(root))
      text.replace(at, root.size(), "<root>");
    return text;
  }

  void ExpectSameAsOnePageAfterTheOther(const BookSpec& bookSpec, int stopAfter = 0) {
    const PagesOutcome serial = SplitPages(bookSpec, 1, stopAfter);
    for (int workers : {2, 3}) {
      const PagesOutcome ahead = SplitPages(bookSpec, workers, stopAfter);
      EXPECT_EQ(ahead.log, serial.log) << workers << " workers";
      EXPECT_EQ(ahead.done, serial.done) << workers << " workers";
      EXPECT_EQ(ahead.boxes, serial.boxes) << workers << " workers";
      EXPECT_EQ(ahead.error, serial.error) << workers << " workers";
      EXPECT_TRUE(ahead.tree == serial.tree) << workers << " workers: the files differ";
    }
  }
};

TEST_F(SplitAheadTest, ManyPagesShowTheSameAsOnePageAfterTheOther) {
  ExpectSameAsOnePageAfterTheOther(ManyPageBook(false));
}

TEST_F(SplitAheadTest, ADamagedMobileImageEndsTheSplitAsOnePageAfterTheOther) {
  ExpectSameAsOnePageAfterTheOther(ManyPageBook(true));
}

// A PNG of width x height padded past the largest mobile image read ahead (32 MiB) by a private
// chunk that decoders skip.
std::string PngPaddedTo33MiB(int width, int height) {
  const auto bigEndian = [](std::uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift);
    return bytes;
  };
  const std::string body = "prVt" + std::string(33u << 20, 'P');  // type and data
  const std::string chunk =
      bigEndian(static_cast<std::uint32_t>(body.size() - 4)) + body +
      bigEndian(static_cast<std::uint32_t>(
          crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
  const std::string png = testsupport::PictureBytes(width, height, ".png");
  constexpr std::size_t kHeaderEnd = 8 + 25;  // the signature and the IHDR chunk
  return png.substr(0, kHeaderEnd) + chunk + png.substr(kHeaderEnd);
}

// A page whose mobile image is too large to be read ahead makes its pictures itself, from the
// written file, while the pages after it are derived ahead: each page gets its own.
TEST_F(SplitAheadTest, AMobileImageTooLargeToReadAheadAmongPagesDerivedAhead) {
  BookSpec bookSpec = ManyPageBook(false);
  bookSpec.pages.resize(4);
  bookSpec.pages[2].mobile = FileSpec{"large.png", PngPaddedTo33MiB(90, 70)};
  ExpectSameAsOnePageAfterTheOther(bookSpec);
}

// The pages after the stop are neither written nor reported, whatever was derived ahead.
TEST_F(SplitAheadTest, AStopLeavesTheFilesOfOnePageAfterTheOther) {
  ExpectSameAsOnePageAfterTheOther(ManyPageBook(false), 7);
}
