#include "platform/posix/FileCopyPosix.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/FileCopy.h"
#include "platform/posix/DescriptorPosix.h"
#include "platform/posix/ErrnoText.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace platform {
namespace posix {
namespace {

// One call copies at most this much: the kernel stops below 2 GiB anyway.
constexpr std::uint64_t kMaxCallBytes = 1u << 30;

bool KernelRefuses(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

}  // namespace

std::uint64_t KernelCopyRange(const fs::path& source, std::uint64_t offset, std::uint64_t length,
                              const fs::path& destination, CopyFileRangeCall call) {
  const Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Get() < 0) throw Error("Cannot open file \"" + source.string() + "\"");
  const Descriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (out.Get() < 0) throw Error("Cannot create file \"" + destination.string() + "\"");
  auto from = static_cast<off64_t>(offset);
  std::uint64_t done = 0;
  while (done < length) {
    const auto chunk = static_cast<size_t>(std::min(length - done, kMaxCallBytes));
    const ssize_t copied = call(in.Get(), &from, out.Get(), nullptr, chunk, 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied < 0 && KernelRefuses(errno)) break;
    if (copied < 0)
      throw Error("Cannot write file \"" + destination.string() + "\": " + ErrnoText(errno));
    if (copied == 0) throw Error(kStreamReadError);
    done += static_cast<std::uint64_t>(copied);
  }
  return done;
}

}  // namespace posix

std::uint64_t KernelCopyRange(const fs::path& source, std::uint64_t offset, std::uint64_t length,
                              const fs::path& destination) {
  return posix::KernelCopyRange(source, offset, length, destination, ::copy_file_range);
}

}  // namespace platform
