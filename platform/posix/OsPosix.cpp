// POSIX back-end of platform/Os.h.
// Implements: temporary folder, random v4 GUID text, the read-only flag as "no write permission
// for anyone", a named lock held with flock(2) on a file in $XDG_RUNTIME_DIR or, failing that,
// in "bookstub" in the user's cache folder ($XDG_CACHE_HOME, else ~/.cache; mode 0700, owner
// checked), opened without following links, a headless message box (one line on stderr),
// the running executable from /proc/self/exe, the local time from localtime_r and SIGPIPE
// ignored.
// Does not implement: a graphical message box, system-wide named objects other than files, the
// system code page (every text is UTF-8).

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>

#include "platform/Os.h"

namespace fs = std::filesystem;

namespace platform {

fs::path TempPath() {
  return fs::temp_directory_path();
}

void IgnoreBrokenPipes() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

std::string NewGuid() {
  std::random_device device;
  std::array<unsigned char, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = device();
    for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[39];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

namespace {

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

}  // namespace

bool IsReadOnly(const fs::path& file) {
  return (fs::status(file).permissions() & kAnyWrite) == fs::perms::none;
}

void SetReadOnly(const fs::path& file, bool readOnly) {
  if (readOnly)
    fs::permissions(file, kAnyWrite, fs::perm_options::remove);
  else
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

namespace {

class FlockNamedLock : public NamedLock {
 public:
  FlockNamedLock(int fd, bool alreadyExists) : fd_(fd), alreadyExists_(alreadyExists) {}
  ~FlockNamedLock() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FlockNamedLock(const FlockNamedLock&) = delete;
  FlockNamedLock& operator=(const FlockNamedLock&) = delete;
  bool AlreadyExists() const override { return alreadyExists_; }

 private:
  int fd_;
  bool alreadyExists_;
};

// A folder that only the current user can reach: a real folder (not a link), owned by the
// user, with no access for anyone else. Returns an open descriptor of it, or -1.
int OpenPrivateFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0)
    return fd;
  ::close(fd);
  return -1;
}

// The user's cache folder: $XDG_CACHE_HOME when it is absolute, else .cache in the home folder
// ($HOME, else the user database's). Empty when neither is known.
fs::path CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache != nullptr && *cache == '/') return cache;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') return fs::path(home) / ".cache";
  std::array<char, 4096> buffer{};
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/')
    return fs::path(found->pw_dir) / ".cache";
  return {};
}

// Makes the folders of `folder` that are missing, each open to its owner only.
void MakeFolders(const fs::path& folder) {
  fs::path made;
  for (const fs::path& part : folder) {
    made /= part;
    ::mkdir(made.c_str(), 0700);  // an existing one stays as it is
  }
}

// The user's runtime folder when it is private; otherwise "bookstub" in the user's cache folder,
// made when missing. Not the shared temporary folder: there another user could take the name
// first. Anything at that place that is not the user's private folder (a link, a folder open to
// others) is refused: -1, with the reason on stderr.
int OpenLockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/') {
    const int fd = OpenPrivateFolder(runtime);
    if (fd >= 0) return fd;
  }
  const fs::path cache = CacheFolder();
  if (cache.empty()) {
    std::cerr << "Bookstub: neither a runtime folder nor a home folder; no lock is taken"
              << std::endl;
    return -1;
  }
  const fs::path own = cache / "bookstub";
  MakeFolders(own);
  const int fd = OpenPrivateFolder(own);
  if (fd < 0)
    std::cerr << "Bookstub: " << own.string()
              << " is not a folder of this user's alone; no lock is taken" << std::endl;
  return fd;
}

std::string LockFileName(std::string_view name) {
  std::string safe;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    safe += plain ? c : '_';
  }
  return "bookstub-" + safe + ".lock";
}

}  // namespace

std::unique_ptr<NamedLock> CreateNamedLock(std::string_view name) {
  const int folder = OpenLockFolder();
  if (folder < 0) return std::make_unique<FlockNamedLock>(-1, false);
  const int fd =
      ::openat(folder, LockFileName(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  ::close(folder);
  if (fd < 0) return std::make_unique<FlockNamedLock>(-1, false);
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return std::make_unique<FlockNamedLock>(-1, true);
  }
  return std::make_unique<FlockNamedLock>(fd, false);
}

void ShowMessageBox(std::string_view text, std::string_view title) {
  std::cerr << title << ": " << text << std::endl;
}

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

fs::path RunningExecutablePath() {
  return fs::read_symlink("/proc/self/exe");
}

}  // namespace platform
