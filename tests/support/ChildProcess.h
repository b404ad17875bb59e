#pragma once
// A program the test starts and watches from outside: its exit code or the signal that ended it,
// or that it is still running. It starts with every signal at its default action. A child left
// running when the object goes is killed and reaped.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class ChildProcess {
 public:
  // `arguments[0]` is the program's path. Standard output and error go to `output` when given.
  ChildProcess(std::vector<std::string> arguments, std::vector<std::string> environment,
               const std::filesystem::path& output = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running() { return Started() && !Poll(); }
  void Terminate() const;  // SIGTERM
  void Signal(int signal) const;
  // Ended in any way (an exit code or a signal) within `giveUp`.
  bool Ended(std::chrono::milliseconds giveUp = kGiveUp);
  // The exit code; none when the process was ended by a signal or did not end within `giveUp`.
  std::optional<int> WaitForExit(std::chrono::milliseconds giveUp = kGiveUp);
  // The signal that ended the process; none when it exited or did not end within `giveUp`.
  std::optional<int> WaitForSignal(std::chrono::milliseconds giveUp = kGiveUp);

  // The test's own environment, entry by entry, without the variables `leaveOut` names.
  static std::vector<std::string> CurrentEnvironment(
      const std::function<bool(std::string_view name)>& leaveOut = {});

  // Long enough for any child under load: reaching it means a hang.
  static constexpr std::chrono::milliseconds kGiveUp{60'000};

 private:
  bool Poll();

  pid_t pid_ = -1;
  std::optional<int> status_;  // as waitpid reports it
};

}  // namespace testsupport
