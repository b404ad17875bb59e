#pragma once
// A web server for a folder on this machine (`bookstub serve`): it listens on the loopback
// address only, so no other machine reaches it. Implemented per back-end (platform/httplib/
// here); which file answers which request is decided by its owner.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A file to send whole, with the headers to send beside Content-Type and Content-Length.
struct SiteFileReply {
  std::filesystem::path file;
  std::string contentType;
  std::vector<std::pair<std::string, std::string>> headers;
};

// Called for each GET or HEAD request with the request's path (percent-decoded) and its
// Accept-Encoding header (empty when there is none); nothing means 404 Not Found. Called on the
// server's threads, several at a time.
using SiteRequestHandler = std::function<std::optional<SiteFileReply>(
    std::string_view path, std::string_view acceptEncoding)>;

class SiteServer {
 public:
  virtual ~SiteServer() = default;
  // The port it listens on, at 127.0.0.1.
  virtual std::uint16_t Port() const = 0;
  // Answers requests until Stop; returns at once when Stop came first. False when serving
  // failed.
  virtual bool Run() = 0;
  // Ends Run, from any thread.
  virtual void Stop() = 0;
};

// A server on 127.0.0.1, on a free port the system picks; other methods than GET and HEAD get
// 405 Method Not Allowed. A file that cannot be opened when it is sent gets 404. Raises Error
// when no port can be had.
std::unique_ptr<SiteServer> CreateSiteServer(SiteRequestHandler handler);

}  // namespace platform
