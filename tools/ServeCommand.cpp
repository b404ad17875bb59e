// `bookstub serve DIR`: serves a site folder (a book's web site made by `bookstub export`) on
// 127.0.0.1 at a free port until Ctrl-C. Files are served by their exact names, with the
// compressed copies beside them to browsers that accept those (site/SiteRequest.h).

#include <atomic>
#include <iostream>
#include <string>
#include <thread>

#include "platform/Os.h"
#include "platform/SiteServer.h"
#include "site/SiteRequest.h"
#include "tools/Commands.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

constexpr int kStopCheckMilliseconds = 200;

// The reply for a request of `path`; each request is logged on stderr as one line.
std::optional<platform::SiteFileReply> Reply(const fs::path& root, std::string_view path,
                                             std::string_view acceptEncoding) {
  const auto answer = AnswerSiteRequest(root, path, ParseAcceptEncoding(acceptEncoding));
  std::cerr << (std::string(answer ? "200 " : "404 ") + std::string(path) + '\n');
  if (!answer) return std::nullopt;
  platform::SiteFileReply reply{answer->file, std::string(answer->contentType), {}};
  if (!answer->contentEncoding.empty())
    reply.headers.emplace_back("Content-Encoding", answer->contentEncoding);
  if (answer->hasCopies) reply.headers.emplace_back("Vary", "Accept-Encoding");
  // A site exported again into the same folder is seen at once.
  reply.headers.emplace_back("Cache-Control", "no-cache");
  reply.headers.emplace_back("X-Content-Type-Options", "nosniff");
  return reply;
}

}  // namespace

void ServeSite(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) throw Error("No folder " + folder.string());
  const fs::path root = fs::canonical(folder);
  // Before the server starts its threads, which then inherit it.
  const auto interrupts = platform::WatchInterrupts();
  const auto server =
      platform::CreateSiteServer([root](std::string_view path, std::string_view acceptEncoding) {
        return Reply(root, path, acceptEncoding);
      });
  std::cout << "Serving " << root.string() << " at http://127.0.0.1:" << server->Port()
            << "/ (Ctrl-C stops)" << std::endl;

  std::atomic<bool> finished{false};
  bool served = true;
  std::thread serving([&] {
    served = server->Run();
    finished = true;
  });
  // Stop may come before the server listens: it is repeated until the server has returned.
  for (bool stopping = false; !finished;) {
    if (interrupts->Wait(kStopCheckMilliseconds)) stopping = true;
    if (stopping) server->Stop();
  }
  serving.join();
  if (!served) throw Error("The server stopped: it could not serve on 127.0.0.1");
  std::cout << "Stopped" << std::endl;
}

int RunServeCommand(const fs::path& folder) {
  ServeSite(folder);
  return kExitOk;
}
