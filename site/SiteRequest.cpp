#include "site/SiteRequest.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "site/SiteLayout.h"
#include "util/AsciiCase.h"
#include "util/MimeTypes.h"

namespace fs = std::filesystem;

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Whether the parameters of one Accept-Encoding entry ("q=0.5", ...) leave it acceptable.
bool Acceptable(std::string_view parameters) {
  while (!parameters.empty()) {
    const auto semicolon = parameters.find(';');
    const std::string_view parameter = Trimmed(parameters.substr(0, semicolon));
    parameters =
        semicolon == std::string_view::npos ? std::string_view{} : parameters.substr(semicolon + 1);
    if (parameter.size() < 2 || AsciiLower(parameter[0]) != 'q' || parameter[1] != '=') continue;
    const std::string_view value = Trimmed(parameter.substr(2));
    // q is at most three decimals: "0", "0.0", "0.000" refuse, anything else accepts.
    return value.find_first_not_of("0.") != std::string_view::npos;
  }
  return true;
}

// The segments of `path`, or nothing when one is unsafe or hidden.
std::optional<std::vector<std::string>> Segments(std::string_view path) {
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    if (segment.find('\0') != std::string_view::npos || segment.starts_with('.'))
      return std::nullopt;
    if (!segment.empty()) segments.emplace_back(segment);
    start = end + 1;
  }
  return segments;
}

bool IsInside(const fs::path& root, const fs::path& file) {
  auto [rootEnd, fileEnd] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileEnd != file.end();
}

// `file` (links followed) when it is a regular file inside `root` (canonical).
std::optional<fs::path> RegularFileInside(const fs::path& root, const fs::path& file) {
  std::error_code error;
  const fs::path resolved = fs::canonical(file, error);
  if (error || !IsInside(root, resolved) || !fs::is_regular_file(resolved, error)) return {};
  return resolved;
}

}  // namespace

AcceptedEncodings ParseAcceptEncoding(std::string_view header) {
  AcceptedEncodings accepted;
  bool namedGzip = false;
  bool namedBrotli = false;
  std::optional<bool> anyOther;  // "*": every coding not named
  while (!header.empty()) {
    const auto comma = header.find(',');
    const std::string_view entry = header.substr(0, comma);
    header = comma == std::string_view::npos ? std::string_view{} : header.substr(comma + 1);
    const auto semicolon = entry.find(';');
    const std::string_view coding = Trimmed(entry.substr(0, semicolon));
    const bool acceptable =
        semicolon == std::string_view::npos || Acceptable(entry.substr(semicolon + 1));
    if (SameTextAscii(coding, "gzip")) {
      accepted.gzip = acceptable;
      namedGzip = true;
    } else if (SameTextAscii(coding, "br")) {
      accepted.brotli = acceptable;
      namedBrotli = true;
    } else if (coding == "*") {
      anyOther = acceptable;
    }
  }
  if (anyOther && !namedGzip) accepted.gzip = *anyOther;
  if (anyOther && !namedBrotli) accepted.brotli = *anyOther;
  return accepted;
}

std::optional<SiteAnswer> AnswerSiteRequest(const fs::path& root, std::string_view path,
                                            AcceptedEncodings accepted) {
  const auto segments = Segments(path);
  if (!segments) return std::nullopt;
  std::error_code error;
  const fs::path canonicalRoot = fs::canonical(root, error);
  if (error) return std::nullopt;

  fs::path named = canonicalRoot;
  for (const std::string& segment : *segments) named /= segment;
  if (fs::is_directory(named, error)) named /= kSitePage;
  const auto file = RegularFileInside(canonicalRoot, named);
  if (!file) return std::nullopt;

  SiteAnswer answer{*file, MimeTypeForFile(named), {}, false};
  const auto brotli = RegularFileInside(canonicalRoot, fs::path(named) += kBrotliSuffix);
  const auto gzip = RegularFileInside(canonicalRoot, fs::path(named) += kGzipSuffix);
  answer.hasCopies = brotli || gzip;
  if (brotli && accepted.brotli) {
    answer.file = *brotli;
    answer.contentEncoding = "br";
  } else if (gzip && accepted.gzip) {
    answer.file = *gzip;
    answer.contentEncoding = "gzip";
  }
  return answer;
}
