// Plays a book in the player's window, then ends the process the abrupt way: an exception that
// nobody catches, thrown from the event loop either at once (the book is still being split) or
// once the book is shown; or two threads calling exit at almost the same moment while the book
// is split, as when several notice a lost display. The test that starts it checks that the
// working folder went anyway.
// usage: abrupt-exit-harness <book file> while-loading|when-shown|two-exits

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/Main.h"
#include "package/uPathGetter.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return EXIT_FAILURE;
  const std::string moment = argv[2];
  const bool whileLoading = moment != "when-shown";
  int toolkitArgc = 1;
  QApplication application(toolkitArgc, argv);
  TMainForm form({argv[1], RunMode::Window, {}});
  form.show();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!(whileLoading ? RunFolderReady() : form.BookShown())) return;
    if (moment != "two-exits") throw std::runtime_error("an error nobody catches");
    std::thread([] { std::exit(EXIT_FAILURE); }).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::exit(EXIT_FAILURE);
  });
  poll.start(10);
  return application.exec();
}
