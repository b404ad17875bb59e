#include "platform/qt/QtApplication.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct HeldMessage {
  QtMsgType type;
  std::string category;
  QString text;
};

// A message handler takes no argument of ours: what it needs is here, while the application
// object is made on the main thread.
struct OpeningState {
  WithoutDisplay withoutDisplay;
  std::vector<HeldMessage> held;
};
OpeningState* opening = nullptr;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type != QtFatalMsg) {
    opening->held.push_back({type, context.category != nullptr ? context.category : "", text});
    return;
  }
  // The toolkit is half made and about to abort: nothing of it may run any more.
  const std::string line = opening->withoutDisplay.message + "\n";
  for (std::string_view left = line; !left.empty();) {
    const ssize_t written = ::write(STDERR_FILENO, left.data(), left.size());
    if (written <= 0) break;
    left.remove_prefix(static_cast<std::size_t>(written));
  }
  ::_exit(opening->withoutDisplay.exitCode);
}

}  // namespace

std::string CannotOpenDisplayMessage() {
  const std::string platform = Variable("QT_QPA_PLATFORM");
  const std::string wayland = Variable("WAYLAND_DISPLAY");
  const std::string x11 = Variable("DISPLAY");
  std::string which;
  if (!platform.empty()) {
    which = " of the platform \"" + platform + "\" (QT_QPA_PLATFORM)";
  } else if (!x11.empty()) {
    which = " \"" + x11 + "\" (DISPLAY)";
  } else if (!wayland.empty()) {
    which = " \"" + wayland + "\" (WAYLAND_DISPLAY)";
  } else {
    which = ": neither DISPLAY nor WAYLAND_DISPLAY is set";
  }
  return "Bookstub: cannot open the display" + which +
         "; the player needs a graphical session to show its book";
}

std::unique_ptr<QApplication> OpenApplication(int& argc, char** argv,
                                              WithoutDisplay withoutDisplay) {
  if (withoutDisplay.message.empty()) withoutDisplay.message = CannotOpenDisplayMessage();
  OpeningState state{std::move(withoutDisplay), {}};
  opening = &state;
  const QtMessageHandler before = qInstallMessageHandler(HoldOrEnd);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(before);
  opening = nullptr;
  // Made: what the toolkit said meanwhile goes where it would have gone.
  for (const HeldMessage& message : state.held) {
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
    if (before != nullptr) {
      before(message.type, context, message.text);
    } else {
      qt_message_output(message.type, context, message.text);
    }
  }
  return application;
}

bool DisplayAnswers() {
  // The offscreen platform offers the X11 interface too, without a connection of its own.
  if (qGuiApp == nullptr || QGuiApplication::platformName() != QStringLiteral("xcb")) return true;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return true;
  xcb_connection_t* connection = x11->connection();
  if (connection == nullptr || xcb_connection_has_error(connection) != 0) return false;
  const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
      xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &std::free);
  return reply != nullptr && xcb_connection_has_error(connection) == 0;
}

}  // namespace platform
