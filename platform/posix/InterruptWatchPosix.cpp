// platform::WatchInterrupts on POSIX: the signals are blocked in the thread's mask (inherited
// by threads started later) and taken with sigtimedwait.

#include <signal.h>

#include <cerrno>
#include <ctime>

#include "platform/Os.h"
#include "util/Error.h"

namespace platform {
namespace {

sigset_t InterruptSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  return signals;
}

class PosixInterruptWatch : public InterruptWatch {
 public:
  PosixInterruptWatch() : signals_(InterruptSignals()) {
    if (pthread_sigmask(SIG_BLOCK, &signals_, &previous_) != 0)
      throw Error("Cannot hold back the interrupt signals");
  }
  ~PosixInterruptWatch() override { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  PosixInterruptWatch(const PosixInterruptWatch&) = delete;
  PosixInterruptWatch& operator=(const PosixInterruptWatch&) = delete;

  bool Wait(int milliseconds) override {
    timespec timeout{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    for (;;) {
      if (sigtimedwait(&signals_, nullptr, &timeout) > 0) return true;
      if (errno != EINTR) return false;  // EAGAIN: the time passed
    }
  }

 private:
  sigset_t signals_;
  sigset_t previous_;
};

}  // namespace

std::unique_ptr<InterruptWatch> WatchInterrupts() {
  return std::make_unique<PosixInterruptWatch>();
}

}  // namespace platform
