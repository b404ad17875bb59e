#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace testsupport {
namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> arguments, std::vector<std::string> environment,
                           const std::filesystem::path& output) {
  if (arguments.empty()) return;
  std::vector<char*> argv = Pointers(arguments);
  std::vector<char*> envp = Pointers(environment);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  if (!output.empty()) {
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  }
  // Every signal at its default action and none blocked, as for a program started from a
  // desktop, whatever the shell that runs the tests ignores (a background job ignores SIGINT and
  // SIGQUIT).
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  sigset_t all;
  sigset_t none;
  ::sigfillset(&all);
  ::sigemptyset(&none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  if (::posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
    pid_ = -1;
  ::posix_spawnattr_destroy(&attributes);
  ::posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
  if (!Started() || status_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
}

void ChildProcess::Terminate() const {
  Signal(SIGTERM);
}

void ChildProcess::Signal(int signal) const {
  if (Started()) ::kill(pid_, signal);
}

bool ChildProcess::Poll() {
  if (status_) return true;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
  return status_.has_value();
}

bool ChildProcess::Ended(std::chrono::milliseconds giveUp) {
  if (!Started()) return false;
  const auto deadline = std::chrono::steady_clock::now() + giveUp;
  while (!Poll()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds giveUp) {
  if (!Ended(giveUp) || !WIFEXITED(*status_)) return std::nullopt;
  return WEXITSTATUS(*status_);
}

std::optional<int> ChildProcess::WaitForSignal(std::chrono::milliseconds giveUp) {
  if (!Ended(giveUp) || !WIFSIGNALED(*status_)) return std::nullopt;
  return WTERMSIG(*status_);
}

std::vector<std::string> ChildProcess::CurrentEnvironment(
    const std::function<bool(std::string_view name)>& leaveOut) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view text = *entry;
    if (!leaveOut || !leaveOut(text.substr(0, text.find('=')))) environment.emplace_back(text);
  }
  return environment;
}

}  // namespace testsupport
