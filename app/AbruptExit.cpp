#include "app/AbruptExit.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <utility>

namespace {

// The exit and terminate handlers take no argument, so what they run has to be reachable from
// here: this is the one place that keeps it.
struct AbruptExitState {
  std::mutex mutex;
  std::condition_variable cleanUpDone;
  std::function<void()> cleanUp;
  bool cleanUpRunning = false;
  std::terminate_handler previousTerminate = nullptr;
  bool handlersInstalled = false;
};

AbruptExitState& State() {
  static AbruptExitState state;
  return state;
}

void RunCleanUp() {
  AbruptExitState& state = State();
  std::function<void()> cleanUp;
  {
    const std::lock_guard lock(state.mutex);
    cleanUp = std::exchange(state.cleanUp, nullptr);
    if (!cleanUp) return;
    state.cleanUpRunning = true;
  }
  cleanUp();
  const std::lock_guard lock(state.mutex);
  state.cleanUpRunning = false;
  state.cleanUpDone.notify_all();
}

extern "C" void CleanUpAtExit() {
  RunCleanUp();
}

// Two threads may call exit at once (a lost display is noticed by several): both take exit
// handlers off one list, so the second would run the later ones and end the process while the
// first still cleans up. This handler, taken right after the clean-up, holds the second until
// the clean-up is done; bounded, since the process is ending.
extern "C" void WaitForCleanUpAtExit() {
  constexpr auto kLongestCleanUp = std::chrono::seconds(10);
  AbruptExitState& state = State();
  std::unique_lock lock(state.mutex);
  state.cleanUpDone.wait_for(lock, kLongestCleanUp,
                             [&] { return !state.cleanUp && !state.cleanUpRunning; });
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
  // Exit handlers run newest first: the wait comes right after the clean-up.
  std::atexit(WaitForCleanUpAtExit);
  std::atexit(CleanUpAtExit);
  state.previousTerminate = std::set_terminate(CleanUpAtTerminate);
}

void DisarmAbruptExitCleanUp() {
  const std::lock_guard lock(State().mutex);
  State().cleanUp = nullptr;
}
