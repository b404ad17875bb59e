#pragma once
// Maps the path of a web request to a file inside the book root, for the Flash host's URL scheme.
// Implements: segment checks (no "." or ".." segments, no NUL), a case-insensitive fallback per
// segment for books authored on case-insensitive file systems, and a final check that the
// resolved file (links followed) lies inside the book root. MIME types by file extension.
// Does not: serve anything, read files, or fold letter case beyond ASCII.

#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// The regular file that `relativePath` (URL-decoded, '/' or '\' separated, relative to `root`)
// names, as a canonical path inside the canonical `root`; nothing when the path is unsafe, the
// file is missing, or it resolves outside the root.
std::optional<std::filesystem::path> ResolveBookFile(const std::filesystem::path& root,
                                                     std::string_view relativePath);

// The Content-Type sent for a file, chosen by its extension in any letter case;
// "application/octet-stream" when the extension is unknown.
std::string_view MimeTypeForFile(const std::filesystem::path& file);

}  // namespace platform
