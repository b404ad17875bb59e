// Plays a book in the player's window, then ends the process the abrupt way: an exception that
// nobody catches, thrown from the event loop either at once (the book is still being split) or
// once the book is shown. The test that starts it checks that the working folder went anyway.
// usage: abrupt-exit-harness <book file> while-loading|when-shown

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "app/Main.h"
#include "package/uPathGetter.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return EXIT_FAILURE;
  const bool whileLoading = std::string(argv[2]) == "while-loading";
  int toolkitArgc = 1;
  QApplication application(toolkitArgc, argv);
  TMainForm form({argv[1], RunMode::Window, {}});
  form.show();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (whileLoading ? RunFolderReady() : form.BookShown())
      throw std::runtime_error("an error nobody catches");
  });
  poll.start(10);
  return application.exec();
}
