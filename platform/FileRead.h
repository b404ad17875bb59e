#pragma once
// Reading the files of a folder the user gave (a source book), without following links: a path
// checked to lie inside the folder is the file that is read. Implemented per platform
// (platform/posix/ here).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace platform {

// A regular file opened for reading; closed when it goes.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The file's size when it was opened.
  virtual std::uint64_t Size() const = 0;
  // Reads up to `size` bytes into `buffer`; 0 at the end. Raises Error naming the file when
  // the read fails.
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// Opens the regular file `file`, an absolute path, for reading when no part of the path is a
// link (links are never followed). Raises Error naming the file when a part is a link, when it
// is not a regular file (a folder, a pipe, a device), or when it cannot be opened.
std::unique_ptr<ReadableFile> OpenFileWithoutLinks(const std::filesystem::path& file);

}  // namespace platform
