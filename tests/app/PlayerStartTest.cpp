#include "app/PlayerStart.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

using TAction = TPlayerStart::TAction;
using TKind = TPackageProbe::TKind;

const std::string kBook = "/home/me/old-book.exe";
const std::string kNotABook = "/home/me/notes.txt";
const std::string kMissing = "/home/me/gone.exe";

struct StartCase {
  const char* label;
  bool ownBook;  // the running player carries a package
  std::string executable;
  std::vector<std::string> arguments;
  TAction action;
  RunMode mode = RunMode::Window;
  std::string book;           // Play: the file opened; "own" stands for the player's own file
  int exitCode = 0;           // Exit and Fail
  std::string messagePart{};  // Fail: a part of the message
};

void PrintTo(const StartCase& c, std::ostream* os) {
  *os << c.label;
}

constexpr const char* kOwnFile = "/usr/bin/bookstub-player";

class PlayerStartDecision : public testing::TestWithParam<StartCase> {
 protected:
  TPlayerStart Decide() const {
    const StartCase& c = GetParam();
    const std::map<std::string, TPackageProbe> files{
        {kOwnFile, {c.ownBook ? TKind::Carries : TKind::None, {}}},
        {kBook, {TKind::Carries, {}}},
        {"-book", {TKind::Carries, {}}},
        {kNotABook, {TKind::None, {}}},
        {kMissing, {TKind::Unreadable, "Cannot open \"" + kMissing + "\": no such file"}}};
    return DecidePlayerStart(
        kOwnFile, c.executable, c.arguments, [&files](const std::filesystem::path& file) {
          const auto found = files.find(file.string());
          return found != files.end() ? found->second
                                      : TPackageProbe{TKind::Unreadable, "unknown file"};
        });
  }
};

TEST_P(PlayerStartDecision, PlaysAnswersOrRefuses) {
  const StartCase& c = GetParam();
  const TPlayerStart start = Decide();
  ASSERT_EQ(start.action, c.action) << start.message;
  switch (c.action) {
    case TAction::Play:
      EXPECT_EQ(start.mode, c.mode);
      EXPECT_EQ(start.book, c.book == "own" ? kOwnFile : c.book);
      break;
    case TAction::Exit:
    case TAction::Fail:
    case TAction::ChooseBook:
      EXPECT_EQ(start.exitCode, c.exitCode);
      EXPECT_NE(start.exitCode == 0, c.action != TAction::Exit);
      EXPECT_NE(start.message.find(c.messagePart), std::string::npos) << start.message;
      break;
    case TAction::PrintVersion:
    case TAction::PrintHelp:
      break;
  }
}

const std::string kPlayer = "bookstub-player";
const std::string kScr = "/opt/x.SCR";

StartCase Plays(const char* label, bool ownBook, std::string executable,
                std::vector<std::string> arguments, RunMode mode, std::string book) {
  return {label,
          ownBook,
          std::move(executable),
          std::move(arguments),
          TAction::Play,
          mode,
          std::move(book),
          0,
          ""};
}

StartCase Ends(const char* label, bool ownBook, std::string executable,
               std::vector<std::string> arguments, TAction action, int exitCode = 0,
               std::string messagePart = "") {
  return {label, ownBook,  std::move(executable), std::move(arguments), action, RunMode::Window,
          "",    exitCode, std::move(messagePart)};
}

INSTANTIATE_TEST_SUITE_P(
    Starts, PlayerStartDecision,
    testing::Values(
        // A player with its book plays it whatever it is given, as it always did.
        Plays("OwnBook", true, kPlayer, {}, RunMode::Window, "own"),
        Plays("OwnBookIgnoresFile", true, kPlayer, {kBook}, RunMode::Window, "own"),
        Plays("OwnBookIgnoresVersion", true, kPlayer, {"--version"}, RunMode::Window, "own"),
        Plays("OwnBookIgnoresUnknownOption", true, kPlayer, {"-x", "y"}, RunMode::Window, "own"),
        Plays("OwnBookScreenSaver", true, kScr, {"/s"}, RunMode::ScreenSaver, "own"),
        Plays("OwnBookScreenSaverIgnoresFile", true, kScr, {"/S", kBook}, RunMode::ScreenSaver,
              "own"),
        Ends("ScreenSaverConfigure", true, kScr, {"/c"}, TAction::Exit),
        // The screen-saver rules hold for the bare player too.
        Ends("BareScreenSaverConfigure", false, kScr, {"/c:12"}, TAction::Exit),
        Ends("BareScreenSaverGivenFile", false, kScr, {kBook}, TAction::Exit),
        Ends("BareScreenSaver", false, kScr, {"/S"}, TAction::Fail, kPlayerExitNoBook,
             "carries no book"),
        // The bare player: a book file, or an option.
        Plays("BareWithBookFile", false, kPlayer, {kBook}, RunMode::Window, kBook),
        Plays("BareWithBookAfterDashes", false, kPlayer, {"--", "-book"}, RunMode::Window, "-book"),
        Ends("BareVersion", false, kPlayer, {"--version"}, TAction::PrintVersion),
        Ends("BareVersionWithMore", false, kPlayer, {"--version", "x"}, TAction::PrintVersion),
        Ends("BareHelp", false, kPlayer, {"--help"}, TAction::PrintHelp),
        Ends("BareShortHelp", false, kPlayer, {"-h"}, TAction::PrintHelp),
        // Started from the menu: the file dialog, and without a display the message.
        Ends("BareWithoutFile", false, kPlayer, {}, TAction::ChooseBook, kPlayerExitNoBook,
             "This player carries no book. Start it with a book file: bookstub-player BOOK"),
        Ends("BareWithFileWithoutBook", false, kPlayer, {kNotABook}, TAction::Fail,
             kPlayerExitNoBook, "\"" + kNotABook + "\" carries no book"),
        Ends("BareWithMissingFile", false, kPlayer, {kMissing}, TAction::Fail, kPlayerExitNoBook,
             "Cannot open \"" + kMissing + "\""),
        Ends("BareUnknownOption", false, kPlayer, {"--fullscreen"}, TAction::Fail, kPlayerExitUsage,
             "Unknown option \"--fullscreen\""),
        Ends("BareDashesAlone", false, kPlayer, {"--"}, TAction::Fail, kPlayerExitUsage,
             "No book file"),
        Ends("BareTwoFiles", false, kPlayer, {kBook, kBook}, TAction::Fail, kPlayerExitUsage,
             "one book file")),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.label; });

}  // namespace
