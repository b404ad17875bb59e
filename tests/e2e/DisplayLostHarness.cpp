// Plays a book in the player's window with the Flash emulator on an X display, and takes the
// display away at one of two moments in which the window would start the emulator:
//  - drawn: as the loading window is first drawn, just before the window starts the emulator
//    while the book is split;
//  - loaded: before that, and just before the window gets the book's "loaded" message.
// The server is ended, and the window goes on once the display's connection has seen the server
// go, before the toolkit has handled that (the order in which a lost display and the window's
// own work can come). Marks in MARKER whether the window started the emulator after the server
// went; the run then ends as any run on a lost display does. The lost-display test checks that it
// ends without a crash and that the working folder went.
// usage: display-lost-harness <book file> <marker file> drawn|loaded

#include <signal.h>
#include <sys/socket.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>

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

// Queues `then` at the first drawing of `widget`'s window. Filters installed later see events
// first: `then` is queued ahead of what the window queues for the same event.
class FirstDrawing : public QObject {
 public:
  FirstDrawing(const QWidget& widget, std::function<void()> then)
      : widget_(widget), then_(std::move(then)) {
    QApplication::instance()->installEventFilter(this);
  }
  ~FirstDrawing() override { QApplication::instance()->removeEventFilter(this); }
  FirstDrawing(const FirstDrawing&) = delete;
  FirstDrawing& operator=(const FirstDrawing&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (then_ && event->type() == QEvent::Expose && watched == widget_.windowHandle())
      QTimer::singleShot(0, std::exchange(then_, nullptr));
    return false;
  }

 private:
  const QWidget& widget_;
  std::function<void()> then_;
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 4) return EXIT_FAILURE;
  const std::string marker = argv[2];
  const std::string moment = argv[3];
  if (moment != "drawn" && moment != "loaded") return EXIT_FAILURE;
  platform::PrepareFlashHostProcess();
  int toolkitArgc = 1;
  QApplication application(toolkitArgc, argv);
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  const pid_t server = x11 != nullptr ? DisplayServer(x11->connection()) : -1;
  if (server <= 0) return EXIT_FAILURE;
  bool serverEnded = false;
  TMainForm form({argv[1], RunMode::Window, [&](QWidget* parent, QMenu* menu) {
                    if (serverEnded) std::ofstream(marker) << "the emulator was started";
                    return platform::CreateRuffleFlashHost(parent, menu);
                  }});
  const auto endServer = [&] {
    ::kill(server, SIGTERM);
    serverEnded = true;
    // The toolkit's reader thread sees the connection break; the window's thread, held here,
    // has not handled that yet when the window goes on.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (xcb_connection_has_error(x11->connection()) == 0 &&
           std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  };
  const FirstDrawing drawing(form, moment == "drawn" ? std::function<void()>(endServer) : nullptr);
  if (moment == "loaded") {
    // Queued before the window is shown: it runs before the window is drawn.
    QTimer::singleShot(0, [&] {
      endServer();
      form.Send(BookMessage{WM_BOOK_LOADED, 0, 0, {}});
    });
  }
  form.Start();
  return QApplication::exec();
}
