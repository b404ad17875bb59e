// `bookstub pack`, `unpack` and `restub` as processes: a package made from the unpacked source
// book, or moved onto another player, splits exactly as the original does; failures name the
// property and the path and leave nothing behind.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Image.h"
#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "tests/support/FullBook.h"
#include "tests/support/ToolRun.h"
#include "util/ZanUtils.h"

namespace {

namespace fs = std::filesystem;
using testsupport::BookSpec;
using testsupport::ElementSpec;
using testsupport::FileSpec;
using testsupport::PageSpec;
using testsupport::ReadFile;
using Outcome = testsupport::ToolOutcome;

void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// What a split leaves and says: every file (with its bytes) and folder below files/ except the
// log, the window messages, and the log lines without their time stamps.
struct SplitOutcome {
  int exitCode = -1;
  std::map<std::string, std::string> tree;
  std::string messages;
  std::vector<std::string> log;
  bool operator==(const SplitOutcome&) const = default;
};

class AuthoringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = platform::TempPath() / ("bookstub-authoring-" + platform::NewGuid());
    fs::create_directories(dir_);
  }
  void TearDown() override { DeleteFolderTree(dir_); }

  Outcome Tool(const std::string& arguments, const std::string& environment = "",
               const fs::path& tool = BOOKSTUB_TOOL_PATH) const {
    return testsupport::RunTool(tool, arguments, dir_, environment);
  }

  SplitOutcome Split(const fs::path& package, const std::string& name) const {
    const fs::path root = dir_ / name;
    const Outcome run = Tool("split --messages '" + package.string() + "' '" + root.string() + "'");
    SplitOutcome split;
    split.exitCode = run.exitCode;
    split.messages = run.out;
    const fs::path files = root / "files";
    for (const auto& entry : fs::recursive_directory_iterator(files)) {
      const std::string relative = fs::relative(entry.path(), files).generic_string();
      if (relative.starts_with("Log")) continue;
      split.tree[relative] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
    }
    std::istringstream log(ReadFile(files / "Log" / "log1.txt"));
    for (std::string line; std::getline(log, line);) split.log.push_back(line.substr(19));
    return split;
  }

  // unpack, then pack onto `player`.
  fs::path Repack(const fs::path& package, const fs::path& player) const {
    const fs::path source = dir_ / "source";
    const Outcome unpacked = Tool("unpack '" + package.string() + "' '" + source.string() + "'");
    EXPECT_EQ(unpacked.exitCode, 0) << unpacked.err;
    const fs::path repacked = dir_ / "repacked";
    const Outcome packed = Tool("pack --player '" + player.string() + "' --source '" +
                                source.string() + "' -o '" + repacked.string() + "'");
    EXPECT_EQ(packed.exitCode, 0) << packed.err;
    return repacked;
  }

  // The tool at `relative` below the test's folder, away from the player built beside it.
  fs::path ToolAt(const fs::path& relative) const {
    const fs::path tool = dir_ / relative;
    fs::create_directories(tool.parent_path());
    std::error_code ec;
    fs::create_hard_link(BOOKSTUB_TOOL_PATH, tool, ec);
    if (ec) fs::copy_file(BOOKSTUB_TOOL_PATH, tool);
    return tool;
  }

  fs::path Stub(const std::string& bytes) const {
    WriteFile(dir_ / "stub", bytes);
    return dir_ / "stub";
  }

  // Every file name in the folder of the outputs: temporary files must not survive.
  std::vector<std::string> OutputFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "out-folder"))
      names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
};

BookSpec SmallBook() {
  BookSpec s;
  s.exetitle = "Small";
  s.preloader = FileSpec{"book.swf", "MOVIE"};
  s.pages.push_back(PageSpec({ElementSpec{"img", {"res/pages/p0.swf", "PAGE"}}}));
  return s;
}

std::string DemoStyleToc() {
  return "<?xml version=\"1.0\"?>\n<toc><page src=\"res/pages/page_0000.png\"/></toc>\n";
}

// The demo book's shape: a viewer movie, a table of contents and picture pages.
BookSpec DemoStyleBook() {
  BookSpec s;
  s.exetitle = "Bookstub demo book";
  s.preloader = FileSpec{"book.swf", testsupport::SwfBytes(900, 600)};
  s.toc = FileSpec{"toc.xml", DemoStyleToc()};
  for (int i = 0; i < 3; ++i) {
    ElementSpec page("img", {"res/pages/page_000" + std::to_string(i) + ".png",
                             testsupport::PictureBytes(50, 70)});
    page.width = 50;
    page.height = 70;
    s.pages.push_back(PageSpec({page}));
  }
  return s;
}

struct RoundTripCase {
  const char* label;
  BookSpec (*book)();
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
  *out << c.label;
}

class RoundTripTest : public AuthoringTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTripTest, PackOfUnpackSplitsLikeTheOriginal) {
  BookSpec bookSpec = GetParam().book();
  bookSpec.stubImage = "STUB of another platform";
  const fs::path original = dir_ / "original";
  testsupport::BuildBook(bookSpec).WriteTo(original);
  const fs::path repacked = Repack(original, Stub("STUB of this platform"));

  const SplitOutcome before = Split(original, "split-original");
  const SplitOutcome after = Split(repacked, "split-repacked");
  ASSERT_EQ(before.exitCode, 0) << before.messages;
  EXPECT_EQ(after.tree, before.tree);
  EXPECT_EQ(after.messages, before.messages);
  EXPECT_EQ(after.log, before.log);
  EXPECT_EQ(ReadFile(repacked).rfind("STUB of this platform", 0), 0u);
  EXPECT_NE(fs::status(repacked).permissions() & fs::perms::owner_exec, fs::perms::none);
}

INSTANTIATE_TEST_SUITE_P(Books, RoundTripTest,
                         ::testing::Values(RoundTripCase{"FullBook", &testsupport::FullBook},
                                           RoundTripCase{"DemoStyle", &DemoStyleBook}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(AuthoringTest, RestubMovesAPackageFromARandomStubOntoThePlayer) {
  std::mt19937 random(20261208);
  std::string stub(3 << 20, '\0');
  for (char& c : stub) c = static_cast<char>(random());
  BookSpec bookSpec = testsupport::FullBook();
  bookSpec.stubImage = stub;
  const fs::path original = dir_ / "old-book.exe";
  const testsupport::BuiltBook built = testsupport::BuildBook(bookSpec);
  built.WriteTo(original);

  const fs::path moved = dir_ / "moved";
  const Outcome run = Tool("restub --player '" + std::string(BOOKSTUB_PLAYER_PATH) + "' '" +
                           original.string() + "' -o '" + moved.string() + "'");
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const std::string player = ReadFile(BOOKSTUB_PLAYER_PATH);
  const std::string bytes = ReadFile(moved);
  ASSERT_GT(bytes.size(), player.size());
  EXPECT_EQ(bytes.compare(0, player.size(), player), 0);
  // The blobs follow byte for byte; only the documents at the end differ.
  const std::size_t blobs =
      built.bytes.size() - stub.size() - built.bookXml.size() - built.projectXml.size() - 8;
  EXPECT_EQ(bytes.substr(player.size(), blobs), built.bytes.substr(stub.size(), blobs));

  const SplitOutcome before = Split(original, "split-original");
  const SplitOutcome after = Split(moved, "split-moved");
  ASSERT_EQ(before.exitCode, 0);
  EXPECT_EQ(after, before);
}

TEST_F(AuthoringTest, RestubRefusesAddressesInsideTheDocuments) {
  BookSpec bookSpec = SmallBook();
  const std::string probe = testsupport::BuildBook(bookSpec).bytes;
  // The logo's address points at the last bytes of the file: the project document.
  bookSpec.logo =
      FileSpec{"logo.png", "", BlobAddress{static_cast<std::uint32_t>(probe.size()), 8}};
  testsupport::BuildBook(bookSpec).WriteTo(dir_ / "book");
  fs::create_directories(dir_ / "out-folder");
  const Outcome run =
      Tool("restub --player '" + Stub("S").string() + "' '" + (dir_ / "book").string() + "' -o '" +
           (dir_ / "out-folder/moved").string() + "'");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("project logo"), std::string::npos) << run.err;
  EXPECT_TRUE(OutputFolder().empty());
}

struct PackFailure {
  const char* label;
  void (*spoil)(const fs::path& source, fs::path& player);
  const char* expected;  // in the message, with the source folder as "<src>"
};

void PrintTo(const PackFailure& c, std::ostream* out) {
  *out << c.label;
}

class PackFailureTest : public AuthoringTest, public ::testing::WithParamInterface<PackFailure> {};

TEST_P(PackFailureTest, NamesThePropertyAndPathAndLeavesNothing) {
  testsupport::BuildBook(testsupport::FullBook()).WriteTo(dir_ / "book");
  const fs::path source = dir_ / "source";
  ASSERT_EQ(Tool("unpack '" + (dir_ / "book").string() + "' '" + source.string() + "'").exitCode,
            0);
  fs::path player = Stub("STUB");
  GetParam().spoil(source, player);
  fs::create_directories(dir_ / "out-folder");
  const Outcome run = Tool("pack --player '" + player.string() + "' --source '" + source.string() +
                           "' -o '" + (dir_ / "out-folder/book").string() + "'");
  EXPECT_EQ(run.exitCode, 1);
  std::string expected = GetParam().expected;
  if (const auto at = expected.find("<src>"); at != std::string::npos)
    expected.replace(at, 5, source.string());
  EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
  EXPECT_TRUE(OutputFolder().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sources, PackFailureTest,
    ::testing::Values(
        PackFailure{"MissingPageFile",
                    [](const fs::path& s, fs::path&) { fs::remove(s / "res/pages/s.mp3"); },
                    "book Chapters[0].Pages[0].elem[1] (<src>/res/pages/s.mp3): no such file"},
        PackFailure{"MissingButtonFile",
                    [](const fs::path& s, fs::path&) { fs::remove(s / "res/navbtn/first.png"); },
                    "project navbtn (<src>/res/navbtn/): info.ini key \"firstpage\" names"},
        PackFailure{"MissingBarFile",
                    [](const fs::path& s, fs::path&) { fs::remove(s / "res/navbar/top.png"); },
                    "project navbar (<src>/res/navbar/): topfile names"},
        PackFailure{"ButtonsWithoutTheirElement",
                    [](const fs::path& s, fs::path&) {
                      const std::regex navbtn("<navbtn>.*</navbtn>");
                      WriteFile(s / "project.xml",
                                std::regex_replace(ReadFile(s / "project.xml"), navbtn, ""));
                    },
                    "<src>/project.xml: cannot write the pos_ of project navbtn"},
        PackFailure{"BookDocumentDoesNotLoad",
                    [](const fs::path& s, fs::path&) { WriteFile(s / "book.xml", "<book"); },
                    "<src>/book.xml does not load"},
        PackFailure{"MissingProjectDocument",
                    [](const fs::path& s, fs::path&) { fs::remove(s / "project.xml"); },
                    "Missing document \"<src>/project.xml\""},
        PackFailure{"PathLeavesTheSource",
                    [](const fs::path& s, fs::path&) {
                      std::string book = ReadFile(s / "book.xml");
                      book.replace(book.find("music.mp3"), 9, "../music.mp3");
                      WriteFile(s / "book.xml", book);
                    },
                    "book Chapters[0].bgsound"},
        PackFailure{"UnreadablePlayer",
                    [](const fs::path& s, fs::path& player) { player = s / "none"; },
                    "Cannot read the player \"<src>/none\""}),
    [](const auto& info) { return std::string(info.param.label); });

const char* const kHandProject =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- written by hand -->\n<project>\n"
    "  <exetitle>Hand Book</exetitle>\n  <preloader><filename>book.swf</filename></preloader>\n"
    "  <toc><filename>toc.xml</filename></toc>\n  <navbtn/>\n</project>\n";
const char* const kHandBook =
    "<?xml version=\"1.0\"?>\n<book title='Hand' pagewidth=\"500\" pageheight=\"700\">\n"
    "<Chapters><chapter bgsound=\"music.mp3\"><Pages>\n"
    "<page><elem><img src=\"res\\pages\\p0.swf\" width=\"500\" height=\"700\"/></elem></page>\n"
    "</Pages></chapter></Chapters></book>\n";

// A source book written by hand holds no addresses: pack adds them, and nothing else changes.
TEST_F(AuthoringTest, HandWrittenSourceBookPacksAndSplits) {
  const fs::path source = dir_ / "source";
  WriteFile(source / "project.xml", kHandProject);
  WriteFile(source / "book.xml", kHandBook);
  const std::map<std::string, std::string> files = {
      {"book.swf", "MOVIE"},
      {"toc.xml", "<toc/>"},
      {"music.mp3", "MUSIC"},
      {"res/pages/p0.swf", "PAGE"},
      {"res/languages/en/lang.xml", "<lang/>"},
      {"res/navbtn/info.ini", "[info]\nnext=next.png\n"},
      {"res/navbtn/next.png", "NEXT"},
      {"res/other/mag.swf", "MAG"}};
  for (const auto& [name, bytes] : files) WriteFile(source / name, bytes);
  const fs::path book = dir_ / "book";
  const Outcome packed = Tool("pack --player '" + Stub("STUB").string() + "' --source '" +
                              source.string() + "' -o '" + book.string() + "'");
  ASSERT_EQ(packed.exitCode, 0) << packed.err;

  std::map<std::string, std::string> expected = {{"book.swf", "MOVIE"},
                                                 {"res/other/toc.xml", "<toc/>"},
                                                 {"res/sounds/bg.mp3", "MUSIC"},
                                                 {"res/pages/p0.swf", "PAGE"},
                                                 {"res/languages/en/lang.xml", "<lang/>"},
                                                 {"res/navbtn/info.ini", "[info]\nnext=next.png\n"},
                                                 {"res/navbtn/next.png", "NEXT"},
                                                 {"res/other/mag.swf", "MAG"}};
  std::map<std::string, std::string> tree = Split(book, "split").tree;
  std::erase_if(tree, [](const auto& entry) { return entry.second == "<folder>"; });
  EXPECT_EQ(tree, expected);

  ASSERT_EQ(Tool("unpack '" + book.string() + "' '" + (dir_ / "back").string() + "'").exitCode, 0);
  const std::regex added(R"( (pos|size)_[a-z0-9_]*="[0-9]+")");
  EXPECT_EQ(std::regex_replace(ReadFile(dir_ / "back/project.xml"), added, ""), kHandProject);
  EXPECT_EQ(std::regex_replace(ReadFile(dir_ / "back/book.xml"), added, ""), kHandBook);
}

// A source book needs no table of contents of its own: pack writes the one the project names
// from the book document.
TEST_F(AuthoringTest, PackWritesTheMissingTableOfContents) {
  const fs::path source = dir_ / "source";
  WriteFile(source / "project.xml", kHandProject);
  WriteFile(source / "book.xml", kHandBook);
  WriteFile(source / "book.swf", "MOVIE");
  WriteFile(source / "music.mp3", "MUSIC");
  WriteFile(source / "res/pages/p0.swf", "PAGE");
  const fs::path book = dir_ / "book";
  const Outcome packed = Tool("pack --player '" + Stub("STUB").string() + "' --source '" +
                              source.string() + "' -o '" + book.string() + "'");
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  const std::string toc = Split(book, "split").tree["res/other/toc.xml"];
  EXPECT_NE(toc.find("<toc version=\"1\" title=\"Hand\""), std::string::npos) << toc;
  EXPECT_NE(toc.find("<page src=\"res/pages/p0.swf\""), std::string::npos) << toc;
  EXPECT_FALSE(fs::exists(source / "toc.xml"));
}

// `bookstub make` installed (no player beside it) finds the player on PATH, says nothing with
// --quiet, and makes a book that splits; a picture it cannot read is named and nothing is written.
TEST_F(AuthoringTest, MakeUsesTheInstalledPlayerAndStaysQuiet) {
  WriteFile(dir_ / "bin/bookstub-player", "INSTALLED PLAYER");
  fs::permissions(dir_ / "bin/bookstub-player", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_directories(dir_ / "pictures");
  for (const char* name : {"page2.png", "page10.jpg"})
    platform::CreateCanvas(60, 80)->SaveToFile(dir_ / "pictures" / name);
  const fs::path book = dir_ / "book";
  const Outcome made =
      Tool("make --quiet --title 'Made' -o '" + book.string() + "' '" +
               (dir_ / "pictures").string() + "'",
           "PATH='" + (dir_ / "bin").string() + ":/usr/bin:/bin' ", ToolAt("usr/bin/bookstub"));
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.out + made.err, "");
  EXPECT_TRUE(ReadFile(book).starts_with("INSTALLED PLAYER"));
  const SplitOutcome split = Split(book, "split");
  EXPECT_EQ(split.exitCode, 0);
  EXPECT_TRUE(split.tree.contains("res/pages/page_0002.jpg"));
  EXPECT_TRUE(split.tree.contains("res/thumbnails/thumb_1.png"));
}

TEST_F(AuthoringTest, MakeNamesAnUnreadablePictureAndLeavesNothing) {
  fs::create_directories(dir_ / "pictures");
  platform::CreateCanvas(60, 80)->SaveToFile(dir_ / "pictures/page1.png");
  WriteFile(dir_ / "pictures/page2.jpg", "no picture");
  fs::create_directories(dir_ / "out-folder");
  const Outcome made =
      Tool("make --title Broken --player '" + Stub("STUB").string() + "' -o '" +
           (dir_ / "out-folder/book").string() + "' '" + (dir_ / "pictures").string() + "'");
  EXPECT_EQ(made.exitCode, 1);
  EXPECT_NE(made.err.find((dir_ / "pictures/page2.jpg").string()), std::string::npos) << made.err;
  EXPECT_TRUE(OutputFolder().empty());
}

struct SharedBlobCase {
  const char* label;
  int names;  // page elements naming the viewer movie's bytes under their own names
  bool refused;
};

void PrintTo(const SharedBlobCase& c, std::ostream* out) {
  *out << c.label;
}

class SharedBlobTest : public AuthoringTest,
                       public ::testing::WithParamInterface<SharedBlobCase> {};

// Blobs may share bytes, but a package cannot make unpack write its bytes over and over.
TEST_P(SharedBlobTest, UnpackBoundsTheBytesItWrites) {
  BookSpec bookSpec;
  bookSpec.preloader = FileSpec{"book.swf", std::string(1000, 'x')};
  // The default stub is 28 bytes and the movie is the first blob.
  const BlobAddress movie{28 + 1000 + 4, 1004};
  PageSpec page;
  for (int i = 0; i < GetParam().names; ++i)
    page.elements.push_back(ElementSpec{"img", {"p" + std::to_string(i) + ".swf", "", movie}});
  bookSpec.pages.push_back(page);
  testsupport::BuildBook(bookSpec).WriteTo(dir_ / "book");
  const Outcome run =
      Tool("unpack '" + (dir_ / "book").string() + "' '" + (dir_ / "source").string() + "'");
  if (GetParam().refused) {
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("times over"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(dir_ / "source"));
  } else {
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadFile(dir_ / "source/p1.swf"), std::string(1000, 'x'));
  }
}

INSTANTIATE_TEST_SUITE_P(Names, SharedBlobTest,
                         ::testing::Values(SharedBlobCase{"Shared", 2, false},
                                           SharedBlobCase{"OverAndOver", 40, true}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(AuthoringTest, UnpackRefusesAFolderThatIsNotEmpty) {
  testsupport::BuildBook(SmallBook()).WriteTo(dir_ / "book");
  WriteFile(dir_ / "source/keep.txt", "KEEP");
  const Outcome run =
      Tool("unpack '" + (dir_ / "book").string() + "' '" + (dir_ / "source").string() + "'");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("is not empty"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(dir_ / "source/keep.txt"), "KEEP");
  EXPECT_FALSE(fs::exists(dir_ / "source/book.xml"));
}

// Links in a source book: each one whose real path leaves the folder is named with where it
// leads, the whole set at once, and nothing is written; links that stay inside the folder (and
// the user's own link to it) are packed as the files they lead to.
class PackLinkTest : public AuthoringTest {
 protected:
  void SetUp() override {
    AuthoringTest::SetUp();
    source_ = dir_ / "source";
    testsupport::BuildBook(testsupport::FullBook()).WriteTo(dir_ / "book");
    ASSERT_EQ(Tool("unpack '" + (dir_ / "book").string() + "' '" + source_.string() + "'").exitCode,
              0);
    WriteFile(dir_ / "private/key", "PRIVATE KEY");
    WriteFile(dir_ / "private/documents/letter.txt", "LETTER");
    fs::create_directories(dir_ / "out-folder");
  }

  // `file` in the source replaced by a link to `target`.
  void Link(const std::string& file, const fs::path& target) const {
    fs::remove_all(source_ / file);
    fs::create_symlink(target, source_ / file);
  }

  Outcome Pack(const fs::path& source) const {
    return Tool("pack --player '" + Stub("STUB").string() + "' --source '" + source.string() +
                "' -o '" + (dir_ / "out-folder/book").string() + "'");
  }

  fs::path source_;
};

TEST_F(PackLinkTest, NamesEveryLinkLeavingTheSourceAndWritesNothing) {
  Link("res/pages/s.mp3", dir_ / "private/key");
  Link("C:/authoring/search.xml", "../../../private/key");
  Link("res/navbtn/first.png", dir_ / "private/key");
  Link("res/languages", dir_ / "private/documents");
  fs::rename(source_ / "res/mobile", dir_ / "private/mobile");
  Link("res/mobile", dir_ / "private/mobile");  // a folder on the way to the files
  const Outcome run = Pack(source_);
  EXPECT_EQ(run.exitCode, 1);
  for (const char* link : {"res/pages/s.mp3", "C:/authoring/search.xml", "res/navbtn/first.png",
                           "res/languages", "res/mobile"})
    EXPECT_NE(run.err.find("\"" + (source_ / link).string() + "\" leads to \"" + dir_.string() +
                           "/private/"),
              std::string::npos)
        << link << ": " << run.err;
  EXPECT_TRUE(OutputFolder().empty());
}

TEST_F(PackLinkTest, RefusesADocumentLeadingOut) {
  fs::rename(source_ / "book.xml", dir_ / "private/book.xml");
  Link("book.xml", dir_ / "private/book.xml");
  const Outcome run = Pack(source_);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("\"" + (source_ / "book.xml").string() + "\" leads to"), std::string::npos)
      << run.err;
  EXPECT_TRUE(OutputFolder().empty());
}

TEST_F(PackLinkTest, PacksLinksThatStayInside) {
  Link("res/pages/s.mp3", "v.flv");
  fs::rename(source_ / "res/languages", source_ / "languages");
  Link("res/languages", source_ / "languages");
  Link("res/navbtn/first.png", "../../res/navbar/top.png");
  fs::create_directory_symlink(source_, dir_ / "source-link");
  const Outcome run = Pack(dir_ / "source-link");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::map<std::string, std::string> tree = Split(dir_ / "out-folder/book", "split").tree;
  const std::map<std::string, std::string> original = Split(dir_ / "book", "original").tree;
  EXPECT_EQ(tree.at("res/pages/s.mp3"), "VIDEO");
  EXPECT_EQ(tree.at("res/navbtn/first.png"), original.at("res/navbar/top.png"));
  EXPECT_EQ(tree.at("res/languages/de/lang.xml"), original.at("res/languages/de/lang.xml"));
}

// `make` given a folder of pictures takes no picture from outside it through a link.
TEST_F(AuthoringTest, MakeRefusesPicturesLinkedFromOutsideTheFolder) {
  fs::create_directories(dir_ / "pictures");
  fs::create_directories(dir_ / "private");
  fs::create_directories(dir_ / "out-folder");
  platform::CreateCanvas(60, 80)->SaveToFile(dir_ / "pictures/page1.png");
  platform::CreateCanvas(60, 80)->SaveToFile(dir_ / "private/photo.png");
  const auto make = [&](const fs::path& pictures) {
    return Tool("make --quiet --title Linked --player '" + Stub("STUB").string() + "' -o '" +
                (dir_ / "out-folder/book").string() + "' '" + pictures.string() + "'");
  };

  fs::create_symlink(dir_ / "private/photo.png", dir_ / "pictures/page2.png");
  const Outcome refused = make(dir_ / "pictures");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("\"" + (dir_ / "pictures/page2.png").string() + "\" leads to \"" +
                             (dir_ / "private/photo.png").string() + "\""),
            std::string::npos)
      << refused.err;
  EXPECT_TRUE(OutputFolder().empty());

  fs::remove(dir_ / "pictures/page2.png");
  fs::create_symlink("page1.png", dir_ / "pictures/page2.png");
  fs::create_directory_symlink(dir_ / "pictures", dir_ / "pictures-link");
  const Outcome made = make(dir_ / "pictures-link");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const SplitOutcome split = Split(dir_ / "out-folder/book", "split");
  EXPECT_TRUE(split.tree.contains("res/pages/page_0002.jpg"));
}

// A page element named like one of the documents never replaces it, however the folder is
// written; a page of the same bytes is no conflict.
TEST_F(AuthoringTest, UnpackNeverOverwritesTheDocuments) {
  for (const char* name : {"project.xml", "res/../book.xml"}) {
    BookSpec contents = SmallBook();
    contents.pages.push_back(PageSpec({ElementSpec{"img", {name, "<replaced/>"}}}));
    testsupport::BuildBook(contents).WriteTo(dir_ / "book");
    const fs::path folder = dir_ / "." / "source";
    const Outcome run = Tool("unpack '" + (dir_ / "book").string() + "' '" + folder.string() + "'");
    EXPECT_EQ(run.exitCode, 1) << name;
    EXPECT_NE(run.err.find("with different bytes"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(folder)) << name;
    fs::remove_all(dir_ / "source");
  }
}

// Pages that name one file with different bytes: the split keeps the later bytes, and so does
// unpack, with one note per name, so that pack of its folder splits as the original does. A
// name shared with the same bytes is no conflict.
TEST_F(AuthoringTest, UnpackKeepsTheLaterBytesOfANameAsTheSplitDoes) {
  BookSpec bookSpec = SmallBook();
  for (const char* bytes : {"FIRST", "SECOND", "THIRD"})
    bookSpec.pages.push_back(PageSpec({ElementSpec{"img", {"res/pages/same.swf", bytes}},
                                       ElementSpec{"img", {"res/pages/shared.swf", "SHARED"}}}));
  const fs::path original = dir_ / "original";
  testsupport::BuildBook(bookSpec).WriteTo(original);
  const fs::path source = dir_ / "source";
  const Outcome run = Tool("unpack '" + original.string() + "' '" + source.string() + "'");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadFile(source / "res/pages/same.swf"), "THIRD");
  EXPECT_EQ(ReadFile(source / "res/pages/shared.swf"), "SHARED");
  EXPECT_NE(run.err.find("same.swf\" is named by"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("different bytes"), run.err.rfind("different bytes")) << run.err;
  EXPECT_EQ(run.err.find("shared.swf"), std::string::npos) << run.err;

  const SplitOutcome before = Split(original, "split-original");
  ASSERT_EQ(before.exitCode, 0) << before.messages;
  EXPECT_EQ(before.tree.at("res/pages/same.swf"), "THIRD");
  const Outcome packed = Tool("pack --player '" + Stub("STUB").string() + "' --source '" +
                              source.string() + "' -o '" + (dir_ / "repacked").string() + "'");
  ASSERT_EQ(packed.exitCode, 0) << packed.err;
  EXPECT_EQ(Split(dir_ / "repacked", "split-repacked").tree, before.tree);
}

// restub and unpack of a file without a book say so as the player does, and write nothing.
TEST_F(AuthoringTest, AFileWithoutABookIsNamedAsCarryingNone) {
  WriteFile(dir_ / "notes.txt", "plain text, no book appended");
  fs::create_directories(dir_ / "out-folder");
  const Outcome restub =
      Tool("restub --player '" + Stub("S").string() + "' '" + (dir_ / "notes.txt").string() +
           "' -o '" + (dir_ / "out-folder/moved").string() + "'");
  const Outcome unpack = Tool("unpack '" + (dir_ / "notes.txt").string() + "' '" +
                              (dir_ / "out-folder/source").string() + "'");
  for (const Outcome& run : {restub, unpack}) {
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("notes.txt\" carries no book"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(OutputFolder().empty());
}

// make names the files of a folder it leaves out on one line and makes its output name from the
// title, letters beyond ASCII kept; the player built beside the tool is found without --player.
TEST_F(AuthoringTest, MakeNamesWhatItLeavesOutAndKeepsTheTitlesLetters) {
  // A build folder of its own: tools/bookstub with app/bookstub-player beside it.
  const fs::path tool = ToolAt("build/tools/bookstub");
  WriteFile(dir_ / "build/app/bookstub-player", "BUILT PLAYER");
  fs::permissions(dir_ / "build/app/bookstub-player", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_directories(dir_ / "pictures");
  platform::CreateCanvas(60, 80)->SaveToFile(dir_ / "pictures/page1.png");
  WriteFile(dir_ / "pictures/notes.txt", "notes");
  WriteFile(dir_ / "pictures/cover.psd", "8BPS");
  WriteFile(dir_ / "pictures/.hidden", "hidden");

  const auto run = [&] {
    return testsupport::RunTool(tool, "make --title 'Été 2024 / Ölüdeniz' pictures", dir_,
                                "cd '" + dir_.string() + "' && PATH=/usr/bin:/bin ");
  };
  const Outcome made = run();
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_EQ(made.err, "bookstub: left out: cover.psd, notes.txt\n");
  EXPECT_TRUE(ReadFile(dir_ / "Été-2024-Ölüdeniz").starts_with("BUILT PLAYER"));

  // Without the player beside it the tool says which option to give.
  fs::remove(dir_ / "build/app/bookstub-player");
  const Outcome alone = run();
  EXPECT_EQ(alone.exitCode, 1);
  EXPECT_NE(alone.err.find("name the player with --player"), std::string::npos) << alone.err;
}

}  // namespace
