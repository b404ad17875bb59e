// The package opener end to end: which files each step writes, the log lines, the window
// messages, the abort checks and the failure lines.

#include <gtest/gtest.h>

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "platform/Image.h"
#include "tests/package/SplitHarness.h"
#include "tests/support/FullBook.h"
#include "tests/support/ZipWriter.h"

namespace {

using namespace splittest;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::GroupSpec;
using testsupport::PageSpec;
using testsupport::ZipWriter;

constexpr BlobAddress kPastEnd{0x7FFFFF00u, 0x100u};

using testsupport::FullBook;
const char* const kNavBtnIni = testsupport::kFullBookNavBtnIni;

// A book with one chapter and nothing else.
BookSpec BareBook() {
  BookSpec s;
  s.exetitle = "Bare";
  return s;
}

TEST_F(SplitTest, FullBookWritesEveryStepInOrder) {
  const BookSpec bookSpec = FullBook();
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error) << *run.error;

  EXPECT_EQ(run.messages,
            (std::vector<std::string>{"WM_BOOK_TITLE Full Book", "WM_BOOK_PROGRESS 5 100",
                                      "WM_BOOK_PROGRESS 10 100", "WM_BOOK_PROGRESS 55 100",
                                      "WM_BOOK_PROGRESS 100 100", "WM_BOOK_LOADED"}));

  std::vector<std::string> log = FinishLinesBeforePages();
  for (const char* line :
       {"Page Count: 2", "Finish Split Page[0].Elem1/4", "Finish Split Page[0].Elem2/4",
        "Finish Split Page[0].Elem4/4", "Finish Split Page[1].Elem1/1", "Finish SplitPages"})
    log.push_back(line);
  EXPECT_EQ(LogLines(), log);

  const std::map<std::string, std::string> blobs = {
      {"res/other/background.JPG", "BACKGROUND"},
      {"res/navbtn/info.ini", kNavBtnIni},
      {"res/navbtn/first.png", "FIRST"},
      {"res/navbtn/prev one.png", "PREV"},
      {"res/navbar/info.ini", "[info]\r\nname=bar\r\n"},
      {"res/navbar/top.png", "TOP"},
      {"res/navbar/bottom.png", "BOTTOM"},
      {"book.swf", "PRELOADER"},
      {"res/other/logo.png", "LOGO"},
      {"res/other/search.xml", "SEARCH"},
      {"res/other/toc.xml", "TOC"},
      {"res/sounds/bg.mp3", "MUSIC"},
      {"res/downloads/book.pdf", "BOOKPDF"},
      {"res/languages/en/lang.xml", "<lang>en</lang>"},
      {"res/languages/de/lang.xml", "<lang>de</lang>"},
      {"res/flags/en.png", "FLAG"},
      {"res/pages/page_0000.swf", bookSpec.pages[0].elements[0].file.bytes},
      {"res/pages/s.mp3", "SOUND"},
      {"res/pages/v.flv", "VIDEO"},
      {"res/pages/v.jpg", "PREVIEW"},
      {"res/pages/page_0000.txt", "TEXT0"},
      {"res/downloads/page_0000.pdf", "PAGEPDF"},
      {"res/mobile/page_0000.png", bookSpec.pages[0].mobile->bytes},
      {"res/pages/page_0001.mp3", "SOUND1"},
      {"res/mobile/page_0001.png", bookSpec.pages[1].mobile->bytes},
      {"framework.swf", "EXTRA-bookinfo"},
      {"res/other/mag.swf", "EXTRA-mag"},
      {"res/other/toolbar.swf", "EXTRA-toolbar"},
      {"res/other/input.png", "EXTRA-input"},
      {"res/other/videoskin.swf", "EXTRA-vs"},
      {"res/other/thumb.swf", "EXTRA-thumbswf"},
  };
  const std::map<std::string, Size> derived = {
      {"res/mobile/page0001_i1.jpg", {800, 400}}, {"res/pages/thumb_0001.png", {200, 100}},
      {"res/thumbnails/thumb_0.png", {100, 140}}, {"res/mobile/page0002_i1.png", {400, 800}},
      {"res/pages/thumb_0002.jpg", {100, 200}},   {"res/thumbnails/thumb_1.png", {100, 140}},
  };
  std::map<std::string, std::string> tree = Tree();
  for (const auto& [name, size] : derived) {
    ASSERT_EQ(tree.erase(name), 1u) << name;
    const Size actual = platform::ReadImageSize(Book(name));
    EXPECT_EQ(actual.width, size.width) << name;
    EXPECT_EQ(actual.height, size.height) << name;
  }
  EXPECT_EQ(tree, blobs);
}

TEST_F(SplitTest, FullBookRenamesFilesInMemory) {
  ASSERT_FALSE(Run(FullBook()).error);
  EXPECT_EQ(opener_->Project().background->filename, Book("res/other/background.JPG").string());
  const TMPage& page = opener_->Book().Chapters->Items(0).Pages->Items(0);
  const auto& movie = dynamic_cast<const TBasicVisualPageFileElement&>(page.elem->Items(0));
  EXPECT_EQ(movie.src(), Book("res/pages/page_0000.swf").string());
  EXPECT_EQ(dynamic_cast<const TMVid&>(page.elem->Items(3)).preview,
            Book("res/pages/v.jpg").string());
  EXPECT_EQ(page.searchtxt, Book("res/pages/page_0000.txt").string());
  EXPECT_EQ(page.mobilefile2, Book("res/mobile/page_0000.png").string());
  EXPECT_EQ(page.mobilefile1, Book("res/mobile/page0001_i1.jpg").string());
  EXPECT_EQ(page.photoviewthumb, Book("res/pages/thumb_0001.png").string());
  EXPECT_EQ(page.pagethumb, Book("res/thumbnails/thumb_0.png").string());
  EXPECT_EQ(page.print, Book("res/print/p0.swf").string());
  EXPECT_EQ(page.download, "page.pdf");
}

TEST_F(SplitTest, AbsentStepsWriteNothingAndStillLogTheirFinishLines) {
  const SplitRun run = Run(BareBook());
  ASSERT_FALSE(run.error);
  EXPECT_TRUE(Tree().empty());
  std::vector<std::string> log = FinishLinesBeforePages();
  log.insert(log.end(), {"Page Count: 0", "Finish SplitPages"});
  EXPECT_EQ(LogLines(), log);
  EXPECT_EQ(run.messages, (std::vector<std::string>{"WM_BOOK_TITLE Bare", "WM_BOOK_PROGRESS 5 100",
                                                    "WM_BOOK_PROGRESS 10 100", "WM_BOOK_LOADED"}));
}

TEST_F(SplitTest, AbortBeforeTheSplitRunsStepsOneToEightAndStopsAfterProgressFive) {
  beforeSplit_ = [](TProjectOpener& opener) { opener.SetAbort(true); };
  const SplitRun run = Run(FullBook());
  ASSERT_FALSE(run.error);
  EXPECT_EQ(run.messages,
            (std::vector<std::string>{"WM_BOOK_TITLE Full Book", "WM_BOOK_PROGRESS 5 100"}));
  const std::vector<std::string> all = FinishLinesBeforePages();
  EXPECT_EQ(LogLines(), std::vector<std::string>(all.begin(), all.begin() + 7));
  const auto tree = Tree();
  EXPECT_TRUE(tree.count("res/sounds/bg.mp3"));
  EXPECT_FALSE(tree.count("res/downloads/book.pdf"));
  EXPECT_FALSE(tree.count("framework.swf"));
}

TEST_F(SplitTest, AbortDuringThePagesStopsAfterTheCurrentPage) {
  BookSpec bookSpec = BareBook();
  for (int i = 0; i < 3; ++i)
    bookSpec.pages.push_back(
        PageSpec({ElementSpec{"img", {"p" + std::to_string(i) + ".swf", "S"}}}));
  bookSpec.extras["mag"] = FileSpec{"", "MAG"};
  recorder_.onMessage = [this](const BookMessage& m) {
    if (m.id == WM_BOOK_PROGRESS && m.wParam == 40) opener_->SetAbort(true);
  };
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error);
  EXPECT_EQ(run.messages.back(), "WM_BOOK_PROGRESS 40 100");
  EXPECT_EQ(LogLines().back(), "Finish Split Page[0].Elem1/1");
  EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"p0.swf", "S"}}));
}

// The download gate: with extras the project's navbtn/download decides; the plain split writes
// the book's download regardless. Pages always follow navbtn/download.
struct GateCase {
  bool extras;
  bool navbtnDownload;
  bool bookDownload;
  bool pageDownload;
  bool extrasWritten;
};

void PrintTo(const GateCase& c, std::ostream* os) {
  *os << "extras=" << c.extras << " navbtnDownload=" << c.navbtnDownload
      << " bookDownload=" << c.bookDownload << " pageDownload=" << c.pageDownload;
}

class DownloadGateTest : public SplitTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(DownloadGateTest, FollowsExtrasAndNavbtnDownload) {
  const GateCase& c = GetParam();
  BookSpec bookSpec = BareBook();
  bookSpec.navbtnDownload = c.navbtnDownload;
  bookSpec.download = FileSpec{"book.pdf", "PDF"};
  PageSpec page;
  page.download = FileSpec{"x.PDF", "PAGE"};
  bookSpec.pages.push_back(page);
  bookSpec.extras["mag"] = FileSpec{"", "MAG"};
  const SplitRun run = Run(bookSpec, c.extras);
  ASSERT_FALSE(run.error);
  const auto tree = Tree();
  EXPECT_EQ(tree.count("res/downloads/book.pdf"), c.bookDownload ? 1u : 0u);
  EXPECT_EQ(tree.count("res/downloads/page_0000.PDF"), c.pageDownload ? 1u : 0u);
  EXPECT_EQ(tree.count("res/other/mag.swf"), c.extrasWritten ? 1u : 0u);
  const auto log = LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "Finish SplitDownloadFiles"), log.end());
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

INSTANTIATE_TEST_SUITE_P(Gates, DownloadGateTest,
                         ::testing::Values(GateCase{true, false, false, false, true},
                                           GateCase{true, true, true, true, true},
                                           GateCase{false, false, true, false, false},
                                           GateCase{false, true, true, true, false}));

TEST_F(SplitTest, NavigationButtonsSkipBlankKeysAndUnknownTypesButReachLaterMembers) {
  BookSpec bookSpec = BareBook();
  bookSpec.navbtn = GroupSpec{"[info]\r\nnext=  \r\nplay=play.png\r\nsearch=find.png\r\n",
                              {{4, "PLAY"}, {3, "NEXT"}, {19, "NINETEEN"}, {18, "SEARCH"}}};
  ASSERT_FALSE(Run(bookSpec).error);
  const auto tree = Tree();
  EXPECT_EQ(tree.size(), 3u);
  EXPECT_EQ(tree.at("res/navbtn/play.png"), "PLAY");
  EXPECT_EQ(tree.at("res/navbtn/find.png"), "SEARCH");
}

TEST_F(SplitTest, LanguageArchiveIsUnpackedSafelyAndRemoved) {
  const std::string escape = "escaped-" + platform::NewGuid();
  BookSpec bookSpec = BareBook();
  bookSpec.langs = FileSpec{"langs.zip", ZipWriter()
                                             .AddFile("../" + escape, "OUT")
                                             .AddFile("/tmp/" + escape, "ABS")
                                             .AddSymlink("link", "/etc")
                                             .AddFile("fr/lang.xml", "FR")
                                             .Bytes()};
  bookSpec.flag = FileSpec{"flag.zip", "this is not a zip archive"};
  const SplitRun run = Run(bookSpec);
  ASSERT_FALSE(run.error);
  EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"res/languages/fr/lang.xml", "FR"}}));
  EXPECT_FALSE(fs::exists(Book("res") / escape));
  EXPECT_FALSE(fs::exists(fs::path("/tmp") / escape));
  EXPECT_EQ(run.messages.back(), "WM_BOOK_LOADED");
}

// The process runs in the "C" locale, as the tool and the tests start; UTF-8 names still unpack.
TEST_F(SplitTest, ArchiveEntriesWithNonAsciiNamesAreUnpacked) {
  const std::string summer = "fr/\xC3\xA9t\xC3\xA9.xml";
  const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87/lang.xml";
  BookSpec bookSpec = BareBook();
  bookSpec.langs =
      FileSpec{"langs.zip", ZipWriter().AddFile(summer, "FR").AddFile(chinese, "ZH").Bytes()};
  ASSERT_FALSE(Run(bookSpec).error);
  EXPECT_EQ(Tree(), (std::map<std::string, std::string>{{"res/languages/" + summer, "FR"},
                                                        {"res/languages/" + chinese, "ZH"}}));
}

// Failures: the error lines of each boundary, in order, and no completion message.
struct FailureCase {
  const char* name;
  std::function<void(BookSpec&)> damage;
  std::vector<std::string> errorLines;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class SplitFailureTest : public SplitTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SplitFailureTest, LogsEachBoundaryAndRaisesTheSameMessage) {
  const FailureCase& c = GetParam();
  BookSpec bookSpec = BareBook();
  bookSpec.navbtnDownload = true;
  c.damage(bookSpec);
  const SplitRun run = Run(bookSpec);
  ASSERT_TRUE(run.error);
  const std::string& last = c.errorLines.back();
  EXPECT_EQ("[ProSaver.Split]: Error:" + *run.error, last);
  const auto log = LogLines();
  ASSERT_GE(log.size(), c.errorLines.size());
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(c.errorLines.size()), log.end()),
            c.errorLines);
  EXPECT_NE(run.messages.back(), "WM_BOOK_LOADED");
}

const std::string kReadError = "Stream read error";

INSTANTIATE_TEST_SUITE_P(
    Failures, SplitFailureTest,
    ::testing::Values(
        FailureCase{"LogoPastTheEnd",
                    [](BookSpec& s) {
                      s.logo = FileSpec{"logo.png", "", kPastEnd};
                    },
                    {"[ProSaver.Split]: Error:" + kReadError}},
        FailureCase{"BookDownloadPastTheEnd",
                    [](BookSpec& s) {
                      s.download = FileSpec{"b.pdf", "", kPastEnd};
                    },
                    {"[ProSaver.SplitDownloadFiles]: Error:" + kReadError,
                     "[ProSaver.Split]: Error:" + kReadError}},
        FailureCase{"ElementPastTheEnd",
                    [](BookSpec& s) {
                      s.pages.push_back(PageSpec({ElementSpec{"img", {"p.swf", "", kPastEnd}}}));
                    },
                    {"Page Count: 1", "[ProSaver.SplitPages]: Error:" + kReadError,
                     "[ProSaver.Split]: Error:" + kReadError}},
        FailureCase{"SoundNameWithoutAddress",
                    [](BookSpec& s) {
                      s.bgsound = FileSpec{"bg.mp3", "", BlobAddress{}};
                    },
                    {"Finish SplitToc", "[ProSaver.Split]: Error:" + kReadError}},
        FailureCase{"NoChapter",
                    [](BookSpec& s) { s.withChapter = false; },
                    {"Finish SplitToc", "[ProSaver.Split]: Error:List index out of bounds (0)"}},
        FailureCase{"MobileImageWithoutElements",
                    [](BookSpec& s) {
                      PageSpec page;
                      page.mobile = FileSpec{"m.png", testsupport::PictureBytes(20, 10)};
                      page.mobilefile1 = "a.png";
                      page.photoviewthumb = "b.png";
                      s.pages.push_back(page);
                    },
                    {"Page Count: 1", "[ProSaver.SplitPages]: Error:List index out of bounds (0)",
                     "[ProSaver.Split]: Error:List index out of bounds (0)"}},
        FailureCase{"NavigationBarTypeOtherThanTopOrBottom",
                    [](BookSpec& s) {
                      s.navbar = GroupSpec{"[info]", {{2, "X"}}};
                      s.navbarTopfile = "top.png";
                    },
                    {"Finish SplitProjNavBtn",
                     "[ProSaver.Split]: Error:Refused path \"res/navbar/\": names no file"}},
        FailureCase{"NavigationBarWithoutFileName",
                    [](BookSpec& s) {
                      s.navbar = GroupSpec{"[info]", {{0, "X"}}};
                    },
                    {"Finish SplitProjNavBtn",
                     "[ProSaver.Split]: Error:Refused path \"res/navbar/\": names no file"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Document paths that would reach outside the book root are refused like a failed write.
struct HostileCase {
  const char* name;
  std::function<void(BookSpec&, const std::string& escape)> plant;
};

void PrintTo(const HostileCase& c, std::ostream* os) {
  *os << c.name;
}

class HostileNameTest : public SplitTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileNameTest, IsRefusedAndNothingIsWrittenOutsideTheBookRoot) {
  const std::string escape = "escaped-" + platform::NewGuid();
  BookSpec bookSpec = BareBook();
  GetParam().plant(bookSpec, escape);
  const SplitRun run = Run(bookSpec);
  ASSERT_TRUE(run.error);
  EXPECT_EQ(run.error->rfind("Refused path \"", 0), 0u) << *run.error;
  EXPECT_EQ(LogLines().back(), "[ProSaver.Split]: Error:" + *run.error);
  for (const fs::path& place : {root_ / escape, root_.parent_path() / escape,
                                fs::path("/tmp") / escape, root_ / "files" / escape})
    EXPECT_FALSE(fs::exists(place)) << place;
}

PageSpec PageWith(ElementSpec element) {
  return PageSpec({std::move(element)});
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNameTest,
    ::testing::Values(
        HostileCase{"ElementClimbsOut",
                    [](BookSpec& s, const std::string& e) {
                      s.pages.push_back(PageWith({"img", {"..\\..\\" + e, "X"}}));
                    }},
        HostileCase{"ElementAbsolute",
                    [](BookSpec& s, const std::string& e) {
                      s.pages.push_back(PageWith({"img", {"/tmp/" + e, "X"}}));
                    }},
        HostileCase{
            "VideoPreview",
            [](BookSpec& s, const std::string& e) {
              s.pages.push_back(PageWith({"vid", {"v.flv", "V"}, FileSpec{"../" + e, "P"}}));
            }},
        HostileCase{"SearchText",
                    [](BookSpec& s, const std::string& e) {
                      PageSpec page;
                      page.search = FileSpec{"../" + e, "T"};
                      s.pages.push_back(page);
                    }},
        HostileCase{"MobileImage",
                    [](BookSpec& s, const std::string& e) {
                      PageSpec page = PageWith({"img", {"p.swf", "S"}});
                      page.mobile = FileSpec{"..\\" + e, "M"};
                      s.pages.push_back(page);
                    }},
        HostileCase{"NavigationButtonName",
                    [](BookSpec& s, const std::string& e) {
                      s.navbtn = GroupSpec{"[info]\nfirstpage=../../../" + e + "\n", {{0, "B"}}};
                    }},
        HostileCase{"NavigationBarTopFile",
                    [](BookSpec& s, const std::string& e) {
                      s.navbar = GroupSpec{"[info]", {{0, "T"}}};
                      s.navbarTopfile = "..\\..\\..\\" + e;
                    }},
        HostileCase{"TocNamePart",
                    [](BookSpec& s, const std::string&) {
                      s.toc = FileSpec{"x/..", "T"};
                    }},
        HostileCase{"SearchIndexNamePart",
                    [](BookSpec& s, const std::string&) {
                      s.searchindex = FileSpec{"x\\..", "S"};
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SplitTest, EmptyDocumentsAreReportedAndKeepTheirDefaults) {
  for (const auto& [project, book, lines] :
       {std::tuple{"", "<book/>", std::vector<std::string>{"Failed to SplitProj"}},
        std::tuple{"<project/>", "", std::vector<std::string>{"Failed to SplitMagProj"}},
        std::tuple{"", "",
                   std::vector<std::string>{"Failed to SplitProj", "Failed to SplitMagProj"}}}) {
    fs::remove(root_ / "files" / "Log" / "log1.txt");
    PackageBuilder package;
    package.Finish(project, book);
    package.WriteTo(package_);
    TProjectOpener opener(nullptr);
    EXPECT_NO_THROW(opener.Open(package_));
    EXPECT_EQ(LogLines(), lines);
    EXPECT_EQ(opener.Project().exetitle, "Flash Player");
    EXPECT_EQ(opener.Book().Chapters->Count(), 0);
  }
}

// The title is sent as soon as the settings are read, before the book document is looked for.
TEST_F(SplitTest, BadBookLengthFailsTheOpeningAfterTheTitle) {
  const std::string project = "<project><exetitle>Only Settings</exetitle></project>";
  std::ofstream(package_, std::ios::binary)
      << "STUB" << EncodeUInt32(1000000) << project << EncodeUInt32(project.size());
  const SplitRun run = RunPackage();
  EXPECT_EQ(run.messages, std::vector<std::string>{"WM_BOOK_TITLE Only Settings"});
  EXPECT_EQ(run.error, std::optional<std::string>(kStreamReadError));
}

TEST_F(SplitTest, FileWithoutPackageFailsToOpen) {
  std::ofstream(package_, std::ios::binary) << "just an executable image, nothing appended";
  TProjectOpener opener(&recorder_);
  EXPECT_THROW(opener.Open(package_), Error);
  EXPECT_TRUE(recorder_.lines.empty());
}

}  // namespace
