#pragma once
// Termination requests (SIGTERM, SIGINT, SIGHUP) turned into a call on the Qt event loop, so the
// player closes its window and deletes its working folder instead of dying with it in place.
// Implements: a self-pipe written by the signal handler and read by a QSocketNotifier.
// Does not: handle SIGKILL or crashes (nothing can).

#include <functional>
#include <memory>

namespace platform {

// While it lives, a termination request runs `onTerminate` on the GUI thread. Its destruction
// gives the signals back their previous handling, so a request that comes later never reaches
// what `onTerminate` refers to. One at a time; make it after the application object exists.
class TerminationRequestHandler {
 public:
  explicit TerminationRequestHandler(std::function<void()> onTerminate);
  ~TerminationRequestHandler();
  TerminationRequestHandler(const TerminationRequestHandler&) = delete;
  TerminationRequestHandler& operator=(const TerminationRequestHandler&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
