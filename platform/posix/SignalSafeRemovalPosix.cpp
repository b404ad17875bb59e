// POSIX back-end of the folder removal of platform/FatalSignal.h that runs inside a signal
// handler.
// Implements: the folder's parent path and name copied into the removal's own storage when it
// is prepared; the tree walked with one folder open at a time, its entries read with
// getdents64 into the removal's buffer and removed with unlinkat, folders opened with openat
// and O_NOFOLLOW, the way back up through ".." checked against each folder's device and inode
// (fstat). A folder closed to its owner is opened up as FolderPosix.cpp does, through an O_PATH
// descriptor's /proc entry, its name written by hand.
// Does not: allocate, lock, or call anything but async-signal-safe functions and the bare
// getdents64 system call; follow a link; go above the folder; walk deeper than kDepth levels
// (what lies deeper stays).
// A walk that comes back up to a folder reads it again from its start: the entries it removed
// are gone, and those it passed over (they failed) come first in the same order, so it skips
// as many as it passed over there. A folder it emptied but could not remove (a mount point,
// say) counts as passed over when it is met again, instead of being walked again and again.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FatalSignal.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t kDepth = 256;

struct Identity {
  dev_t device = 0;
  ino_t node = 0;
  bool operator==(const Identity&) const = default;
};

// The folder's identity, its owner given full access to it first (as emptying it needs); false
// when `fd` is not a folder.
bool OpenUp(int fd, Identity& identity) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode)) return false;
  if ((status.st_mode & S_IRWXU) != S_IRWXU) ::fchmod(fd, (status.st_mode & 07777) | S_IRWXU);
  identity = {status.st_dev, status.st_ino};
  return true;
}

// "/proc/self/fd/<fd>" into `text`.
void WriteDescriptorPath(int fd, std::array<char, 32>& text) {
  constexpr char kPrefix[] = "/proc/self/fd/";
  std::array<char, 12> digits{};
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + fd % 10);
    fd /= 10;
  } while (fd > 0 && count < digits.size());
  std::size_t at = 0;
  for (const char c : kPrefix)
    if (c != '\0') text[at++] = c;
  while (count > 0) text[at++] = digits[--count];
  text[at] = '\0';
}

// A folder its owner may not read: reached without access by an O_PATH descriptor, which
// follows no link, and given the access through that descriptor's /proc entry.
int OpenLockedFolder(int parent, const char* name) {
  const int located = ::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (located < 0) return -1;
  struct stat status {};
  std::array<char, 32> byDescriptor{};
  WriteDescriptorPath(located, byDescriptor);
  int fd = -1;
  if (::fstat(located, &status) == 0 &&
      ::chmod(byDescriptor.data(), (status.st_mode & 07777) | S_IRWXU) == 0)
    fd = ::openat(located, ".", kFolderFlags);
  ::close(located);
  return fd;
}

int OpenSubfolder(int parent, const char* name, Identity& identity) {
  int fd = ::openat(parent, name, kFolderFlags);
  if (fd < 0 && errno == EACCES) fd = OpenLockedFolder(parent, name);
  if (fd < 0) return -1;
  if (OpenUp(fd, identity)) return fd;
  ::close(fd);
  return -1;
}

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class PosixSignalSafeFolderRemoval final : public SignalSafeFolderRemoval {
 public:
  PosixSignalSafeFolderRemoval(const std::string& parent, const std::string& name) {
    std::memcpy(parent_.data(), parent.c_str(), parent.size() + 1);
    std::memcpy(name_.data(), name.c_str(), name.size() + 1);
  }

  bool Remove() noexcept override {
    const int parent = ::open(parent_.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) return errno == ENOENT;
    const bool removed = RemoveIn(parent);
    ::close(parent);
    return removed;
  }

  static constexpr std::size_t kPathCapacity = 4096;
  static constexpr std::size_t kNameCapacity = 256;

 private:
  struct Level {
    Identity identity;
    std::size_t passedOver = 0;  // entries that stayed, met first when the folder is read
    Identity emptied;            // the subfolder last emptied, removed when it is met again
  };

  // What reading a folder came to: a subfolder to go down into, or the end of the folder.
  struct Reading {
    int subfolder = -1;
    bool complete = true;  // the whole folder was read
  };

  bool RemoveIn(int parent) {
    struct stat status {};
    if (::fstatat(parent, name_.data(), &status, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (S_ISLNK(status.st_mode)) return ::unlinkat(parent, name_.data(), 0) == 0;
    if (!S_ISDIR(status.st_mode)) return true;
    const int top = OpenSubfolder(parent, name_.data(), levels_[0].identity);
    const bool emptied = top < 0 || Empty(top);  // unopened, it may still be an empty folder
    return ::unlinkat(parent, name_.data(), AT_REMOVEDIR) == 0 && emptied;
  }

  // Empties the folder `fd` (its identity in levels_[0]) and everything below it; closes `fd`.
  bool Empty(int fd) {
    std::size_t depth = 0;
    levels_[0].passedOver = 0;
    levels_[0].emptied = {};
    bool complete = true;
    for (;;) {
      const Reading reading = Read(fd, depth);
      if (reading.subfolder >= 0) {
        ::close(fd);
        fd = reading.subfolder;
        levels_[++depth].passedOver = 0;
        levels_[depth].emptied = {};
        continue;
      }
      const bool stays = levels_[depth].passedOver > 0 || !reading.complete;
      complete = complete && !stays;
      if (depth == 0) break;
      const int up = ::openat(fd, "..", kFolderFlags);
      ::close(fd);
      fd = up;
      Identity identity;
      // A folder moved away during the walk: going on would remove entries somewhere else.
      if (fd < 0 || !OpenUp(fd, identity) || identity != levels_[--depth].identity) {
        if (fd >= 0) ::close(fd);
        return false;
      }
      if (stays)
        ++levels_[depth].passedOver;
      else
        levels_[depth].emptied = levels_[depth + 1].identity;
    }
    ::close(fd);
    return complete;
  }

  // Removes the entries of `fd` from its start, past those passed over before, until a folder
  // that is not empty is met (opened and given back) or the end.
  Reading Read(int fd, std::size_t depth) {
    Level& level = levels_[depth];
    std::size_t met = 0;
    for (;;) {
      const ssize_t size = ::getdents64(fd, listing_.data(), listing_.size());
      if (size == 0) return {};
      if (size < 0) return {.subfolder = -1, .complete = false};
      for (ssize_t at = 0; at < size;) {
        const auto* entry = reinterpret_cast<const dirent64*>(listing_.data() + at);
        at += entry->d_reclen;
        if (IsDotOrDotDot(entry->d_name)) continue;
        if (met < level.passedOver) {
          ++met;
          continue;
        }
        const int subfolder = RemoveEntry(fd, entry->d_name, entry->d_type, depth);
        if (subfolder >= 0) return {.subfolder = subfolder};
        if (subfolder == kStayed) {
          ++level.passedOver;
          ++met;
        }
      }
    }
  }

  static constexpr int kRemoved = -1;
  static constexpr int kStayed = -2;

  // kRemoved, kStayed, or the entry's folder opened when it is a folder that is not empty.
  int RemoveEntry(int fd, const char* name, unsigned char type, std::size_t depth) {
    if (type == DT_UNKNOWN) {
      struct stat status {};
      if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? kRemoved : kStayed;
      type = S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
    }
    if (type != DT_DIR) {
      if (::unlinkat(fd, name, 0) == 0 || errno == ENOENT) return kRemoved;
      if (errno != EISDIR) return kStayed;  // else it became a folder since it was listed
    }
    if (::unlinkat(fd, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return kRemoved;
    if (errno == ENOTDIR) return ::unlinkat(fd, name, 0) == 0 ? kRemoved : kStayed;
    if (depth + 1 >= kDepth) return kStayed;
    const int subfolder = OpenSubfolder(fd, name, levels_[depth + 1].identity);
    if (subfolder >= 0 && levels_[depth + 1].identity == levels_[depth].emptied) {
      ::close(subfolder);  // emptied already, and still it could not be removed
      return kStayed;
    }
    return subfolder >= 0 ? subfolder : kStayed;
  }

  std::array<char, kPathCapacity> parent_{};
  std::array<char, kNameCapacity> name_{};
  std::array<Level, kDepth> levels_{};
  alignas(dirent64) std::array<char, 16384> listing_{};
};

// `folder` without trailing separators: "link/" names the folder a link points to, the
// removal must see the link itself.
fs::path WithoutTrailingSeparators(fs::path folder) {
  while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

}  // namespace

std::unique_ptr<SignalSafeFolderRemoval> PrepareSignalSafeFolderRemoval(const fs::path& folder) {
  const fs::path path = WithoutTrailingSeparators(folder);
  const std::string name = path.filename().string();
  const std::string parent = path.has_parent_path() ? path.parent_path().string() : ".";
  if (name.empty() || name == "." || name == "..")
    throw Error("Cannot prepare the removal of " + folder.string() + ": not a folder's name");
  if (parent.size() >= PosixSignalSafeFolderRemoval::kPathCapacity ||
      name.size() >= PosixSignalSafeFolderRemoval::kNameCapacity)
    throw Error("Cannot prepare the removal of " + folder.string() + ": the path is too long");
  return std::make_unique<PosixSignalSafeFolderRemoval>(parent, name);
}

}  // namespace platform
