#pragma once
// A folder the user makes a book from: a source book, a folder of pictures. Every file taken from
// it must really lie inside it: a link leading out of it would put the user's own files (a
// private key, a folder of documents) into a book that is given away. Links that stay inside
// are followed.

#include <filesystem>
#include <map>
#include <optional>

class TSourceFolder {
 public:
  // `folder` as the user named it; links on the way to it are the user's and are followed.
  explicit TSourceFolder(const std::filesystem::path& folder);

  // Where `path` (below the folder as named) really lies, every link on the way followed.
  // Nothing when a link on the way leads out of the folder: the first such link is noted. A
  // path that does not exist comes back as it is, for the caller to report.
  std::optional<std::filesystem::path> RealPath(const std::filesystem::path& path);

  // Raises Error naming every link noted and where it leads, when there is one.
  void RefuseLinksLeadingOut() const;

 private:
  bool Inside(const std::filesystem::path& real) const;

  std::filesystem::path folder_;                                     // as named
  std::filesystem::path real_;                                       // every link followed
  std::map<std::filesystem::path, std::filesystem::path> linksOut_;  // link, where it leads
};
