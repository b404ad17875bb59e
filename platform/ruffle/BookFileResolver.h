#pragma once
// Maps the path of a web request to a file inside the book root, for the Flash host's URL scheme.
// Implements: segment checks (no "." or ".." segments, no NUL), a case-insensitive fallback per
// segment for books authored on case-insensitive file systems, a final check that the resolved
// file (links followed) lies inside the book root and outside its hidden folders (the run's
// log). MIME types by file extension.
// Does not: serve anything, read files, or fold letter case beyond ASCII.
//
// The fallback looks names up in an index of each folder it has to search, made once (the
// split has finished writing the book before the movie plays): a request for a missing name
// costs a lookup, not a listing of its folder. The index holds at most kMaxIndexedNames names;
// beyond that it starts again, and a folder with more names than that is searched among its
// first kMaxIndexedNames only.

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class BookFileResolver {
 public:
  static constexpr std::size_t kMaxIndexedNames = 200000;

  // `root` and the folders inside it whose files are never served.
  explicit BookFileResolver(const std::filesystem::path& root,
                            const std::vector<std::filesystem::path>& hiddenFolders = {});

  // The regular file that `relativePath` (URL-decoded, '/' or '\' separated, relative to the
  // root) names, as a canonical path inside the canonical root; nothing when the path is unsafe,
  // the file is missing, or it resolves outside the root or inside a hidden folder.
  std::optional<std::filesystem::path> Resolve(std::string_view relativePath);

  // How many folder listings the resolver has made (each folder once while the index holds).
  std::size_t Listings() const { return listings_; }

 private:
  // A folder's names by their ASCII lower case, each list in name order.
  using FolderIndex = std::unordered_map<std::string, std::vector<std::string>>;

  const FolderIndex& IndexOf(const std::filesystem::path& folder);
  std::vector<std::filesystem::path> OtherCaseEntries(const std::filesystem::path& folder,
                                                      const std::string& segment);
  std::optional<std::filesystem::path> FindPath(const std::filesystem::path& folder,
                                                std::span<const std::string> segments);

  std::filesystem::path root_;  // canonical; empty when the root is missing
  std::vector<std::filesystem::path> hidden_;
  std::map<std::filesystem::path, FolderIndex> folders_;
  std::size_t indexedNames_ = 0;
  std::size_t listings_ = 0;
};

// One request resolved by a resolver of its own (see BookFileResolver::Resolve).
std::optional<std::filesystem::path> ResolveBookFile(const std::filesystem::path& root,
                                                     std::string_view relativePath);

// The Content-Type sent for a file, chosen by its extension in any letter case;
// "application/octet-stream" when the extension is unknown.
std::string_view MimeTypeForFile(const std::filesystem::path& file);

}  // namespace platform
