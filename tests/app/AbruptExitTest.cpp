// The working folder on a crash: a child process arms the removal of a folder and dies of a fatal
// signal (a fault, an abort, or any other signal whose default action ends the process, sent or
// raised by the kernel); the folder must be gone, nothing outside it touched, and the child dead
// of the very signal it would have died of anyway.

#include "app/AbruptExit.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "platform/Os.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

// Out of the optimiser's and the sanitizers' sight, so that the fault really happens.
[[gnu::noinline, gnu::no_sanitize_undefined, gnu::no_sanitize_address]] void WriteThroughNull() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

[[gnu::noinline, gnu::no_sanitize_undefined]] void DivideByZero() {
  volatile int one = 1;
  volatile int zero = 0;
  volatile int quotient = one / zero;
  static_cast<void>(quotient);
}

struct Crash {
  const char* name;
  int signal;
  void (*crash)();
};

[[noreturn]] void SpinForever() {
  volatile unsigned long spins = 0;
  for (;;) {
    spins = spins + 1;
  }
}

void StartTimer(int which) {
  const itimerval every{{0, 10000}, {0, 10000}};
  ::setitimer(which, &every, nullptr);
}

// A write past the file-size limit.
void WriteTooLargeFile() {
  const rlimit oneByte{1, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &oneByte);
  const std::string file = fs::temp_directory_path() / ("bookstub-fsize-" + platform::NewGuid());
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::unlink(file.c_str());
  // The first write stops at the limit; the next, starting there, is refused with the signal.
  for (int i = 0; i < 3; ++i) (void)!::write(fd, "ab", 2);
}

void WriteToClosedPipe() {
  int ends[2];
  if (::pipe(ends) != 0) return;
  ::close(ends[0]);
  (void)!::write(ends[1], "a", 1);
}

// The kernel's "input is possible" signal of a pipe in asynchronous mode.
void MakeInputPossible() {
  int ends[2];
  if (::pipe(ends) != 0) return;
  ::fcntl(ends[0], F_SETOWN, ::getpid());
  ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_ASYNC);
  (void)!::write(ends[1], "a", 1);
}

[[gnu::noinline]] void HitBreakpoint() {
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("int3");
#else
  ::raise(SIGTRAP);
#endif
}

const Crash kCrashes[] = {
    {"RaisedSegv", SIGSEGV, [] { ::raise(SIGSEGV); }},
    {"NullWrite", SIGSEGV, WriteThroughNull},
    {"DivisionByZero", SIGFPE, DivideByZero},
    {"Abort", SIGABRT, [] { std::abort(); }},
};

// Every other signal whose default action ends the process, as it comes: raised, sent to the
// process by another thread, queued, or made by the kernel (a timer, a limit, a breakpoint, a
// broken pipe, possible input). Some do not come back by themselves once handled.
const Crash kEndingSignals[] = {
    {"Quit", SIGQUIT, [] { ::raise(SIGQUIT); }},
    {"User1SentByAnotherThread", SIGUSR1,
     [] {
       std::thread([] { ::kill(::getpid(), SIGUSR1); }).detach();
       SpinForever();
     }},
    {"User2", SIGUSR2, [] { ::raise(SIGUSR2); }},
    {"AlarmClock", SIGALRM,
     [] {
       ::alarm(1);
       SpinForever();
     }},
    {"VirtualTimer", SIGVTALRM,
     [] {
       StartTimer(ITIMER_VIRTUAL);
       SpinForever();
     }},
    {"ProfilingTimer", SIGPROF,
     [] {
       StartTimer(ITIMER_PROF);
       SpinForever();
     }},
    {"CpuTimeLimit", SIGXCPU,
     [] {
       const rlimit oneSecond{1, RLIM_INFINITY};
       ::setrlimit(RLIMIT_CPU, &oneSecond);
       SpinForever();
     }},
    {"FileSizeLimit", SIGXFSZ, WriteTooLargeFile},
    {"BadSystemCall", SIGSYS, [] { ::raise(SIGSYS); }},
    {"Breakpoint", SIGTRAP, HitBreakpoint},
    {"StackFault", SIGSTKFLT, [] { ::raise(SIGSTKFLT); }},
    {"PowerFailure", SIGPWR, [] { ::raise(SIGPWR); }},
    {"BrokenPipe", SIGPIPE, WriteToClosedPipe},
    {"InputPossible", SIGIO, MakeInputPossible},
    {"FirstRealTime", 0, [] { ::sigqueue(::getpid(), SIGRTMIN, sigval{}); }},
    {"LastRealTime", -1, [] { ::raise(SIGRTMAX); }},
    {"Terminate", SIGTERM, [] { ::raise(SIGTERM); }},
    {"Interrupt", SIGINT, [] { ::raise(SIGINT); }},
    {"HangUp", SIGHUP, [] { ::raise(SIGHUP); }},
};

// SIGRTMIN and SIGRTMAX are no constants: 0 and -1 stand for them in the table.
int SignalOf(const Crash& crash) {
  if (crash.signal == 0) return SIGRTMIN;
  return crash.signal == -1 ? SIGRTMAX : crash.signal;
}

void PrintTo(const Crash& crash, std::ostream* out) {
  *out << crash.name;
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

class CrashRemovalTest : public ::testing::Test {
 protected:
  CrashRemovalTest()
      : scratch_(fs::temp_directory_path() / ("bookstub-crash-" + platform::NewGuid())),
        run_(scratch_ / "run"),
        outside_(scratch_ / "outside") {
    WriteFile(outside_ / "keep.txt", "precious");
    WriteFile(run_ / "files" / "res" / "pages" / "page.swf", "swf");
    WriteFile(run_ / "files" / "Log" / "log1.txt", "line");
    fs::create_directory_symlink(outside_, run_ / "files" / "linked-folder");
    fs::create_symlink(outside_ / "keep.txt", run_ / "linked-file");
  }
  ~CrashRemovalTest() override { DeleteFolderTree(scratch_); }

  // The child's wait status. The child starts as the player does, without a handler of its own
  // for the fatal signals (a sanitizer's would report and exit instead of dying of the signal),
  // and writes no core file.
  static int RunChild(const std::function<void()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
      const rlimit noCore{0, 0};
      ::setrlimit(RLIMIT_CORE, &noCore);
      // Also those a shell ignores in a background job: a player started otherwise has them.
      for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP) ::signal(signal, SIG_DFL);
      body();
      ::_exit(0);
    }
    // A child that does not die is a failure, not a test that hangs: it is killed (SIGKILL).
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > giveUp) ::kill(child, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
  }

  void ExpectRemovedWithOutsideIntact() const {
    EXPECT_FALSE(fs::exists(fs::symlink_status(run_)));
    std::ifstream kept(outside_ / "keep.txt");
    std::string bytes;
    std::getline(kept, bytes);
    EXPECT_EQ(bytes, "precious");
  }

  fs::path scratch_;
  fs::path run_;
  fs::path outside_;
};

class FatalSignalTest : public CrashRemovalTest, public ::testing::WithParamInterface<Crash> {};

TEST_P(FatalSignalTest, RemovesTheFolderAndDiesOfTheSignal) {
  const int status = RunChild([&] {
    ArmCrashRemoval(run_);
    GetParam().crash();
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), SignalOf(GetParam()));
  ExpectRemovedWithOutsideIntact();
}

INSTANTIATE_TEST_SUITE_P(Crashes, FatalSignalTest, ::testing::ValuesIn(kCrashes),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(EndingSignals, FatalSignalTest, ::testing::ValuesIn(kEndingSignals),
                         [](const auto& info) { return std::string(info.param.name); });

// A signal that does not end the process when the removal is armed (ignored, or handled by
// someone else) is left as it was: the process goes on, or its handler decides, and the folder
// stays.
TEST_F(CrashRemovalTest, ASignalIgnoredOrHandledElsewhereIsLeftAlone) {
  const int status = RunChild([&] {
    ::signal(SIGUSR1, SIG_IGN);
    ::signal(SIGUSR2, [](int) { ::_exit(42); });
    ArmCrashRemoval(run_);
    ::raise(SIGUSR1);
    ::raise(SIGUSR2);
  });
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 42);
  EXPECT_TRUE(fs::exists(run_ / "files" / "res" / "pages" / "page.swf"));
}

TEST_F(CrashRemovalTest, DisarmedAfterTheFolderWentTheCrashRemovesNothing) {
  const int status = RunChild([&] {
    ArmCrashRemoval(run_);
    DisarmCrashRemoval();
    ::raise(SIGSEGV);
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  EXPECT_TRUE(fs::exists(run_ / "files" / "res" / "pages" / "page.swf"));
}

// A handler installed before the crash removal (as an engine's might be) still gets the fault,
// after the folder went.
TEST_F(CrashRemovalTest, AHandlerInstalledBeforeStillRuns) {
  const int status = RunChild([&] {
    ::signal(SIGSEGV, [](int) { ::_exit(42); });
    ArmCrashRemoval(run_);
    WriteThroughNull();
  });
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 42);
  ExpectRemovedWithOutsideIntact();
}

// The display goes: one thread calls exit, whose clean-up stops the loader (slow) and removes the
// folder, while the window's thread crashes. The crash waits for that clean-up rather than
// removing alongside it or ending the process under it.
TEST_F(CrashRemovalTest, ACrashWaitsForTheCleanUpRunningOnAnotherThread) {
  const fs::path finished = scratch_ / "clean-up-finished";
  const int status = RunChild([&] {
    // Older exit handlers run after the clean-up: keep the exiting thread from ending the
    // process first.
    std::atexit([] { std::this_thread::sleep_for(std::chrono::seconds(3)); });
    std::atomic<bool> started{false};
    ArmCrashRemoval(run_);
    ArmAbruptExitCleanUp([&] {
      started = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      DeleteFolderTree(run_);
      DisarmCrashRemoval();
      WriteFile(finished, "done");
    });
    std::thread([] { std::exit(1); }).detach();
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ::raise(SIGSEGV);
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  EXPECT_TRUE(fs::exists(finished));
  ExpectRemovedWithOutsideIntact();
}

// What an exit runs after the clean-up may use what is still running: the browser engine's
// threads outlive the exit, and its static objects, made after the clean-up was armed, would be
// destroyed first. Once the clean-up is put first, an exit that ran it ends the process there,
// failed, and destroys nothing more; an exit with nothing to clean up ends as it always did.
TEST_F(CrashRemovalTest, AnExitThatCleanedUpEndsThereOnceTheCleanUpIsFirst) {
  static fs::path destroyed;
  destroyed = scratch_ / "destroyed";
  const fs::path cleanedUp = scratch_ / "cleaned-up";
  const auto exitArmed = [&](bool putFirst) {
    return RunChild([&] {
      ArmAbruptExitCleanUp([&] { WriteFile(cleanedUp, "done"); });
      // As an engine's static object does: made later, so destroyed first.
      std::atexit([] { WriteFile(destroyed, "gone"); });
      if (putFirst) PutExitCleanUpFirst();
      std::exit(0);
    });
  };

  int status = exitArmed(true);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), EXIT_FAILURE);
  EXPECT_TRUE(fs::exists(cleanedUp));
  EXPECT_FALSE(fs::exists(destroyed));

  // Not put first: the later object goes before the clean-up, as exit orders them.
  fs::remove(cleanedUp);
  status = exitArmed(false);
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_TRUE(fs::exists(cleanedUp));
  EXPECT_TRUE(fs::exists(destroyed));

  fs::remove(destroyed);
  status = RunChild([&] {
    ArmAbruptExitCleanUp([&] { WriteFile(cleanedUp, "again"); });
    PutExitCleanUpFirst();
    DisarmAbruptExitCleanUp();
    std::atexit([] { WriteFile(destroyed, "gone"); });
    std::exit(3);
  });
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_TRUE(fs::exists(destroyed));
}

}  // namespace
