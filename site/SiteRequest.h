#pragma once
// Which file of a site folder answers a web request, for the server of `bookstub serve`. Names
// are taken exactly as written, as any static web server takes them: the site's page resolves
// the book's own names itself (SiteLayout.h).
//
// Refused: a path with a NUL, a "." or ".." segment, or a segment starting with "." (hidden
// files); a name that is not a regular file; a file that, links followed, lies outside the
// folder. A path naming a folder (or ending in "/") is answered by the folder's index.html.

#include <filesystem>
#include <optional>
#include <string_view>

struct SiteAnswer {
  std::filesystem::path file;        // what to send: the file, or its compressed copy
  std::string_view contentType;      // the type of the file named, not of its copy
  std::string_view contentEncoding;  // "gzip" or "br" for a copy; empty for the file itself
  bool hasCopies = false;            // the answer depends on Accept-Encoding (send Vary)
};

// The content codings an Accept-Encoding header allows, of the two the site may hold.
struct AcceptedEncodings {
  bool gzip = false;
  bool brotli = false;
};
AcceptedEncodings ParseAcceptEncoding(std::string_view header);

// The answer to a request for `path` (percent-decoded, "/" separated, from the site's top) in
// the site folder `root`; nothing when the request is refused or names no file. A compressed
// copy is chosen (brotli before gzip) when `accepted` allows it and the copy is a regular file
// inside the folder.
std::optional<SiteAnswer> AnswerSiteRequest(const std::filesystem::path& root,
                                            std::string_view path, AcceptedEncodings accepted);
