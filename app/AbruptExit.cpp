#include "app/AbruptExit.h"

#include <cstdlib>
#include <exception>
#include <mutex>
#include <utility>

namespace {

// The exit and terminate handlers take no argument, so what they run has to be reachable from
// here: this is the one place that keeps it.
struct AbruptExitState {
  std::mutex mutex;
  std::function<void()> cleanUp;
  std::terminate_handler previousTerminate = nullptr;
  bool handlersInstalled = false;
};

AbruptExitState& State() {
  static AbruptExitState state;
  return state;
}

void RunCleanUp() {
  std::function<void()> cleanUp;
  {
    const std::lock_guard lock(State().mutex);
    cleanUp = std::exchange(State().cleanUp, nullptr);
  }
  if (cleanUp) cleanUp();
}

extern "C" void CleanUpAtExit() {
  RunCleanUp();
}

[[noreturn]] void CleanUpAtTerminate() {
  RunCleanUp();
  if (const std::terminate_handler previous = State().previousTerminate) previous();
  std::abort();
}

}  // namespace

void ArmAbruptExitCleanUp(std::function<void()> cleanUp) {
  // The state exists before the exit handler is registered, so it is destroyed after it runs.
  AbruptExitState& state = State();
  const std::lock_guard lock(state.mutex);
  state.cleanUp = std::move(cleanUp);
  if (state.handlersInstalled) return;
  state.handlersInstalled = true;
  std::atexit(CleanUpAtExit);
  state.previousTerminate = std::set_terminate(CleanUpAtTerminate);
}

void DisarmAbruptExitCleanUp() {
  const std::lock_guard lock(State().mutex);
  State().cleanUp = nullptr;
}
