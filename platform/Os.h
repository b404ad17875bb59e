#pragma once
// Operating-system services the core uses. Implemented per platform (platform/posix/ here).

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The system's temporary folder.
std::filesystem::path TempPath();

// From now on every file and folder the process creates is open to its own user only. Affects
// the whole process: call before any other thread starts.
void KeepNewFilesPrivate();

// From now on a write to a pipe or a socket nobody reads any more fails (EPIPE) instead of ending
// the process with a signal: a lost display connection or a browser gone mid-file is then its
// owner's error to report. Affects the whole process.
void IgnoreBrokenPipes();

// Creates `folder`, open to its owner only; raises Error when it exists already (whatever it
// is: a folder planted by someone else, a link) or cannot be made. Its parent must exist.
void CreatePrivateFolder(const std::filesystem::path& folder);

// Tells folders apart while a tree is walked, so a walk going back up can check it arrives
// where it came from.
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t node = 0;
  bool operator==(const FolderIdentity&) const = default;
};

enum class EntryKind { Missing, Folder, Link, Other };

struct FolderEntry {
  std::string name;
  bool folder = false;  // a real folder, never a link to one
};

// A folder held open. Its entries are reached through the handle, never through a path, so a
// tree deeper than the system's path limit can be walked and a link met on the way is never
// followed.
class OpenFolder {
 public:
  virtual ~OpenFolder() = default;
  virtual FolderIdentity Identity() const = 0;
  // Every entry but "." and ".."; empty when the folder cannot be read.
  virtual std::vector<FolderEntry> Entries() = 0;
  virtual EntryKind KindOf(const std::string& name) = 0;
  // The real folder `name`, its owner given full access to it first (as emptying it needs);
  // null when `name` is a link, not a folder, or cannot be opened.
  virtual std::unique_ptr<OpenFolder> OpenSubfolder(const std::string& name) = 0;
  // The folder this one lies in; null when it cannot be opened.
  virtual std::unique_ptr<OpenFolder> OpenContaining() = 0;
  // Removes the entry `name`: a file or a link (never its target), or, when `folder` is set, an
  // empty folder. False when the entry stays.
  virtual bool Remove(const std::string& name, bool folder) = 0;
};

// The folder at `path` (links along the path followed); null when it cannot be opened.
std::unique_ptr<OpenFolder> OpenFolderAt(const std::filesystem::path& path);

// A lock held on a file for as long as the object lives. The kernel releases it when the process
// ends, however it ends (also killed), so a lock nobody holds marks a file whose owner is gone.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Creates the file `name` in `folder` (a new file, never through a link; open to its owner only)
// and holds an exclusive lock on it; the lock is not handed to programs the process starts.
// Raises Error when the file cannot be made or locked.
std::unique_ptr<FileLock> HoldFolderLock(const std::filesystem::path& folder,
                                         const std::string& name);

// The folder `name` in `parent`, when it was left by a process that is gone: a real folder (no
// link), owned by the current user and open to that user only (mode 0700), holding the regular
// file `lockName` (no link) whose lock nobody holds. Returns that lock, now held, so that no
// other process takes the folder meanwhile; null for anything else, which is to be left alone.
std::unique_ptr<FileLock> TakeAbandonedFolder(const std::filesystem::path& parent,
                                              const std::string& name, const std::string& lockName);

// A new GUID in registry text form: 38 characters, braces, upper-case 8-4-4-4-12 hex groups.
std::string NewGuid();

// The read-only flag of a file (on POSIX: no write permission for anyone).
bool IsReadOnly(const std::filesystem::path& file);
void SetReadOnly(const std::filesystem::path& file, bool readOnly);

// A named lock held by at most one process at a time; the kernel releases it when the
// holding process dies. The lock lives where only the current user can reach it, so no other
// user can hold it or plant a link in its place; where no such place can be had the lock is
// not taken (AlreadyExists is false) and a line on stderr says why.
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

// Holds back the signals with which a user stops a program in a terminal (Ctrl-C: SIGINT;
// SIGTERM, SIGHUP) from the moment it is made, in the calling thread and in the threads it
// starts afterwards: they wait for Wait instead of ending the process. Make it before starting
// threads; destroying it lets them through again.
class InterruptWatch {
 public:
  virtual ~InterruptWatch() = default;
  // True when such a signal arrived within `milliseconds` (it is taken); false when none did.
  virtual bool Wait(int milliseconds) = 0;
};
std::unique_ptr<InterruptWatch> WatchInterrupts();

// Full path of the running executable, links resolved.
std::filesystem::path RunningExecutablePath();

}  // namespace platform
