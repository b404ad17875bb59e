#include "platform/ruffle/BookFileResolver.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>
#include "util/AsciiCase.h"
#include "util/MimeTypes.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

// The non-empty segments of the path, or nothing when a segment could step out of the folder.
std::optional<std::vector<std::string>> SplitSegments(std::string_view relativePath) {
  std::vector<std::string> segments;
  std::string current;
  auto flush = [&]() -> bool {
    if (current == "." || current == "..") return false;
    if (!current.empty()) segments.push_back(std::move(current));
    current.clear();
    return true;
  };
  for (char c : relativePath) {
    if (c == '\0') return std::nullopt;
    if (IsSeparator(c)) {
      if (!flush()) return std::nullopt;
    } else {
      current += c;
    }
  }
  if (!flush()) return std::nullopt;
  return segments;
}

bool IsInside(const fs::path& root, const fs::path& file) {
  auto [rootEnd, fileEnd] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileEnd != file.end();
}

}  // namespace

BookFileResolver::BookFileResolver(const fs::path& root,
                                   const std::vector<fs::path>& hiddenFolders) {
  std::error_code error;
  root_ = fs::canonical(root, error);
  if (error) root_.clear();
  for (const fs::path& folder : hiddenFolders) {
    const fs::path canonical = fs::weakly_canonical(folder, error);
    if (!error) hidden_.push_back(canonical);
  }
}

const BookFileResolver::FolderIndex& BookFileResolver::IndexOf(const fs::path& folder) {
  if (const auto found = folders_.find(folder); found != folders_.end()) return found->second;
  if (indexedNames_ >= kMaxIndexedNames) {
    folders_.clear();
    indexedNames_ = 0;
  }
  ++listings_;
  FolderIndex& index = folders_[folder];
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end;
       !error && it != end && indexedNames_ < kMaxIndexedNames; it.increment(error)) {
    const std::string name = it->path().filename().string();
    index[AsciiLowerCase(name)].push_back(name);
    ++indexedNames_;
  }
  for (auto& [lower, names] : index) std::ranges::sort(names);
  return index;
}

// The entries of `folder` that match `segment` in another letter case, by name.
std::vector<fs::path> BookFileResolver::OtherCaseEntries(const fs::path& folder,
                                                         const std::string& segment) {
  std::vector<fs::path> entries;
  const FolderIndex& index = IndexOf(folder);
  if (const auto found = index.find(AsciiLowerCase(segment)); found != index.end()) {
    for (const std::string& name : found->second) {
      if (name != segment) entries.push_back(folder / name);
    }
  }
  return entries;
}

// The first regular file reached from `folder` by the remaining segments, each segment matched
// exactly or else in another letter case ("res" and "Res" may both exist; only one may hold
// the rest of the path). The index is read only when the exact name leads nowhere.
std::optional<fs::path> BookFileResolver::FindPath(const fs::path& folder,
                                                   std::span<const std::string> segments) {
  std::error_code error;
  if (segments.empty()) {
    return fs::is_regular_file(folder, error) ? std::optional(folder) : std::nullopt;
  }
  const fs::path exact = folder / fs::path(segments.front());
  if (fs::exists(fs::symlink_status(exact, error))) {
    if (auto found = FindPath(exact, segments.subspan(1))) return found;
  }
  if (!fs::is_directory(folder, error)) return std::nullopt;
  for (const fs::path& entry : OtherCaseEntries(folder, segments.front())) {
    if (auto found = FindPath(entry, segments.subspan(1))) return found;
  }
  return std::nullopt;
}

std::optional<fs::path> BookFileResolver::Resolve(std::string_view relativePath) {
  const auto segments = SplitSegments(relativePath);
  if (!segments || segments->empty() || root_.empty()) return std::nullopt;

  const auto candidate = FindPath(root_, *segments);
  if (!candidate) return std::nullopt;

  std::error_code error;
  const fs::path resolved = fs::canonical(*candidate, error);
  if (error || !IsInside(root_, resolved)) return std::nullopt;
  for (const fs::path& hidden : hidden_) {
    if (resolved == hidden || IsInside(hidden, resolved)) return std::nullopt;
  }
  if (!fs::is_regular_file(resolved, error)) return std::nullopt;
  return resolved;
}

std::optional<fs::path> ResolveBookFile(const fs::path& root, std::string_view relativePath) {
  return BookFileResolver(root).Resolve(relativePath);
}

std::string_view MimeTypeForFile(const fs::path& file) {
  return ::MimeTypeForFile(file);
}

}  // namespace platform
