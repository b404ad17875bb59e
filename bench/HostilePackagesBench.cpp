// Splits every hostile package of tests/support/HostileBooks with the command-line tool, one
// child process each, and prints what each split cost: wall time, processor time, peak resident
// memory (sampled every 5 ms), bytes written (as the kernel counted them), and what was left in
// the working folder: files, folders and the disk space they take.
//
//   bench_hostile_packages build/default/tools/bookstub [NAME ...]
//
// A split still running after BOOKSTUB_BENCH_TIMEOUT seconds (default 120) is killed and
// reported with exit code 137.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/HostileBooks.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Cost {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system: what the split itself cost on a busy machine
  long peakKiB = 0;
  long long bytesWritten = -1;  // -1: not available
  int exitCode = -1;
};

// The "VmHWM" line of /proc/PID/status: the peak resident memory of the program the child runs.
// (The child's rusage would also count the memory of this process, which it shares until exec.)
long PeakResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// The "wchar" line of /proc/PID/io, read while the finished child is still a zombie.
long long BytesWritten(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  for (std::string key; io >> key;) {
    long long value = 0;
    io >> value;
    if (key == "wchar:") return value;
  }
  return -1;
}

Cost RunSplit(const fs::path& bookstub, const fs::path& package, const fs::path& root) {
  const std::string tool = bookstub.string(), pkg = package.string(), dir = root.string();
  std::vector<char*> argv = {const_cast<char*>(tool.c_str()), const_cast<char*>("split"),
                             const_cast<char*>(pkg.c_str()), const_cast<char*>(dir.c_str()),
                             nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Cost cost;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return cost;
  }
  posix_spawn_file_actions_destroy(&actions);
  const char* timeoutText = std::getenv("BOOKSTUB_BENCH_TIMEOUT");
  const double timeout = timeoutText ? std::atof(timeoutText) : 120.0;
  siginfo_t info{};
  for (;;) {
    info.si_pid = 0;
    waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | WNOHANG);
    if (info.si_pid == pid) break;
    cost.peakKiB = std::max(cost.peakKiB, PeakResidentKiB(pid));
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > timeout)
      kill(pid, SIGKILL);
    usleep(5'000);
  }
  cost.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cost.bytesWritten = BytesWritten(pid);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  cost.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  cost.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return cost;
}

struct Left {
  long long files = 0;
  long long folders = 0;
  long long diskBytes = 0;  // allocated blocks of the files and folders, as du counts them
};

// What the split left below `root`.
Left TreeSize(const fs::path& root) {
  Left left;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    struct stat info {};
    if (lstat(it->path().c_str(), &info) != 0) continue;
    left.diskBytes += static_cast<long long>(info.st_blocks) * 512;
    if (S_ISDIR(info.st_mode)) ++left.folders;
    if (S_ISREG(info.st_mode)) ++left.files;
  }
  return left;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: bench_hostile_packages BOOKSTUB [NAME ...]\n";
    return 2;
  }
  const fs::path bookstub = fs::absolute(argv[1]);
  std::vector<std::string> names(argv + 2, argv + argc);
  if (names.empty()) names = testsupport::HostileBookNames();
  const fs::path scratch =
      fs::temp_directory_path() / ("bookstub-hostile-" + std::to_string(getpid()));
  fs::create_directories(scratch);

  std::printf("%-28s %9s %8s %8s %9s %11s %9s %9s %9s %5s\n", "package", "size KiB", "seconds",
              "cpu s", "peak MiB", "written MiB", "files", "folders", "disk MiB", "exit");
  for (const std::string& name : names) {
    const fs::path package = scratch / (name + ".exe");
    const fs::path root = scratch / name;
    const auto built = testsupport::BuildBook(testsupport::BuildHostileBook(name).book);
    built.WriteTo(package);
    const Cost cost = RunSplit(bookstub, package, root);
    const Left left = TreeSize(root);
    std::printf("%-28s %9.0f %8.2f %8.2f %9.1f %11.1f %9lld %9lld %9.1f %5d\n", name.c_str(),
                built.bytes.size() / 1024.0, cost.seconds, cost.cpuSeconds, cost.peakKiB / 1024.0,
                cost.bytesWritten / 1048576.0, left.files, left.folders, left.diskBytes / 1048576.0,
                cost.exitCode);
    std::fflush(stdout);
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::remove(package, ec);
  }
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return 0;
}
