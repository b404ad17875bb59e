#include "platform/qt/QtTermination.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace platform {
namespace {

constexpr std::array<int, 3> kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

// Read only by the signal handler, which can reach nothing else; -1 while no handler lives.
std::atomic<int> gSignalPipeWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

extern "C" void WriteSignalToPipe(int signalNumber) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] const ssize_t written = ::write(gSignalPipeWriteEnd.load(), &byte, 1);
  errno = savedErrno;
}

}  // namespace

struct TerminationRequestHandler::State {
  std::array<int, 2> pipe{-1, -1};
  std::unique_ptr<QSocketNotifier> notifier;
  std::array<struct sigaction, kTerminationSignals.size()> previous{};
  bool installed = false;
};

TerminationRequestHandler::TerminationRequestHandler(std::function<void()> onTerminate)
    : state_(std::make_unique<State>()) {
  if (::pipe2(state_->pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  gSignalPipeWriteEnd = state_->pipe[1];

  state_->notifier = std::make_unique<QSocketNotifier>(state_->pipe[0], QSocketNotifier::Read);
  QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, state_->notifier.get(),
                   [readEnd = state_->pipe[0], onTerminate = std::move(onTerminate)] {
                     char drained[16];
                     while (::read(readEnd, drained, sizeof drained) > 0) {
                     }
                     onTerminate();
                   });

  struct sigaction action {};
  action.sa_handler = WriteSignalToPipe;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kTerminationSignals.size(); ++i)
    ::sigaction(kTerminationSignals[i], &action, &state_->previous[i]);
  state_->installed = true;
}

TerminationRequestHandler::~TerminationRequestHandler() {
  if (state_->installed) {
    for (std::size_t i = 0; i < kTerminationSignals.size(); ++i)
      ::sigaction(kTerminationSignals[i], &state_->previous[i], nullptr);
  }
  // The handlers are gone before the pipe: a signal already being handled writes to nothing.
  gSignalPipeWriteEnd = -1;
  state_->notifier.reset();
  for (const int end : state_->pipe)
    if (end >= 0) ::close(end);
}

}  // namespace platform
