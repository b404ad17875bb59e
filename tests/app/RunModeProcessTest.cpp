// The player started as a process: the run modes chosen by its file name and first argument,
// the single screen saver, and the working folder on every way out: asked to stop, a book that
// cannot be played, no display, a signal that ends it, and a killed player's folder, which the
// next player removes.

#include <signal.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/BookFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ZipWriter.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PlayerProcess : public testsupport::ChildProcess {
 public:
  // Standard output and error go to `output` when it is given.
  PlayerProcess(const fs::path& executable, const std::vector<std::string>& arguments,
                std::vector<std::string> environment, const fs::path& output = {})
      : ChildProcess(WithProgram(executable, arguments), std::move(environment), output) {}

 private:
  static std::vector<std::string> WithProgram(const fs::path& executable,
                                              const std::vector<std::string>& arguments) {
    std::vector<std::string> all{executable.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
  }
};

// A book of every kind of file the split writes: copied blobs, pictures it draws, and an
// archive it unpacks; its viewer movie holds `movie`.
testsupport::BookSpec AppendedBook(int pageCount, std::string stub = ReadFile(BOOKSTUB_PLAYER_PATH),
                                   const std::string& movie = "VIEWER MOVIE") {
  testsupport::BookSpec bookSpec;
  bookSpec.stubImage = std::move(stub);
  bookSpec.exetitle = "Appended Book";
  bookSpec.preloader = testsupport::FileSpec{"viewer.swf", movie};
  bookSpec.langs = testsupport::FileSpec{
      "langs.zip",
      testsupport::ZipWriter().AddFolder("de/").AddFile("de/lang.xml", "<lang/>").Bytes()};
  for (int i = 0; i < pageCount; ++i) {
    testsupport::PageSpec page;
    page.elements.emplace_back(
        "img", testsupport::FileSpec{"res\\pages\\page_" + std::to_string(i) + ".swf", "PAGE"});
    page.mobile = testsupport::FileSpec{"res/mobile/m" + std::to_string(i) + ".png",
                                        testsupport::PictureBytes(40, 60)};
    page.mobilefile1 = "x.png";
    bookSpec.pages.push_back(std::move(page));
  }
  return bookSpec;
}

class RunModeProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() / ("bookstub-runmode-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "bin");
    fs::create_directories(Tmp());
    fs::permissions(Tmp(), fs::perms::owner_all);  // as a runtime folder must be
    // Players with their book appended, as the run modes are about playing one.
    const testsupport::BuiltBook book = testsupport::BuildBook(AppendedBook(1));
    for (const fs::path& player : {ScreenSaver(), Player()}) {
      book.WriteTo(player);
      fs::permissions(player, fs::perms::owner_all);
    }
    fs::copy_file(BOOKSTUB_PLAYER_PATH, BarePlayer());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path Tmp() const { return root_ / "tmp"; }
  fs::path ScreenSaver() const { return root_ / "bin" / "x.scr"; }
  fs::path Player() const { return root_ / "bin" / "player"; }
  fs::path BarePlayer() const { return root_ / "bin" / "bookstub-player"; }
  fs::path Output() const { return root_ / "output.txt"; }

  // The environment of the test with the temporary folder and the lock folder moved into
  // this test's own folder, offscreen, and without the Flash emulator.
  std::vector<std::string> Environment() const {
    std::vector<std::string> environment =
        testsupport::ChildProcess::CurrentEnvironment([](std::string_view name) {
          return name == "TMPDIR" || name == "XDG_RUNTIME_DIR" || name == "QT_QPA_PLATFORM" ||
                 name == "BOOKSTUB_FLASH_HOST";
        });
    environment.push_back("TMPDIR=" + Tmp().string());
    environment.push_back("XDG_RUNTIME_DIR=" + Tmp().string());
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("BOOKSTUB_FLASH_HOST=none");
    return environment;
  }

  std::unique_ptr<PlayerProcess> Start(const fs::path& executable,
                                       const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment = {}) {
    std::vector<std::string> variables = environment;  // before the test's own: these win
    const std::vector<std::string> usual = Environment();
    variables.insert(variables.end(), usual.begin(), usual.end());
    auto process = std::make_unique<PlayerProcess>(executable, arguments, variables, Output());
    EXPECT_TRUE(process->Started());
    return process;
  }

  // Working folders are named by a braced GUID.
  std::vector<fs::path> WorkingFolders() const {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(Tmp()))
      if (entry.is_directory() && entry.path().filename().string().starts_with("{"))
        folders.push_back(entry.path());
    return folders;
  }

  bool WaitForWorkingFolders(std::size_t count, PlayerProcess& process) {
    const auto giveUp = std::chrono::steady_clock::now() + testsupport::ChildProcess::kGiveUp;
    while (WorkingFolders().size() < count) {
      if (!process.Running() || std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  bool TmpIsEmpty() const { return fs::is_empty(Tmp()); }

  // The one working folder appears and the split writes its last page.
  bool WaitForSplit(PlayerProcess& process) {
    if (!WaitForWorkingFolders(1, process)) return false;
    const fs::path log = WorkingFolders().front() / "files" / "Log" / "log1.txt";
    const auto giveUp = std::chrono::steady_clock::now() + testsupport::ChildProcess::kGiveUp;
    while (ReadFile(log).find("Finish SplitPages") == std::string::npos) {
      if (!process.Running() || std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  fs::path root_;
};

class ScreenSaverWithoutSwitch : public RunModeProcessTest,
                                 public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(ScreenSaverWithoutSwitch, ExitsAtOnceWithoutWindowOrLock) {
  auto process = Start(ScreenSaver(), GetParam());
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_TRUE(TmpIsEmpty()) << "no working folder and no lock";
}

INSTANTIATE_TEST_SUITE_P(Arguments, ScreenSaverWithoutSwitch,
                         testing::Values(std::vector<std::string>{}, std::vector<std::string>{"/c"},
                                         std::vector<std::string>{"/c:1234"},
                                         std::vector<std::string>{"/p", "1234"},
                                         std::vector<std::string>{"/a"},
                                         std::vector<std::string>{"S"}));

TEST_F(RunModeProcessTest, SecondScreenSaverExitsAtOnceAndWindowModeStillRuns) {
  auto first = Start(ScreenSaver(), {"/S"});
  ASSERT_TRUE(WaitForWorkingFolders(1, *first));

  auto second = Start(ScreenSaver(), {"/s"});
  EXPECT_EQ(second->WaitForExit(), 0);
  EXPECT_EQ(WorkingFolders().size(), 1u);

  // Window mode never consults the lock; the switch means nothing without ".scr".
  auto window = Start(Player(), {"/S"});
  EXPECT_TRUE(WaitForWorkingFolders(2, *window));

  first->Terminate();
  window->Terminate();
  EXPECT_EQ(first->WaitForExit(), 0);
  EXPECT_EQ(window->WaitForExit(), 0);
  EXPECT_TRUE(WorkingFolders().empty()) << "a player asked to stop deletes its folder";
}

TEST_F(RunModeProcessTest, WindowModeTakesNoToolkitOptionsFromItsArguments) {
  auto process = Start(Player(), {"-platform", "no-such-platform", "-style", "no-such-style"});
  ASSERT_TRUE(WaitForWorkingFolders(1, *process)) << "the window must open on the usual platform";
  process->Terminate();
  EXPECT_EQ(process->WaitForExit(), 0);
}

TEST_F(RunModeProcessTest, ScreenSaverLockIsFreedWhenTheFirstEnds) {
  auto first = Start(ScreenSaver(), {"/s"});
  ASSERT_TRUE(WaitForWorkingFolders(1, *first));
  first->Terminate();
  ASSERT_EQ(first->WaitForExit(), 0);

  auto next = Start(ScreenSaver(), {"/save"});
  EXPECT_TRUE(WaitForWorkingFolders(1, *next));
  next->Terminate();
  EXPECT_EQ(next->WaitForExit(), 0);
}

// Entries below `folder` that anyone but their owner may reach.
std::vector<std::string> EntriesOpenToOthers(const fs::path& folder) {
  std::vector<std::string> open;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if ((entry.symlink_status().permissions() & fs::perms::others_all) != fs::perms::none ||
        (entry.symlink_status().permissions() & fs::perms::group_all) != fs::perms::none)
      open.push_back(entry.path().lexically_relative(folder).string());
  return open;
}

TEST_F(RunModeProcessTest, PlayerSplitsTheBookAppendedToItselfAndDeletesItsFolderWhenStopped) {
  const fs::path player = root_ / "bin" / "book";
  testsupport::BuildBook(AppendedBook(3)).WriteTo(player);
  fs::permissions(player, fs::perms::owner_all);

  auto process = Start(player, {});
  ASSERT_TRUE(WaitForSplit(*process));
  const fs::path files = WorkingFolders().front() / "files";
  EXPECT_EQ(ReadFile(files / "book.swf"), "VIEWER MOVIE");
  EXPECT_EQ(ReadFile(files / "res" / "pages" / "page_2.swf"), "PAGE");
  EXPECT_EQ(ReadFile(files / "res" / "languages" / "de" / "lang.xml"), "<lang/>");
  EXPECT_TRUE(fs::exists(files / "res" / "mobile" / "page0002_i1.png"));
  EXPECT_EQ(fs::status(WorkingFolders().front()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(EntriesOpenToOthers(WorkingFolders().front()), std::vector<std::string>{})
      << "nobody else may read the book while it plays";

  process->Terminate();
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_TRUE(WorkingFolders().empty());
}

// A book made for another platform: its package behind a stub that is no executable of ours.
fs::path WriteForeignBook(const fs::path& file) {
  std::string stub = "MZ";
  for (std::uint32_t i = 0; stub.size() < 64 * 1024; ++i) stub += static_cast<char>(i * 131 % 251);
  testsupport::BuildBook(AppendedBook(2, stub, "FOREIGN MOVIE")).WriteTo(file);
  return file;
}

// The installed player carries no book: it plays the one appended to the file it is given. A
// player with its own book plays that one whatever it is given.
struct BookFileCase {
  const char* label;
  bool bare;
  const char* movie;
};

void PrintTo(const BookFileCase& c, std::ostream* os) {
  *os << c.label;
}

class PlayerGivenABookFile : public RunModeProcessTest,
                             public testing::WithParamInterface<BookFileCase> {};

TEST_P(PlayerGivenABookFile, PlaysTheRightBookAndDeletesItsFolder) {
  const fs::path book = WriteForeignBook(root_ / "old-book.exe");
  auto process = Start(GetParam().bare ? BarePlayer() : Player(), {book.string()});
  ASSERT_TRUE(WaitForSplit(*process)) << ReadFile(Output());
  EXPECT_EQ(ReadFile(WorkingFolders().front() / "files" / "book.swf"), GetParam().movie);
  EXPECT_EQ(ReadFile(WorkingFolders().front() / "files" / "res" / "pages" / "page_0.swf"), "PAGE");
  process->Terminate();
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_TRUE(WorkingFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(Players, PlayerGivenABookFile,
                         testing::Values(BookFileCase{"BarePlaysTheFile", true, "FOREIGN MOVIE"},
                                         BookFileCase{"BookIgnoresTheFile", false, "VIEWER MOVIE"}),
                         [](const auto& info) { return std::string(info.param.label); });

// Every start of the bare player that gives it no book ends with a message and a failure
// status before a working folder exists (it used to leave a progress window that never ended).
struct NoBookCase {
  const char* label;
  std::vector<std::string> arguments;  // "{text}" and "{self}" stand for files
  int exitCode;
  const char* message;
  bool screenSaver = false;  // started as bare.scr
};

void PrintTo(const NoBookCase& c, std::ostream* os) {
  *os << c.label;
}

class BarePlayerWithoutBook : public RunModeProcessTest,
                              public testing::WithParamInterface<NoBookCase> {
 protected:
  std::vector<std::string> Arguments() {
    std::ofstream(root_ / "notes.txt") << "Not a book at all.\n";
    const std::map<std::string, fs::path> files{{"{text}", root_ / "notes.txt"},
                                                {"{self}", BarePlayer()}};
    std::vector<std::string> arguments;
    for (const std::string& argument : GetParam().arguments)
      arguments.push_back(files.contains(argument) ? files.at(argument).string() : argument);
    return arguments;
  }
};

TEST_P(BarePlayerWithoutBook, SaysWhatIsWrongAndFailsWithoutWorkingFolder) {
  fs::path player = BarePlayer();
  if (GetParam().screenSaver) {
    player = root_ / "bin" / "bare.scr";
    fs::copy_file(BarePlayer(), player);
  }
  auto process = Start(player, Arguments());
  EXPECT_EQ(process->WaitForExit(), GetParam().exitCode);
  EXPECT_NE(ReadFile(Output()).find(GetParam().message), std::string::npos) << ReadFile(Output());
  EXPECT_TRUE(TmpIsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, BarePlayerWithoutBook,
    testing::Values(
        NoBookCase{"NoFile",
                   {},
                   1,
                   "This player carries no book. Start it with a book file: bookstub-player BOOK"},
        NoBookCase{"TextFile", {"{text}"}, 1, "notes.txt\" carries no book"},
        NoBookCase{"ItsOwnFile", {"{self}"}, 1, "bookstub-player\" carries no book"},
        NoBookCase{"ScreenSaver", {"/S"}, 1, "screen saver carries no book", true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RunModeProcessTest, BarePlayerAnswersVersionAndHelpWithoutWorkingFolder) {
  auto version = Start(BarePlayer(), {"--version"});
  EXPECT_EQ(version->WaitForExit(), 0);
  EXPECT_TRUE(ReadFile(Output()).starts_with("bookstub-player " BOOKSTUB_EXPECTED_VERSION
                                             "\nFlash emulator: Ruffle "))
      << ReadFile(Output());
  auto help = Start(BarePlayer(), {"--help"});
  EXPECT_EQ(help->WaitForExit(), 0);
  EXPECT_TRUE(ReadFile(Output()).starts_with("Usage: bookstub-player BOOK")) << ReadFile(Output());
  EXPECT_TRUE(TmpIsEmpty());
}

// An error nobody catches ends the process through std::terminate, past the window's
// destructor: the working folder goes all the same, also while the split still writes into it.
class AbruptExitTest : public RunModeProcessTest,
                       public testing::WithParamInterface<const char*> {};

TEST_P(AbruptExitTest, WorkingFolderIsRemovedWhenAnErrorNobodyCatchesEndsThePlayer) {
  const fs::path book = root_ / "bin" / "book";
  testsupport::BuildBook(AppendedBook(40)).WriteTo(book);
  auto process = Start(BOOKSTUB_ABRUPT_EXIT_HARNESS_PATH, {book.string(), GetParam()});
  ASSERT_TRUE(process->Ended());
  EXPECT_TRUE(WorkingFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(Moments, AbruptExitTest,
                         testing::Values("while-loading", "when-shown", "two-exits"),
                         [](const auto& info) {
                           const std::string moment = info.param;
                           if (moment == "while-loading") return "WhileLoading";
                           return moment == "when-shown" ? "WhenShown" : "TwoThreadsExitAtOnce";
                         });

// The start-up errors: an Error ends the run with the "Application Error" box (on standard
// error without a display) and a failure exit, after its line went into the window's log while
// that still existed; an error of another kind passes through as any error nobody catches.
TEST_F(RunModeProcessTest, WorkingFolderThatCannotBeMadeEndsTheRunAsAFailure) {
  const fs::path notAFolder = root_ / "not-a-folder";
  std::ofstream(notAFolder) << "a file where the temporary folder should be";
  auto process = Start(Player(), {}, {"TMPDIR=" + notAFolder.string()});
  EXPECT_EQ(process->WaitForExit(), EXIT_FAILURE);
  EXPECT_THAT(ReadFile(Output()), testing::HasSubstr("Application Error: "));
}

class StartupErrorTest : public RunModeProcessTest,
                         public testing::WithParamInterface<const char*> {
 protected:
  bool GeneralError() const { return std::string(GetParam()) == "error"; }
};

TEST_P(StartupErrorTest, OnlyTheGeneralErrorIsLoggedAndShownWhileTheLogExists) {
  const fs::path book = root_ / "bin" / "book";
  testsupport::BuildBook(AppendedBook(40)).WriteTo(book);
  const fs::path logCopy = root_ / "log-copy.txt";
  auto process =
      Start(BOOKSTUB_STARTUP_ERROR_HARNESS_PATH, {book.string(), logCopy.string(), GetParam()});
  ASSERT_TRUE(process->Ended());
  const std::string log = ReadFile(logCopy);
  const std::string errorOutput = ReadFile(Output());
  if (GeneralError()) {
    EXPECT_EQ(process->WaitForExit(), EXIT_FAILURE);
    EXPECT_THAT(log, testing::HasSubstr("    [Application]: Error:injected failure\r\n"));
    EXPECT_THAT(errorOutput, testing::HasSubstr("Application Error: injected failure\n"));
  } else {
    EXPECT_EQ(process->WaitForExit(), std::nullopt) << "ends as an error nobody catches";
    EXPECT_THAT(log, testing::Not(testing::HasSubstr("[Application]")));
    EXPECT_THAT(errorOutput, testing::Not(testing::HasSubstr("Application Error")));
    EXPECT_THAT(errorOutput, testing::HasSubstr("injected failure of another kind"));
  }
  EXPECT_TRUE(WorkingFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, StartupErrorTest, testing::Values("error", "other"),
                         [](const auto& info) {
                           return std::string(info.param) == "error" ? "GeneralError"
                                                                     : "OtherError";
                         });

// A book that cannot be played ends the run as a failure: the error in the "Application Error"
// box (on standard error without a display), exit status 1, and no working folder, whether the
// package cannot be read at all or its split fails halfway, and whether the book is the
// player's own or a file given to the bare player.
struct BrokenBookCase {
  const char* label;
  bool bare;
  bool halfway;  // the documents are read; a page's file lies past the end of the package
};

void PrintTo(const BrokenBookCase& c, std::ostream* os) {
  *os << c.label;
}

class BrokenBook : public RunModeProcessTest, public testing::WithParamInterface<BrokenBookCase> {
 protected:
  fs::path WriteBrokenBook(const fs::path& file) const {
    if (GetParam().halfway) {
      testsupport::BookSpec contents = AppendedBook(3);
      contents.pages.back().elements.emplace_back(
          "img", testsupport::FileSpec{"res/pages/lost.swf", "", BlobAddress{0x7FFFFF00u, 0x100u}});
      testsupport::BuildBook(contents).WriteTo(file);
    } else {
      // A package as its end describes one, whose documents are no XML.
      const std::string unreadable("<no\x03\0\0\0<no\x03\0\0\0", 14);
      std::ofstream(file, std::ios::binary) << ReadFile(BOOKSTUB_PLAYER_PATH) << unreadable;
    }
    fs::permissions(file, fs::perms::owner_all);
    return file;
  }
};

TEST_P(BrokenBook, EndsTheRunAsAFailureWithoutItsFolder) {
  const fs::path book = WriteBrokenBook(root_ / "bin" / "broken-book");
  auto process = GetParam().bare ? Start(BarePlayer(), {book.string()}) : Start(book, {});
  EXPECT_EQ(process->WaitForExit(), EXIT_FAILURE) << ReadFile(Output());
  EXPECT_THAT(ReadFile(Output()), testing::HasSubstr("Application Error: The book in \"" +
                                                     book.string() + "\" cannot be played: "));
  EXPECT_TRUE(WorkingFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(Books, BrokenBook,
                         testing::Values(BrokenBookCase{"UnreadableFileGivenToTheBarePlayer", true,
                                                        false},
                                         BrokenBookCase{"UnreadablePackagedBook", false, false},
                                         BrokenBookCase{"PackagedBookFailingHalfway", false, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// Without a display the player says so in one line and fails; the toolkit does not abort (no
// core file), and no working folder is made.
class WithoutDisplay : public RunModeProcessTest,
                       public testing::WithParamInterface<const char*> {};

TEST_P(WithoutDisplay, OneLineAndAFailureWithoutWorkingFolder) {
  const std::string display = GetParam();
  // An empty platform variable leaves the choice to the toolkit, as when it is not set.
  auto process =
      Start(Player(), {}, {"QT_QPA_PLATFORM=", "WAYLAND_DISPLAY=", "DISPLAY=" + display});
  EXPECT_EQ(process->WaitForExit(), EXIT_FAILURE) << "ended by a signal, or hung";
  const std::string output = ReadFile(Output());
  EXPECT_THAT(output, testing::StartsWith("Bookstub: cannot open the display"));
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
  if (!display.empty()) {
    EXPECT_THAT(output, testing::HasSubstr("\"" + display + "\""));
  }
  EXPECT_TRUE(TmpIsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Displays, WithoutDisplay, testing::Values("", ":4093"),
                         [](const auto& info) {
                           return std::string(info.param).empty() ? "NoneSet" : "NoServerThere";
                         });

// The bare player given a file without a book, with a display that cannot be opened: the
// message about the book on standard error, as with no display at all.
TEST_F(RunModeProcessTest, BarePlayerWithoutBookOrReachableDisplaySaysWhatIsWrong) {
  std::ofstream(root_ / "notes.txt") << "Not a book at all.\n";
  auto process =
      Start(BarePlayer(), {(root_ / "notes.txt").string()}, {"QT_QPA_PLATFORM=", "DISPLAY=:4093"});
  EXPECT_EQ(process->WaitForExit(), 1);
  const std::string output = ReadFile(Output());
  EXPECT_THAT(output, testing::StartsWith("Bookstub: "));
  EXPECT_THAT(output, testing::HasSubstr("notes.txt\" carries no book"));
  EXPECT_TRUE(TmpIsEmpty());
}

// Every signal whose default action ends the process removes the working folder, and the player
// still dies of that signal. (Each signal, as the kernel and other processes send it, is checked
// on the clean-up itself; here the player arms it for them.)
class EndingSignal : public RunModeProcessTest, public testing::WithParamInterface<int> {};

TEST_P(EndingSignal, RemovesTheFolderAndTheSignalEndsThePlayer) {
  auto process = Start(Player(), {});
  ASSERT_TRUE(WaitForSplit(*process));
  process->Signal(GetParam());
  EXPECT_EQ(process->WaitForSignal(), GetParam());
  EXPECT_TRUE(WorkingFolders().empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignal, testing::Values(SIGQUIT, SIGUSR1, SIGPWR),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// A broken pipe is the one such signal the player ignores: a write to a connection nobody reads
// (the display's, once gone) fails instead, and the player plays on until it is ended.
TEST_F(RunModeProcessTest, ABrokenPipeDoesNotEndThePlayer) {
  auto process = Start(Player(), {});
  ASSERT_TRUE(WaitForSplit(*process));
  process->Signal(SIGPIPE);  // delivered before the SIGTERM sent after it
  process->Terminate();
  EXPECT_EQ(process->WaitForExit(), 0);
  EXPECT_TRUE(WorkingFolders().empty());
}

// A killed player (SIGKILL, a power cut, the out-of-memory killer) leaves its folder: the next
// player removes it, but never the folder of a player that still runs.
TEST_F(RunModeProcessTest, TheNextPlayerRemovesTheFolderOfAKilledOneButNotOfARunningOne) {
  auto killed = Start(Player(), {});
  ASSERT_TRUE(WaitForSplit(*killed));
  const fs::path left = WorkingFolders().front();
  killed->Signal(SIGKILL);
  ASSERT_TRUE(killed->Ended());
  ASSERT_TRUE(fs::exists(left / "files" / "book.swf"));

  auto running = Start(Player(), {});
  ASSERT_TRUE(WaitForWorkingFolders(1, *running));
  const auto giveUp = std::chrono::steady_clock::now() + testsupport::ChildProcess::kGiveUp;
  while (fs::exists(left) && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(fs::exists(left)) << "the killed player's folder";
  ASSERT_TRUE(WaitForSplit(*running));
  const fs::path kept = WorkingFolders().front();

  auto next = Start(Player(), {});
  ASSERT_TRUE(WaitForWorkingFolders(2, *next));
  const fs::path log = [&] {
    for (const fs::path& folder : WorkingFolders())
      if (folder != kept) return folder / "files" / "Log" / "log1.txt";
    return fs::path();
  }();
  while (ReadFile(log).find("Finish SplitPages") == std::string::npos && next->Running())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(fs::exists(kept / "files" / "book.swf")) << "a running player's folder";
  running->Terminate();
  next->Terminate();
  EXPECT_EQ(running->WaitForExit(), 0);
  EXPECT_EQ(next->WaitForExit(), 0);
  EXPECT_TRUE(WorkingFolders().empty());
}

}  // namespace
