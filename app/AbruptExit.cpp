#include "app/AbruptExit.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/FatalSignal.h"

namespace {

constexpr auto kLongestCleanUp = std::chrono::seconds(10);
constexpr auto kWaitStep = std::chrono::milliseconds(10);
// A crash waits this long for the clean-up on another thread; the whole of its work is cut short
// after the limit below, well after the clean-up's own bound (the loader is given 3 s).
constexpr int kLongestCrashWaitMilliseconds = 8000;
constexpr unsigned kCrashWorkLimitSeconds = 15;

// Who is removing the folder: both removals are safe at once, but each would see the other's
// work as failures and stop short.
enum Remover : int { kNobody, kCleanUp, kCrash };

// The exit and terminate handlers take no argument, and neither does a signal handler, so what
// they run has to be reachable from here: this is the one place that keeps it. What a signal
// handler reads is atomic (lock-free) or set before it is armed.
struct AbruptExitState {
  std::mutex mutex;
  std::condition_variable cleanUpDone;
  std::function<void()> cleanUp;
  std::atomic<int> remover{kNobody};
  std::terminate_handler previousTerminate = nullptr;
  bool handlersInstalled = false;
  std::unique_ptr<platform::SignalSafeFolderRemoval> crashRemoval;
  std::atomic<bool> crashRemovalArmed{false};
  std::atomic<bool> crashing{false};  // a crash's removal has begun: the crash ends the process
};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

AbruptExitState& State() {
  static AbruptExitState state;
  return state;
}

// Set while this thread runs the clean-up: a crash in it must not wait for itself.
thread_local bool cleaningUpHere = false;

// True when this call ran the clean-up.
bool RunCleanUp() {
  AbruptExitState& state = State();
  std::function<void()> cleanUp;
  {
    const std::lock_guard lock(state.mutex);
    cleanUp = std::exchange(state.cleanUp, nullptr);
    if (!cleanUp) return false;
  }
  // Only a crash's removal on another thread can hold it; that thread is about to end the process.
  const auto deadline = std::chrono::steady_clock::now() + kLongestCleanUp;
  for (int nobody = kNobody; !state.remover.compare_exchange_strong(nobody, kCleanUp);
       nobody = kNobody) {
    if (std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(kWaitStep);
  }
  cleaningUpHere = true;
  cleanUp();
  cleaningUpHere = false;
  const std::lock_guard lock(state.mutex);
  state.remover.store(kNobody);
  state.cleanUpDone.notify_all();
  return true;
}

// The process ends here once the clean-up ran: what exit would do next (destroy static objects)
// can crash threads that still run.
extern "C" void CleanUpAtExit() {
  if (!RunCleanUp() || State().crashing.load()) return;
  std::fflush(nullptr);
  std::_Exit(EXIT_FAILURE);
}

// Two threads may call exit at once (a lost display is noticed by several): both take exit
// handlers off one list, so the second would run the later ones and end the process while the
// first still cleans up. This handler, taken right after the clean-up, holds the second until
// the clean-up (or a crash's removal, which cannot signal its end) is done; bounded, since the
// process is ending.
extern "C" void WaitForCleanUpAtExit() {
  AbruptExitState& state = State();
  const auto deadline = std::chrono::steady_clock::now() + kLongestCleanUp;
  std::unique_lock lock(state.mutex);
  while ((state.cleanUp || state.remover.load() != kNobody) &&
         std::chrono::steady_clock::now() < deadline)
    state.cleanUpDone.wait_for(lock, kWaitStep);
}

[[noreturn]] void CleanUpAtTerminate() {
  static_cast<void>(RunCleanUp());
  if (const std::terminate_handler previous = State().previousTerminate) previous();
  std::abort();
}

// Runs inside a signal handler: atomics, the prepared removal and the platform's pause only.
void RemoveFolderOnCrash() {
  AbruptExitState& state = State();
  if (!state.crashRemovalArmed.load()) return;
  state.crashing.store(true);
  // The clean-up on another thread stops the loader before it removes the folder: wait for it.
  // Past the wait it is stuck (perhaps on a lock this thread held): the folder goes all the same.
  // The clean-up interrupted on this very thread is waited for by nothing.
  bool took = false;
  for (int waited = 0; !cleaningUpHere; waited += static_cast<int>(kWaitStep.count())) {
    int nobody = kNobody;
    took = state.remover.compare_exchange_strong(nobody, kCrash);
    if (took || waited >= kLongestCrashWaitMilliseconds) break;
    platform::PauseInSignalHandler(static_cast<int>(kWaitStep.count()));
  }
  if (state.crashRemovalArmed.load()) state.crashRemoval->Remove();
  if (took) state.remover.store(kNobody);
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

void PutExitCleanUpFirst() {
  // Registered again: the clean-up runs once whichever registration comes first.
  std::atexit(WaitForCleanUpAtExit);
  std::atexit(CleanUpAtExit);
}

void DisarmAbruptExitCleanUp() {
  const std::lock_guard lock(State().mutex);
  State().cleanUp = nullptr;
}

void ArmCrashRemoval(const std::filesystem::path& folder) {
  AbruptExitState& state = State();
  auto removal = platform::PrepareSignalSafeFolderRemoval(folder);
  const std::lock_guard lock(state.mutex);
  state.crashRemovalArmed.store(false);
  state.crashRemoval = std::move(removal);
  state.crashRemovalArmed.store(true);
  platform::RunOnFatalSignal(RemoveFolderOnCrash, kCrashWorkLimitSeconds);
}

void DisarmCrashRemoval() {
  State().crashRemovalArmed.store(false);
}
