// POSIX back-end of platform/FileRead.h.
// Implements: OpenFileWithoutLinks by walking the path from "/" one part at a time with openat
//   and O_NOFOLLOW (the folders as O_PATH descriptors), the file itself opened non-blocking, so
//   that a pipe in its place cannot stall the opening, and checked with fstat.
// Does not: follow any link, not even one on the way to the file's folder; open a relative path.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <string>

#include "platform/FileRead.h"
#include "platform/posix/DescriptorPosix.h"
#include "platform/posix/ErrnoText.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

[[noreturn]] void Fail(const fs::path& file, const std::string& why) {
  throw Error("Cannot read \"" + file.string() + "\": " + why);
}

using posix::Descriptor;

class PosixReadableFile final : public ReadableFile {
 public:
  PosixReadableFile(fs::path file, int fd) : file_(std::move(file)), fd_(fd) {}

  // Fails unless the file opened is a regular file.
  void CheckRegular() {
    struct stat status {};
    if (::fstat(fd_.Get(), &status) != 0) Fail(file_, posix::ErrnoText(errno));
    if (!S_ISREG(status.st_mode)) Fail(file_, "it is not a regular file");
    size_ = static_cast<std::uint64_t>(status.st_size);
  }

  std::uint64_t Size() const override { return size_; }

  std::size_t Read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t got = ::read(fd_.Get(), buffer, size);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) Fail(file_, posix::ErrnoText(errno));
    }
  }

 private:
  fs::path file_;
  Descriptor fd_;
  std::uint64_t size_ = 0;
};

// Why `name` in `folder` could not be opened without following a link.
std::string WhyNotOpened(int folder, const char* name, int error) {
  struct stat status {};
  if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
    return "a part of its path is a link";
  return posix::ErrnoText(error);
}

}  // namespace

std::unique_ptr<ReadableFile> OpenFileWithoutLinks(const fs::path& file) {
  if (!file.is_absolute() || !file.has_filename()) Fail(file, "it is no absolute file path");
  Descriptor folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) Fail(file, posix::ErrnoText(errno));
  const fs::path parts = file.relative_path();
  for (auto part = parts.begin(); std::next(part) != parts.end(); ++part) {
    const int next =
        ::openat(folder.Get(), part->c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) Fail(file, WhyNotOpened(folder.Get(), part->c_str(), errno));
    folder.Reset(next);
  }
  const int fd = ::openat(folder.Get(), file.filename().c_str(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) Fail(file, WhyNotOpened(folder.Get(), file.filename().c_str(), errno));
  auto opened = std::make_unique<PosixReadableFile>(file, fd);
  opened->CheckRegular();
  return opened;
}

}  // namespace platform
