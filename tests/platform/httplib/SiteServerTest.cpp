#include "platform/SiteServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "platform/Os.h"

namespace {

namespace fs = std::filesystem;

// A server on a thread of its own, answering from a folder of test files: "/big.bin" (larger
// than the server's pieces), "/gone" (named, but missing when it is sent) and nothing else.
class SiteServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = platform::TempPath() / ("bookstub-server-" + platform::NewGuid());
    fs::create_directories(folder_);
    for (std::size_t i = 0; big_.size() < (1 << 20) + 7; ++i) big_ += std::to_string(i) + ",";
    std::ofstream(folder_ / "big.bin", std::ios::binary) << big_;
    server_ = platform::CreateSiteServer(
        [this](std::string_view path,
               std::string_view acceptEncoding) -> std::optional<platform::SiteFileReply> {
          lastAcceptEncoding_ = std::string(acceptEncoding);
          if (path == "/big.bin")
            return platform::SiteFileReply{
                folder_ / "big.bin", "application/wasm", {{"Vary", "Accept-Encoding"}}};
          if (path == "/gone") return platform::SiteFileReply{folder_ / "gone", "text/plain", {}};
          return std::nullopt;
        });
    serving_ = std::thread([this] {
      served_ = server_->Run();
      finished_ = true;
    });
  }

  void TearDown() override {
    // Stop may come before the server listens: it is repeated until Run has returned.
    while (!finished_) {
      server_->Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (serving_.joinable()) serving_.join();
    fs::remove_all(folder_);
  }

  httplib::Client Client() const { return httplib::Client("127.0.0.1", server_->Port()); }

  fs::path folder_;
  std::string big_;
  std::string lastAcceptEncoding_;
  std::unique_ptr<platform::SiteServer> server_;
  std::thread serving_;
  std::atomic<bool> finished_{false};
  bool served_ = false;
};

TEST_F(SiteServerTest, SendsTheFileTheHandlerNamesWhole) {
  auto client = Client();
  const auto response = client.Get("/big.bin", {{"Accept-Encoding", "gzip, br"}});
  ASSERT_TRUE(response);
  EXPECT_EQ(response->status, 200);
  EXPECT_EQ(response->body, big_);
  EXPECT_EQ(response->get_header_value("Content-Type"), "application/wasm");
  EXPECT_EQ(response->get_header_value("Vary"), "Accept-Encoding");
  // The server itself compresses nothing: only the handler's copies are sent compressed.
  EXPECT_FALSE(response->has_header("Content-Encoding"));
  EXPECT_EQ(lastAcceptEncoding_, "gzip, br");

  const auto head = client.Head("/big.bin");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(big_.size()));
  EXPECT_TRUE(head->body.empty());

  const auto range = client.Get("/big.bin", {{"Range", "bytes=70000-70009"}});
  ASSERT_TRUE(range);
  EXPECT_EQ(range->status, 206);
  EXPECT_EQ(range->body, big_.substr(70000, 10));
}

TEST_F(SiteServerTest, RefusesWhatItCannotServe) {
  auto client = Client();
  for (const char* path : {"/", "/missing", "/gone"}) {
    const auto response = client.Get(path);
    ASSERT_TRUE(response) << path;
    EXPECT_EQ(response->status, 404) << path;
  }
  for (const auto& response :
       {client.Post("/big.bin", "x", "text/plain"), client.Put("/big.bin", "x", "text/plain"),
        client.Delete("/big.bin")}) {
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status, 405);
    EXPECT_EQ(response->get_header_value("Allow"), "GET, HEAD");
  }
}

TEST_F(SiteServerTest, ListensOnTheLoopbackAddressOnly) {
  EXPECT_GT(server_->Port(), 0);
  // Another address of this machine does not reach it.
  httplib::Client other("127.0.0.2", server_->Port());
  other.set_connection_timeout(2);
  EXPECT_FALSE(other.Get("/big.bin"));
}

TEST_F(SiteServerTest, StopEndsRun) {
  ASSERT_TRUE(Client().Get("/big.bin"));  // it listens
  server_->Stop();
  serving_.join();
  EXPECT_TRUE(served_);
  EXPECT_FALSE(Client().Get("/big.bin"));
}

}  // namespace
