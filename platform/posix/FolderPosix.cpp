// POSIX back-end of the folder services of platform/Os.h.
// Implements: the process-wide private creation mask (umask 077), a private folder made with
// mkdir(2) mode 0700 (which fails on any existing entry, links included), and folders held
// open by descriptor: entries listed with readdir, reached and removed with openat/unlinkat
// relative to the descriptor, O_NOFOLLOW everywhere, identity from fstat's device and inode.
// A folder without owner access (mode 000) is opened through an O_PATH descriptor and given
// that access through /proc/self/fd, so no link is followed there either.
// Folder locks: flock(2) on a file opened with O_NOFOLLOW | O_CLOEXEC; an abandoned folder is
// checked through descriptors (openat with O_NOFOLLOW, fstat) and its lock tried with LOCK_NB.
// Does not: follow links, cross into other users' folders (the kernel refuses), or restore the
// access it added to a folder it could not empty.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/Os.h"
#include "platform/posix/DescriptorPosix.h"
#include "platform/posix/ErrnoText.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace platform {

void KeepNewFilesPrivate() {
  ::umask(077);
}

void CreatePrivateFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0)
    throw Error("Cannot create the folder " + folder.string() + ": " + posix::ErrnoText(errno));
}

namespace {

using posix::Descriptor;

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsFolderMode(mode_t mode) {
  return S_ISDIR(mode);
}

EntryKind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return EntryKind::Folder;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

// A folder its owner cannot read or search cannot be opened for listing. Reach it by an O_PATH
// descriptor (which needs no access and follows no link), grant the access through that
// descriptor's /proc entry, which names that very folder, then open it for real.
int OpenLockedFolder(int parent, const std::string& name) {
  const Descriptor located(
      ::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (located.Get() < 0) return -1;
  struct stat status {};
  if (::fstat(located.Get(), &status) != 0) return -1;
  const std::string byDescriptor = "/proc/self/fd/" + std::to_string(located.Get());
  if (::chmod(byDescriptor.c_str(), (status.st_mode & 07777) | S_IRWXU) != 0) return -1;
  return ::openat(located.Get(), ".", kFolderFlags);
}

class PosixFolder : public OpenFolder {
 public:
  // Takes `fd`; null when it is not a usable folder. With `grantOwnerAccess` the owner gets
  // read, write and search access, as removing the entries needs.
  static std::unique_ptr<PosixFolder> Adopt(int fd, bool grantOwnerAccess) {
    Descriptor owned(fd);
    struct stat status {};
    if (owned.Get() < 0 || ::fstat(owned.Get(), &status) != 0 || !IsFolderMode(status.st_mode))
      return nullptr;
    if (grantOwnerAccess && (status.st_mode & S_IRWXU) != S_IRWXU)
      ::fchmod(owned.Get(), (status.st_mode & 07777) | S_IRWXU);  // a failure shows up later
    const FolderIdentity identity{static_cast<std::uint64_t>(status.st_dev),
                                  static_cast<std::uint64_t>(status.st_ino)};
    return std::unique_ptr<PosixFolder>(new PosixFolder(owned.Release(), identity));
  }

  ~PosixFolder() override { ::close(fd_); }
  PosixFolder(const PosixFolder&) = delete;
  PosixFolder& operator=(const PosixFolder&) = delete;

  FolderIdentity Identity() const override { return identity_; }

  std::vector<FolderEntry> Entries() override {
    std::vector<FolderEntry> entries;
    // The listing gets its own descriptor: closedir closes it.
    DIR* listing = ::fdopendir(::openat(fd_, ".", kFolderFlags));
    if (listing == nullptr) return entries;
    while (const dirent* entry = ::readdir(listing)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool folder = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN) folder = KindOf(name) == EntryKind::Folder;
      entries.push_back({name, folder});
    }
    ::closedir(listing);
    return entries;
  }

  EntryKind KindOf(const std::string& name) override {
    struct stat status {};
    if (::fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT ? EntryKind::Missing : EntryKind::Other;
    return KindOfMode(status.st_mode);
  }

  std::unique_ptr<OpenFolder> OpenSubfolder(const std::string& name) override {
    int fd = ::openat(fd_, name.c_str(), kFolderFlags);
    if (fd < 0 && errno == EACCES) fd = OpenLockedFolder(fd_, name);
    return Adopt(fd, true);
  }

  std::unique_ptr<OpenFolder> OpenContaining() override {
    return Adopt(::openat(fd_, "..", kFolderFlags), false);
  }

  bool Remove(const std::string& name, bool folder) override {
    if (::unlinkat(fd_, name.c_str(), folder ? AT_REMOVEDIR : 0) == 0) return true;
    // The entry changed kind since it was listed: try the other way.
    if (errno != ENOTDIR && errno != EISDIR && errno != EPERM) return false;
    return ::unlinkat(fd_, name.c_str(), folder ? 0 : AT_REMOVEDIR) == 0;
  }

 private:
  PosixFolder(int fd, FolderIdentity identity) : fd_(fd), identity_(identity) {}

  int fd_;
  FolderIdentity identity_;
};

class FlockFileLock final : public FileLock {
 public:
  explicit FlockFileLock(int fd) : fd_(fd) {}
  ~FlockFileLock() override { ::close(fd_); }  // closing releases the lock
  FlockFileLock(const FlockFileLock&) = delete;
  FlockFileLock& operator=(const FlockFileLock&) = delete;

 private:
  int fd_;
};

bool Lock(int fd, int operation) {
  int rc;
  do {
    rc = ::flock(fd, operation);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

// Owned by this user and open to nobody else.
bool IsPrivateToUser(const struct stat& status, mode_t kind) {
  return (status.st_mode & S_IFMT) == kind && status.st_uid == ::geteuid() &&
         (status.st_mode & 077) == 0;
}

}  // namespace

std::unique_ptr<FileLock> HoldFolderLock(const fs::path& folder, const std::string& name) {
  const Descriptor parent(::open(folder.c_str(), kFolderFlags));
  // Locked before it gets its name: whoever looks for free locks never sees it unlocked.
  const std::string unnamed = name + ".new";
  Descriptor file(parent.Get() < 0
                      ? -1
                      : ::openat(parent.Get(), unnamed.c_str(),
                                 O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  const bool held = file.Get() >= 0 && Lock(file.Get(), LOCK_EX | LOCK_NB) &&
                    // Fails when anything has the name already, a link planted there too.
                    ::linkat(parent.Get(), unnamed.c_str(), parent.Get(), name.c_str(), 0) == 0;
  const int error = errno;
  if (file.Get() >= 0) ::unlinkat(parent.Get(), unnamed.c_str(), 0);
  if (!held)
    throw Error("Cannot lock " + (folder / name).string() + ": " + posix::ErrnoText(error));
  return std::make_unique<FlockFileLock>(file.Release());
}

std::unique_ptr<FileLock> TakeAbandonedFolder(const fs::path& parent, const std::string& name,
                                              const std::string& lockName) {
  const Descriptor within(::open(parent.c_str(), kFolderFlags));
  if (within.Get() < 0) return nullptr;
  const Descriptor folder(::openat(within.Get(), name.c_str(), kFolderFlags));
  struct stat status {};
  if (folder.Get() < 0 || ::fstat(folder.Get(), &status) != 0 ||
      !IsPrivateToUser(status, S_IFDIR) || (status.st_mode & 07777) != 0700)
    return nullptr;
  // Without blocking: a FIFO in its place would wait for a writer.
  Descriptor lock(
      ::openat(folder.Get(), lockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (lock.Get() < 0 || ::fstat(lock.Get(), &status) != 0 || !IsPrivateToUser(status, S_IFREG) ||
      !Lock(lock.Get(), LOCK_EX | LOCK_NB))
    return nullptr;
  return std::make_unique<FlockFileLock>(lock.Release());
}

std::unique_ptr<OpenFolder> OpenFolderAt(const fs::path& path) {
  return PosixFolder::Adopt(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), false);
}

}  // namespace platform
