#pragma once
// Zip unpacking as the package splitting uses it (language and flag archives), and zip writing
// as the packing of a book makes those archives. Implemented over libarchive in platform/archive/.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace platform {

struct UnzipReport {
  int filesWritten = 0;
  // Entry names passed over as unsafe (absolute, with a ".." segment, a link, or reaching
  // outside the folder through an existing link), in archive order.
  std::vector<std::string> skipped;
};

// Unpacks every entry of the PKWARE zip `archive` (stored or deflated entries) into `folder`,
// creating `folder` and the entries' relative folders as needed and overwriting existing files.
// Unsafe entries are skipped and listed in the report; nothing is ever written outside `folder`.
// Raises Error naming the archive when it cannot be opened or read; entries written before a
// damaged one stay on disk.
UnzipReport UnzipAll(const std::filesystem::path& archive, const std::filesystem::path& folder);

// Writes every file and folder below `folder` to `out` as a PKWARE zip archive with deflated
// entries: names relative to `folder` with "/" separators (a folder's name ends in "/"), in
// name order, modification times kept. Raises Error naming the path for a link or any other
// entry that is neither a file nor a folder, for a file that cannot be read, and when `out`
// fails.
void ZipFolder(const std::filesystem::path& folder, std::ostream& out);

}  // namespace platform
