#include "app/Application.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "log/ZanLog.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtTermination.h"
#include "util/Error.h"

void LogApplicationError(const Error& error) {
  LogMessage(std::string("[Application]: Error:") + error.what());
}

void ShowApplicationError(const Error& error) {
  platform::ShowErrorBox(error.what(), "Application Error");
}

int RunMainWindow(TMainFormOptions options) {
  std::unique_ptr<TMainForm> form;
  // Declared after the window, so it goes first on every way out: no request may reach a
  // window that is gone.
  std::unique_ptr<platform::TerminationRequestHandler> termination;
  try {
    options.onLoadFailure = [] { QCoreApplication::exit(EXIT_FAILURE); };
    form = std::make_unique<TMainForm>(std::move(options));
    termination = std::make_unique<platform::TerminationRequestHandler>([&form] { form->close(); });
    form->Start();
    const int result = QApplication::exec();
    if (form->LoadFailure().empty()) return result;
    // The book cannot be played: the box comes over the loading window, once nothing of the
    // book is left (a request to stop now ends the process at once).
    const Error error(form->LoadFailure());
    LogApplicationError(error);
    form->RemoveWorkingFolder();
    termination.reset();
    ShowApplicationError(error);
    return EXIT_FAILURE;
  } catch (const Error& error) {
    LogApplicationError(error);
    termination.reset();
    form.reset();
    // The box runs an event loop of its own: by now nothing of the book is left behind.
    ShowApplicationError(error);
    return EXIT_FAILURE;
  }
}
