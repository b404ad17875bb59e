#pragma once
// Zip unpacking as the package splitting uses it (language and flag archives), and zip writing
// as the packing of a book makes those archives. Implemented over libarchive in platform/archive/.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What one archive may unpack to. An archive past any limit is not unpacked at all.
struct UnzipLimits {
  // Total unpacked bytes: this many per byte of the archive file, and never more than maxBytes.
  std::uint64_t bytesPerArchiveByte = 1000;
  std::uint64_t maxBytes = std::uint64_t{4} << 30;
  std::uint64_t maxEntries = 65'536;
  std::size_t maxNameBytes = 1'024;
  std::size_t maxDepth = 32;  // path segments of an entry name
  // Distinct folders the entry names make (each leading part of a name, and a folder entry's
  // whole name), however few entries make them.
  std::size_t maxFolders = 4'096;
};

struct UnzipReport {
  int filesWritten = 0;
  // Entry names passed over as unsafe (absolute, with a ".." segment, a link, or reaching
  // outside the folder through an existing link), in archive order.
  std::vector<std::string> skipped;
  // Set when the archive went past a limit: which one. Whatever the unpacking had written is
  // then removed again and filesWritten is 0.
  std::optional<std::string> overLimit;
};

// Unpacks every entry of the PKWARE zip `archive` (stored or deflated entries) into `folder`,
// creating `folder` and the entries' relative folders as needed and overwriting existing files.
// Unsafe entries are skipped and listed in the report; nothing is ever written outside `folder`.
// The entry names, the folders they make and the sizes they announce are checked against `limits`
// before anything is written; the bytes actually unpacked are counted as they are written, since
// an archive may announce less than it holds. What the unpacking keeps in memory is bounded by
// the limits too.
// Raises Error naming the archive when it cannot be opened or read; entries written before a
// damaged one stay on disk.
UnzipReport UnzipAll(const std::filesystem::path& archive, const std::filesystem::path& folder,
                     const UnzipLimits& limits = {});

// Writes every file and folder below `folder` to `out` as a PKWARE zip archive with deflated
// entries: names relative to `folder` with "/" separators (a folder's name ends in "/"), in
// name order, modification times kept. Raises Error naming the path for a link or any other
// entry that is neither a file nor a folder, for a file that cannot be read, and when `out`
// fails.
void ZipFolder(const std::filesystem::path& folder, std::ostream& out);

}  // namespace platform
