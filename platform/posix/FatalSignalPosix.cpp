// POSIX back-end of the fatal-signal work of platform/FatalSignal.h.
// Implements: one handler for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, installed with
// sigaction (SA_SIGINFO | SA_ONSTACK), keeping the actions it replaces; an alternate signal
// stack for the installing thread where it has none, so a thread whose stack overflowed can
// still run the work; the work bounded by alarm(2), whose SIGALRM handler ends the process with
// the fatal signal; afterwards the replaced action is put back and the signal handed to it (a
// fault recurs as the handler returns, a sent signal is raised again).
// Not SA_RESETHAND: a second thread taking the same signal during the work would end the
// process at once, the work half done; it waits for the work instead. The handler's own fault
// needs no reset: the kernel ends a thread that faults with that signal blocked.
// Does not: give other threads an alternate stack.

#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <mutex>

#include "platform/FatalSignal.h"

namespace platform {
namespace {

constexpr std::array kFatalSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr std::size_t kStackSize = 64 * 1024;
constexpr int kWaitStepMilliseconds = 10;

// A signal handler takes no argument of ours: what it reaches has to be here. Constant-
// initialised and trivially destroyed, so it is there whenever a signal comes.
struct HandlerState {
  std::atomic<FatalSignalWork> work{nullptr};
  std::atomic<unsigned> limitSeconds{0};
  std::array<struct sigaction, kFatalSignals.size()> replaced{};
  std::atomic<int> dyingOf{0};  // the first fatal signal taken
  std::atomic<bool> workDone{false};
  std::once_flag installed;
  alignas(16) std::array<char, kStackSize> stack{};
};

constinit HandlerState handlerState;

struct sigaction ActionOf(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  ::sigemptyset(&action.sa_mask);
  return action;
}

void Unblock(int signal) {
  sigset_t only;
  ::sigemptyset(&only);
  ::sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

[[noreturn]] void DieOf(int signal) {
  const struct sigaction byDefault = ActionOf(SIG_DFL);
  ::sigaction(signal, &byDefault, nullptr);
  Unblock(signal);
  ::raise(signal);
  ::_exit(128 + signal);  // every one of the fatal signals ends the process by default
}

extern "C" void OnTimeLimit(int) {
  DieOf(handlerState.dyingOf.load());
}

void RunWorkBounded() {
  const struct sigaction onLimit = ActionOf(OnTimeLimit);
  ::sigaction(SIGALRM, &onLimit, nullptr);
  Unblock(SIGALRM);
  ::alarm(handlerState.limitSeconds.load());
  if (const FatalSignalWork work = handlerState.work.load()) work();
  ::alarm(0);
  handlerState.workDone.store(true);
}

extern "C" void OnFatalSignal(int signal, siginfo_t* info, void*) {
  const int savedErrno = errno;
  int none = 0;
  if (handlerState.dyingOf.compare_exchange_strong(none, signal)) {
    RunWorkBounded();
  } else {
    // Another thread runs the work; its time limit ends this wait too.
    while (!handlerState.workDone.load()) PauseInSignalHandler(kWaitStepMilliseconds);
  }
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i)
    if (kFatalSignals[i] == signal) ::sigaction(signal, &handlerState.replaced[i], nullptr);
  // A sent signal (raise, kill, abort) is sent again, to arrive once this handler returns; a
  // fault recurs at the same instruction, with its own details for the action put back.
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
  errno = savedErrno;
}

void Install() {
  stack_t current{};
  if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) != 0) {
    stack_t own{};
    own.ss_sp = handlerState.stack.data();
    own.ss_size = handlerState.stack.size();
    ::sigaltstack(&own, nullptr);
  }
  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  ::sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kFatalSignals.size(); ++i)
    ::sigaction(kFatalSignals[i], &action, &handlerState.replaced[i]);
}

}  // namespace

void RunOnFatalSignal(FatalSignalWork work, unsigned limitSeconds) {
  handlerState.limitSeconds.store(limitSeconds);
  handlerState.work.store(work);
  std::call_once(handlerState.installed, Install);
}

void PauseInSignalHandler(int milliseconds) {
  timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
