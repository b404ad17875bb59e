// Runs the player's window on a book the way the player does, and fails on purpose once the
// window's log exists: an Error, or an error of another kind, escapes the event loop. Before it
// throws it links the log to <log copy>, so the test still reads the log after the working
// folder, log included, is gone.
// usage: startup-error-harness <book file> <log copy> error|other

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/Application.h"
#include "package/uPathGetter.h"
#include "util/Error.h"

int main(int argc, char* argv[]) {
  if (argc != 4) return EXIT_FAILURE;
  const std::filesystem::path logCopy = argv[2];
  const bool generalError = std::string(argv[3]) == "error";
  int toolkitArgc = 1;
  QApplication application(toolkitArgc, argv);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    std::error_code ec;
    if (!RunFolderReady() || !std::filesystem::exists(GetLogFilePath(true), ec)) return;
    poll.stop();
    std::filesystem::create_hard_link(GetLogFilePath(true), logCopy);
    if (generalError) throw Error("injected failure");
    throw std::runtime_error("injected failure of another kind");
  });
  poll.start(10);
  return RunMainWindow({argv[1], RunMode::Window, {}});
}
