// Plays a book in the player's window with the Flash emulator on an X display, and takes the
// display away just before the window gets the book's "loaded" message: the server is ended, and
// the window gets the message once the display's connection has seen the server go, before the
// toolkit has handled that (the order in which a lost display and the loader's message can
// come). Marks in MARKER whether the window went on to start the emulator; the run then ends as
// any run on a lost display does. The lost-display test checks that it ends without a crash and
// that the working folder went.
// usage: display-lost-harness <book file> <marker file>

#include <signal.h>
#include <sys/socket.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "app/Main.h"
#include "package/BookMessages.h"
#include "platform/ruffle/RuffleFlashHost.h"

namespace {

// The display server's process: the peer of the display connection's socket.
pid_t DisplayServer(xcb_connection_t* connection) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (::getsockopt(xcb_get_file_descriptor(connection), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
    return -1;
  return peer.pid;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) return EXIT_FAILURE;
  const std::string marker = argv[2];
  platform::PrepareFlashHostProcess();
  int toolkitArgc = 1;
  QApplication application(toolkitArgc, argv);
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  const pid_t server = x11 != nullptr ? DisplayServer(x11->connection()) : -1;
  if (server <= 0) return EXIT_FAILURE;
  TMainForm form({argv[1], RunMode::Window, [&](QWidget* parent, QMenu* menu) {
                    std::ofstream(marker) << "the emulator was started";
                    return platform::CreateRuffleFlashHost(parent, menu);
                  }});
  form.Start();
  QTimer::singleShot(0, [&] {
    ::kill(server, SIGTERM);
    // The toolkit's reader thread sees the connection break; the window's thread, held here,
    // has not handled that yet when the message comes.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (xcb_connection_has_error(x11->connection()) == 0 &&
           std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    form.Send(BookMessage{WM_BOOK_LOADED, 0, 0, {}});
  });
  return QApplication::exec();
}
