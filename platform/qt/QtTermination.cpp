#include "platform/qt/QtTermination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace platform {
namespace {

// Written only by the signal handler; a signal handler can reach nothing else.
int gSignalPipeWriteEnd = -1;

extern "C" void WriteSignalToPipe(int signalNumber) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(gSignalPipeWriteEnd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

void CallOnTerminationRequest(std::function<void()> onTerminate) {
  std::array<int, 2> ends{};
  if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  gSignalPipeWriteEnd = ends[1];

  // Owned by the application object.
  auto* notifier =
      new QSocketNotifier(ends[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                   [readEnd = ends[0], onTerminate = std::move(onTerminate)] {
                     char drained[16];
                     while (::read(readEnd, drained, sizeof drained) > 0) {
                     }
                     onTerminate();
                   });

  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
    ::sigaction(signalNumber, &action, nullptr);
}

}  // namespace platform
