// bookstub-player: shows the book package appended to its own executable file, or, when nothing
// is appended to it (the player as installed), the book appended to the file it is given or,
// given none, the one the user picks.

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/Application.h"
#include "app/FormLogic.h"
#include "app/PlayerStart.h"
#include "package/PackageProbe.h"
#include "platform/Image.h"
#include "platform/Os.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtOpenBookDialog.h"
#include "platform/ruffle/RuffleFlashHost.h"
#include "util/Error.h"
#include "util/Version.h"

namespace {

constexpr std::string_view kScreenSaverLockName = "ZantrelScreenSaver";

// The emulator plays the movie unless BOOKSTUB_FLASH_HOST is "none" (tests of the window that
// need no movie).
bool FlashEmulatorWanted() {
  const char* host = std::getenv("BOOKSTUB_FLASH_HOST");
  return host == nullptr || std::string_view(host) != "none";
}

FlashHostFactory ChooseFlashHost() {
  if (!FlashEmulatorWanted()) {
    return
        [](QWidget* parent, QMenu* menu) { return platform::CreateEmptyFlashHost(parent, menu); };
  }
  return [](QWidget* parent, QMenu* menu) { return platform::CreateRuffleFlashHost(parent, menu); };
}

// Without any display the toolkit would end the process before the box shows: the text goes to
// stderr instead.
bool DisplayExpected() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Before any window or working folder: the start cannot play a book.
int ReportNoBook(const TPlayerStart& start) {
  if (DisplayExpected()) {
    char name[] = "bookstub-player";
    char* toolkitArgv[] = {name, nullptr};
    int toolkitArgc = 1;
    // A display that cannot be opened gets the message on stderr, as without any display.
    const auto application = platform::OpenApplication(
        toolkitArgc, toolkitArgv, {"Bookstub: " + start.message, start.exitCode});
    platform::ShowErrorBox(start.message, "Bookstub");
  } else {
    platform::ShowMessageBox(start.message, "Bookstub");
  }
  return start.exitCode;
}

// The file dialog until the user picks a book or cancels; a file that carries no book is said so
// and the dialog comes again. Needs the application object.
std::optional<std::filesystem::path> AskForBook() {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::current_path(ec);
  for (;;) {
    const std::optional<std::filesystem::path> chosen = platform::AskForBookFile(folder);
    if (!chosen) return std::nullopt;
    const TPlayerStart start = DecideBookFile(*chosen, ProbePackage);
    if (start.action == TPlayerStart::TAction::Play) return std::filesystem::absolute(start.book);
    platform::ShowErrorBox(start.message, "Bookstub");
    folder = chosen->parent_path();
  }
}

TPlayerStart DecideStart(int argc, char* argv[]) {
  // The name the player was started under decides the mode (a link named *.scr counts).
  const std::filesystem::path ownFile = platform::RunningExecutablePath();
  const std::string executable = argc > 0 ? std::string(argv[0]) : ownFile.string();
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  TPlayerStart start = DecidePlayerStart(ownFile, executable, arguments, ProbePackage);
  // The working folder's log and the loader must find the book whatever folder they run in.
  if (start.action == TPlayerStart::TAction::Play)
    start.book = std::filesystem::absolute(start.book);
  return start;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before any thread starts: the book unpacked into the working folder is nobody else's, and a
  // display that goes away ends the run through the toolkit, never by a signal.
  platform::KeepNewFilesPrivate();
  platform::IgnoreBrokenPipes();
  platform::PrepareImageLibrary();
  try {
    const TPlayerStart start = DecideStart(argc, argv);
    switch (start.action) {
      case TPlayerStart::TAction::Play:
        break;
      case TPlayerStart::TAction::Exit:
        return start.exitCode;
      case TPlayerStart::TAction::PrintVersion:
        std::cout << VersionText("bookstub-player") << std::endl;
        return EXIT_SUCCESS;
      case TPlayerStart::TAction::PrintHelp:
        std::cout << PlayerHelpText() << std::flush;
        return EXIT_SUCCESS;
      case TPlayerStart::TAction::Fail:
        return ReportNoBook(start);
      case TPlayerStart::TAction::ChooseBook:
        if (!DisplayExpected()) return ReportNoBook(start);
        break;
    }
    const RunMode mode = start.mode;

    // Held until the process ends.
    std::unique_ptr<platform::NamedLock> screenSaverLock;
    if (mode == RunMode::ScreenSaver) {
      screenSaverLock = platform::CreateNamedLock(kScreenSaverLockName);
      if (screenSaverLock->AlreadyExists()) return EXIT_SUCCESS;
    }

    if (FlashEmulatorWanted()) platform::PrepareFlashHostProcess();
    // The toolkit and the browser engine see argument 0 alone: their own options (-platform,
    // -style, engine switches) are not the player's to take.
    int toolkitArgc = std::min(argc, 1);
    // Without a display the run ends here, with one line: no working folder exists yet.
    const auto application = platform::OpenApplication(toolkitArgc, argv);
    std::filesystem::path book = start.book;
    if (start.action == TPlayerStart::TAction::ChooseBook) {
      // Started from the desktop's menu: the book comes from the file dialog.
      if (!platform::CanShowDialogs()) {
        platform::ShowErrorBox(start.message, "Bookstub");
        return start.exitCode;
      }
      const std::optional<std::filesystem::path> chosen = AskForBook();
      if (!chosen) return EXIT_SUCCESS;
      book = *chosen;
    }
    TMainFormOptions options{book, mode, ChooseFlashHost()};
    // OpenGL is asked how it draws once the loading window is on screen, before any working
    // folder exists: not while the book is split or shown, when the display may go during the
    // question (the drivers crash on a connection that breaks under them).
    if (FlashEmulatorWanted()) options.beforeWorkingFolder = platform::PrepareFlashHostDrawing;
    return RunMainWindow(std::move(options));
  } catch (const Error& error) {
    // Before the window: there is no log yet.
    ShowApplicationError(error);
    return EXIT_FAILURE;
  }
}
