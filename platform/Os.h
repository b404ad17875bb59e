#pragma once
// Operating-system services the core uses. Implemented per platform (platform/posix/ here).

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The system's temporary folder.
std::filesystem::path TempPath();

// A new GUID in registry text form: 38 characters, braces, upper-case 8-4-4-4-12 hex groups.
std::string NewGuid();

// The read-only flag of a file (on POSIX: no write permission for anyone).
bool IsReadOnly(const std::filesystem::path& file);
void SetReadOnly(const std::filesystem::path& file, bool readOnly);

// Reads one value of an INI file with the profile-reading rules the packages rely on:
// section and key names compared without regard to case, blanks around names and values
// trimmed, a missing file, section or key gives `fallback`.
std::string ReadIniValue(const std::filesystem::path& file, std::string_view section,
                         std::string_view key, std::string_view fallback);

// A named lock held by at most one process at a time; the kernel releases it when the
// holding process dies.
class NamedLock {
 public:
  virtual ~NamedLock() = default;
  // True when another process already held the lock at creation time.
  virtual bool AlreadyExists() const = 0;
};
std::unique_ptr<NamedLock> CreateNamedLock(std::string_view name);

// A modal message box; on a run without a display it writes "<title>: <text>" to stderr.
void ShowMessageBox(std::string_view text, std::string_view title = "Bookstub");

// The current local time (thread-safe).
std::tm LocalTimeNow();

// Full path of the running executable, links resolved.
std::filesystem::path RunningExecutablePath();

}  // namespace platform
