// POSIX back-end of the fatal-signal work of platform/FatalSignal.h.
// Implements: one handler, installed with sigaction (SA_SIGINFO | SA_ONSTACK), keeping the
// actions it replaces: always for the faults and the abort (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT), and for every other signal whose default action ends the process (SIGQUIT, SIGTRAP,
// SIGSYS, SIGXCPU, SIGXFSZ, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE, SIGIO,
// SIGSTKFLT, SIGPWR, SIGTERM, SIGINT, SIGHUP and the real-time signals) where that default
// action is still in place; an alternate signal stack for the installing thread where it has
// none, so a thread whose stack overflowed can still run the work; the work bounded by alarm(2),
// whose SIGALRM handler ends the process with the fatal signal; afterwards the replaced action
// is put back and the signal handed to it: a fault recurs as the handler returns, every other
// signal is raised again (the kernel's own ones too: a timer, a limit or a breakpoint does not
// come back by itself).
// Not SA_RESETHAND: a second thread taking the same signal during the work would end the
// process at once, the work half done; it waits for the work instead. The handler's own fault
// needs no reset: the kernel ends a thread that faults with that signal blocked.
// Does not: give other threads an alternate stack; take a signal that is ignored or has a
// handler of someone else's when the work is first set (it does not end the process); survive
// a handler installed later for a signal (that one is then in charge of it).

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

// Taken whatever handled them before: a fault or an abort ends the process in any case.
constexpr std::array kFaultSignals{SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// Taken only while their default action, which ends the process, is in place; the real-time
// signals too.
constexpr std::array kEndingSignals{SIGQUIT,   SIGTRAP, SIGSYS,    SIGXCPU, SIGXFSZ, SIGUSR1,
                                    SIGUSR2,   SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE, SIGIO,
                                    SIGSTKFLT, SIGPWR,  SIGTERM,   SIGINT,  SIGHUP};
// Signal numbers run from 1 to below this.
constexpr int kSignalLimit = _NSIG;
constexpr std::size_t kStackSize = std::size_t{64} * 1024;
constexpr int kWaitStepMilliseconds = 10;

// A signal handler takes no argument of ours: what it reaches has to be here. Constant-
// initialised and trivially destroyed, so it is there whenever a signal comes.
struct HandlerState {
  std::atomic<FatalSignalWork> work{nullptr};
  std::atomic<unsigned> limitSeconds{0};
  std::array<struct sigaction, kSignalLimit> replaced{};
  std::array<std::atomic<bool>, kSignalLimit> taken{};  // the handler replaced that action
  std::atomic<int> dyingOf{0};                          // the first fatal signal taken
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
  ::_exit(128 + signal);  // every signal taken ends the process by default
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

bool IsFault(int signal) {
  return signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE;
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
  if (signal > 0 && signal < kSignalLimit && handlerState.taken[signal].load())
    ::sigaction(signal, &handlerState.replaced[signal], nullptr);
  // A fault recurs at the same instruction, with its own details for the action put back; any
  // other signal (sent by raise, kill or abort, or the kernel's: a timer, a limit, a breakpoint)
  // is sent again, to arrive once this handler returns.
  const bool recurs = IsFault(signal) && info != nullptr && info->si_code > 0;
  if (!recurs) ::raise(signal);
  errno = savedErrno;
}

void Take(int signal, const struct sigaction& action, bool onlyFromDefault) {
  struct sigaction current {};
  if (::sigaction(signal, nullptr, &current) != 0) return;
  const bool byDefault = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL;
  if (onlyFromDefault && !byDefault) return;
  handlerState.replaced[signal] = current;
  handlerState.taken[signal].store(true);
  ::sigaction(signal, &action, nullptr);
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
  for (const int signal : kFaultSignals) Take(signal, action, false);
  for (const int signal : kEndingSignals) Take(signal, action, true);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) Take(signal, action, true);
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
