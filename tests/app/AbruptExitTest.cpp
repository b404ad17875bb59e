// The working folder on a crash: a child process arms the removal of a folder and dies of a fatal
// signal; the folder must be gone, nothing outside it touched, and the child dead of the very
// signal it would have died of anyway.

#include "app/AbruptExit.h"

#include <signal.h>
#include <sys/resource.h>
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

const Crash kCrashes[] = {
    {"RaisedSegv", SIGSEGV, [] { ::raise(SIGSEGV); }},
    {"NullWrite", SIGSEGV, WriteThroughNull},
    {"DivisionByZero", SIGFPE, DivideByZero},
    {"Abort", SIGABRT, [] { std::abort(); }},
};

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
      for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) ::signal(signal, SIG_DFL);
      body();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
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
  EXPECT_EQ(WTERMSIG(status), GetParam().signal);
  ExpectRemovedWithOutsideIntact();
}

INSTANTIATE_TEST_SUITE_P(Crashes, FatalSignalTest, ::testing::ValuesIn(kCrashes),
                         [](const auto& info) { return std::string(info.param.name); });

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

}  // namespace
