// bookstub-player: shows the book package appended to its own executable file.

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "app/FormLogic.h"
#include "app/Main.h"
#include "log/ZanLog.h"
#include "platform/Os.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtTermination.h"
#include "platform/ruffle/RuffleFlashHost.h"

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

void ReportStartupError(const std::string& message) {
  LogMessage("[Application]: Error:" + message);
  platform::ShowErrorBox(message, "Application Error");
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before any thread starts: the book unpacked into the working folder is nobody else's.
  platform::KeepNewFilesPrivate();
  const std::string argument1 = argc > 1 ? argv[1] : "";
  try {
    // The name the player was started under decides the mode (a link named *.scr counts).
    const std::string executable =
        argc > 0 ? std::string(argv[0]) : platform::RunningExecutablePath().string();
    const RunMode mode = DecideRunMode(executable, argument1);
    if (mode == RunMode::NoWindow) return EXIT_SUCCESS;

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
    QApplication application(toolkitArgc, argv);
    try {
      TMainForm form({platform::RunningExecutablePath(), mode, ChooseFlashHost()});
      platform::CallOnTerminationRequest([&form] { form.close(); });
      form.show();
      return application.exec();
    } catch (const std::exception& error) {
      ReportStartupError(error.what());  // while the application object can still show a box
      return EXIT_FAILURE;
    }
  } catch (const std::exception& error) {
    ReportStartupError(error.what());
    return EXIT_FAILURE;
  }
}
