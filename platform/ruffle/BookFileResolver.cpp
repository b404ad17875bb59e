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

// The entries of `folder` that `segment` may name: the exact one first when it exists, then
// those matching it in another letter case, by name.
std::vector<fs::path> CandidateEntries(const fs::path& folder, const std::string& segment) {
  std::vector<fs::path> candidates;
  std::error_code error;
  const fs::path exact = folder / fs::path(segment);
  if (fs::exists(fs::symlink_status(exact, error))) candidates.push_back(exact);

  std::vector<fs::path> others;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& entry = it->path();
    if (entry.filename() != segment && SameTextAscii(entry.filename().native(), segment)) {
      others.push_back(entry);
    }
  }
  std::ranges::sort(others);
  candidates.insert(candidates.end(), others.begin(), others.end());
  return candidates;
}

// The first regular file reached from `folder` by the remaining segments, each segment matched
// exactly or else in another letter case ("res" and "Res" may both exist; only one may hold
// the rest of the path).
std::optional<fs::path> FindPath(const fs::path& folder, std::span<const std::string> segments) {
  if (segments.empty()) {
    std::error_code error;
    return fs::is_regular_file(folder, error) ? std::optional(folder) : std::nullopt;
  }
  for (const fs::path& entry : CandidateEntries(folder, segments.front())) {
    if (auto found = FindPath(entry, segments.subspan(1))) return found;
  }
  return std::nullopt;
}

bool IsInside(const fs::path& root, const fs::path& file) {
  auto [rootEnd, fileEnd] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileEnd != file.end();
}

}  // namespace

std::optional<fs::path> ResolveBookFile(const fs::path& root, std::string_view relativePath) {
  const auto segments = SplitSegments(relativePath);
  if (!segments || segments->empty()) return std::nullopt;

  std::error_code error;
  const fs::path canonicalRoot = fs::canonical(root, error);
  if (error) return std::nullopt;

  const auto candidate = FindPath(canonicalRoot, *segments);
  if (!candidate) return std::nullopt;

  const fs::path resolved = fs::canonical(*candidate, error);
  if (error || !IsInside(canonicalRoot, resolved)) return std::nullopt;
  if (!fs::is_regular_file(resolved, error)) return std::nullopt;
  return resolved;
}

std::string_view MimeTypeForFile(const fs::path& file) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kTypes{{
      {".swf", "application/x-shockwave-flash"},
      {".wasm", "application/wasm"},
      {".html", "text/html"},
      {".htm", "text/html"},
      {".js", "text/javascript"},
      {".css", "text/css"},
      {".json", "application/json"},
      {".xml", "text/xml"},
      {".txt", "text/plain"},
      {".ini", "text/plain"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".bmp", "image/bmp"},
      {".tif", "image/tiff"},
      {".tiff", "image/tiff"},
      {".svg", "image/svg+xml"},
      {".mp3", "audio/mpeg"},
      {".wav", "audio/wav"},
      {".flv", "video/x-flv"},
      {".mp4", "video/mp4"},
      {".pdf", "application/pdf"},
      {".zip", "application/zip"},
  }};
  const std::string extension = file.extension().string();
  for (const auto& [known, type] : kTypes) {
    if (SameTextAscii(extension, known)) return type;
  }
  return "application/octet-stream";
}

}  // namespace platform
