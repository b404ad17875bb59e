// platform/SiteServer.h with cpp-httplib (Debian's libcpp-httplib).
// Implements: listening on 127.0.0.1 at a free port, GET and HEAD through the owner's handler,
// files streamed in pieces (ranges included, by the library), 405 for other methods.
// Does not: decide which file answers a request, compress anything on the fly.

#include <httplib.h>

#include <array>
#include <fstream>
#include <memory>

#include "platform/Os.h"
#include "platform/SiteServer.h"
#include "util/Error.h"

namespace platform {
namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr std::size_t kPiece = 1 << 16;
// Requests carry no body worth having: GET and HEAD only.
constexpr std::size_t kMaxRequestBody = 1 << 16;

class HttplibSiteServer : public SiteServer {
 public:
  explicit HttplibSiteServer(SiteRequestHandler handler) : handler_(std::move(handler)) {
    // A browser that goes away in the middle of a file must not end the server.
    IgnoreBrokenPipes();
    server_.set_payload_max_length(kMaxRequestBody);
    // Ctrl-C waits for open connections: a browser keeping one open must not hold it up long.
    server_.set_keep_alive_timeout(1);
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      Answer(request, response);
    });
    const auto refuse = [](const httplib::Request&, httplib::Response& response) {
      response.status = 405;
      response.set_header("Allow", "GET, HEAD");
    };
    server_.Post(".*", refuse);
    server_.Put(".*", refuse);
    server_.Patch(".*", refuse);
    server_.Delete(".*", refuse);
    server_.Options(".*", refuse);
    const int port = server_.bind_to_any_port(kLoopback);
    if (port <= 0 || port > 0xffff) throw Error("Cannot listen on a port of 127.0.0.1");
    port_ = static_cast<std::uint16_t>(port);
  }

  std::uint16_t Port() const override { return port_; }
  bool Run() override { return server_.listen_after_bind(); }
  void Stop() override { server_.stop(); }

 private:
  void Answer(const httplib::Request& request, httplib::Response& response) {
    const std::string acceptEncoding = request.get_header_value("Accept-Encoding");
    const auto reply = handler_(request.path, acceptEncoding);
    auto file = reply ? std::make_shared<std::ifstream>(reply->file, std::ios::binary)
                      : std::shared_ptr<std::ifstream>();
    std::error_code error;
    const auto size = reply ? std::filesystem::file_size(reply->file, error) : 0;
    if (!reply || !*file || error) {
      response.status = 404;
      response.set_content("Not found\n", "text/plain");
      return;
    }
    for (const auto& [name, value] : reply->headers) response.set_header(name, value);
    response.set_content_provider(
        static_cast<std::size_t>(size), reply->contentType,
        [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
          std::array<char, kPiece> buffer;
          file->clear();
          file->seekg(static_cast<std::streamoff>(offset));
          while (length > 0) {
            const auto want = static_cast<std::streamsize>(std::min(length, buffer.size()));
            file->read(buffer.data(), want);
            const auto got = static_cast<std::size_t>(file->gcount());
            if (got == 0 || !sink.write(buffer.data(), got)) return false;
            length -= got;
          }
          return true;
        });
  }

  SiteRequestHandler handler_;
  httplib::Server server_;
  std::uint16_t port_ = 0;
};

}  // namespace

std::unique_ptr<SiteServer> CreateSiteServer(SiteRequestHandler handler) {
  return std::make_unique<HttplibSiteServer>(std::move(handler));
}

}  // namespace platform
