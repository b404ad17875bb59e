#pragma once
// POSIX back-end of platform/FileCopy.h.
// Implements: KernelCopyRange with copy_file_range(2), which the kernel refuses with EXDEV
//   (different file systems on older kernels), EINVAL (a file system without support, special
//   files), ENOSYS (kernels before 4.5) or EOPNOTSUPP; the copy then stops where it is.
// Does not: copy holes as holes, or copy anything itself when the kernel refuses.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>

namespace platform::posix {

// The system call, as a parameter so the refusals can be tested on any kernel.
using CopyFileRangeCall = ssize_t (*)(int in, off64_t* inOffset, int out, off64_t* outOffset,
                                      size_t length, unsigned int flags);

std::uint64_t KernelCopyRange(const std::filesystem::path& source, std::uint64_t offset,
                              std::uint64_t length, const std::filesystem::path& destination,
                              CopyFileRangeCall call);

}  // namespace platform::posix
