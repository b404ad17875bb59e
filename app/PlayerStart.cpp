#include "app/PlayerStart.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStartWithBook = "Start it with a book file: bookstub-player BOOK";

TPlayerStart Fail(std::string message, int exitCode) {
  TPlayerStart start;
  start.action = TPlayerStart::TAction::Fail;
  start.message = std::move(message);
  start.exitCode = exitCode;
  return start;
}

TPlayerStart Play(fs::path book, RunMode mode) {
  TPlayerStart start;
  start.action = TPlayerStart::TAction::Play;
  start.mode = mode;
  start.book = std::move(book);
  return start;
}

TPlayerStart Answer(TPlayerStart::TAction action) {
  TPlayerStart start;
  start.action = action;
  return start;
}

// The bare player in window mode: one book file, or an option that needs no book.
TPlayerStart DecideBareStart(const std::vector<std::string>& arguments,
                             const PackageProbeFunction& probe) {
  if (arguments.empty()) {
    TPlayerStart start =
        Fail("This player carries no book. " + std::string(kStartWithBook), kPlayerExitNoBook);
    start.action = TPlayerStart::TAction::ChooseBook;
    return start;
  }
  std::size_t fileIndex = 0;
  const std::string& first = arguments.front();
  if (first == "--version") return Answer(TPlayerStart::TAction::PrintVersion);
  if (first == "--help" || first == "-h") return Answer(TPlayerStart::TAction::PrintHelp);
  if (first == "--") {
    fileIndex = 1;
  } else if (first.starts_with("-")) {
    return Fail("Unknown option \"" + first + "\". " + std::string(kStartWithBook) +
                    " (--help tells more).",
                kPlayerExitUsage);
  }
  if (fileIndex >= arguments.size())
    return Fail("No book file after \"--\". " + std::string(kStartWithBook), kPlayerExitUsage);
  if (arguments.size() > fileIndex + 1)
    return Fail("The player opens one book file at a time. " + std::string(kStartWithBook),
                kPlayerExitUsage);

  return DecideBookFile(arguments[fileIndex], probe);
}

}  // namespace

TPlayerStart DecideBookFile(const fs::path& book, const PackageProbeFunction& probe) {
  const TPackageProbe found = probe(book);
  switch (found.kind) {
    case TPackageProbe::TKind::Carries:
      return Play(book, RunMode::Window);
    case TPackageProbe::TKind::Unreadable:
      return Fail(found.reason, kPlayerExitNoBook);
    case TPackageProbe::TKind::None:
      break;
  }
  return Fail(CarriesNoBookMessage(book), kPlayerExitNoBook);
}

TPlayerStart DecidePlayerStart(const fs::path& ownFile, std::string_view executableName,
                               const std::vector<std::string>& arguments,
                               const PackageProbeFunction& probe) {
  const RunMode mode =
      DecideRunMode(executableName, arguments.empty() ? std::string_view() : arguments.front());
  if (mode == RunMode::NoWindow) return {};
  if (probe(ownFile).kind == TPackageProbe::TKind::Carries) return Play(ownFile, mode);
  if (mode == RunMode::ScreenSaver)
    return Fail(
        "This screen saver carries no book: only a player with a book appended to it "
        "runs as a screen saver.",
        kPlayerExitNoBook);
  return DecideBareStart(arguments, probe);
}

std::string PlayerHelpText() {
  return R"(Usage: bookstub-player BOOK
  or:  bookstub-player --version | --help

Plays a book: a player executable with a book package appended to it. The player opens the
book full screen (Esc leaves full screen; the right mouse button offers "Fullscreen" and
"Exit") and unpacks it into a new private working folder in the temporary folder (TMPDIR),
which it deletes when it closes.

  BOOK        a book file, for example one made with `bookstub pack`, or a book executable
              made for another platform (old-book.exe): its appended book is played as it is,
              without converting the file
  --          ends the options (for a BOOK whose name begins with "-")
  --version   prints the player's version and the Flash emulator's, then ends
  --help, -h  prints this text, then ends

Started without BOOK on a display (from the desktop's menu), the player asks for a book file
("Open a book") and plays the one chosen; Cancel ends it with status 0. Without a display it
says that it carries no book.

A player that carries its own book (made with `bookstub pack --player bookstub-player ...`)
plays that book and ignores these arguments. Such a player, renamed to end in .scr, runs as a
screen saver when started with /S (any other argument, or none, ends it at once).

Environment: TMPDIR (where the working folder goes), BOOKSTUB_FLASH_HOST=none (no Flash
emulator: an empty window).

Exit status: 0 when the book was closed normally, an option was answered or the file dialog
was cancelled; 1 when there is no book to play (no BOOK without a display, or a BOOK that
carries none or cannot be read); 2 for a wrong option or more than one BOOK.
)";
}
