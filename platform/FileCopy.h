#pragma once
// Copying a byte range of one file into another inside the kernel, without passing the bytes
// through the process, where the system and the file systems allow it. Implemented per platform
// (platform/posix/ here: copy_file_range).
//
// The caller copies whatever the kernel did not through its own buffer:
//   const std::uint64_t done = platform::KernelCopyRange(package, start, length, file);
//   // bytes [start + done, start + length) still to be appended to `file`

#include <cstdint>
#include <filesystem>

namespace platform {

// Creates `destination` (truncating an existing file) and has the kernel copy `length` bytes of
// `source` from `offset` into it. Returns how many bytes were copied: all of them, or fewer
// (none at all on many systems) when the kernel refuses to copy between these files; the
// destination then holds exactly those bytes. Raises Error naming the file when either file
// cannot be opened, when a read or write fails, and Error(kStreamReadError) when the source ends
// before the range does.
std::uint64_t KernelCopyRange(const std::filesystem::path& source, std::uint64_t offset,
                              std::uint64_t length, const std::filesystem::path& destination);

}  // namespace platform
