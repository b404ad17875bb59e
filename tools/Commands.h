#pragma once
// The sub-commands of the `bookstub` tool. Each returns the process exit code:
// 0 success, 1 an error ended the work (its message is on stderr).

#include <filesystem>
#include <string>
#include <vector>

struct SplitOptions {
  std::filesystem::path package;
  std::filesystem::path root;
  bool messages = false;  // one stdout line per window message instead of a progress bar
};

// pack: player, source folder, output; restub: player, input package (as source), output.
struct AuthoringOptions {
  std::filesystem::path player;
  std::filesystem::path source;
  std::filesystem::path output;
};

struct MakeOptions {
  std::string title;
  std::filesystem::path player;  // empty: the installed bare player
  std::filesystem::path output;  // empty: named after the title, in the current folder
  bool quiet = false;
  std::vector<std::filesystem::path> pictures;  // files and folders
};

struct ExportOptions {
  std::filesystem::path book;
  std::filesystem::path site;  // empty with `serve`: a temporary folder, deleted afterwards
  bool serve = false;
  bool compressedCopies = true;
  bool quiet = false;
};

int RunSplitCommand(const SplitOptions& options);
int RunExportCommand(const ExportOptions& options);
int RunMakeCommand(const MakeOptions& options);
int RunPackCommand(const AuthoringOptions& options);
int RunUnpackCommand(const std::filesystem::path& package, const std::filesystem::path& folder);
int RunRestubCommand(const AuthoringOptions& options);
int RunInfoCommand(const std::filesystem::path& package, bool json);
int RunBookCommand(const std::filesystem::path& package);
int RunServeCommand(const std::filesystem::path& folder);

// Serves `folder` on 127.0.0.1 at a free port (its address on stdout) until Ctrl-C, SIGTERM or
// SIGHUP; raises Error when the folder is missing or cannot be served.
void ServeSite(const std::filesystem::path& folder);

// Exit codes shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Explains on stderr why `package` cannot be read and returns false; true when it can be read.
bool CheckPackageReadable(const std::filesystem::path& package);
