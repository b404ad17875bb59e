#include "platform/ruffle/FlashHostRequestGuard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlSchemeHandler>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/Os.h"
#include "platform/ruffle/FlashHostSchemeHandler.h"
#include "platform/ruffle/RuffleFlashHost.h"

namespace {

using platform::FlashHostRequestGuard;
using platform::FlashHostSchemeHandler;

// What the page may load, and which of those is the page itself (the one document it may show,
// and only as the player opens it: with no movie in its address).
struct AddressCase {
  const char* url;
  bool loads;
  bool isHostPage;
};

class FlashHostAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(FlashHostAddressTest, OnlyTheHostSchemeAndHostLoad) {
  const QUrl url(QString::fromUtf8(GetParam().url));
  EXPECT_EQ(FlashHostRequestGuard::IsHostUrl(url), GetParam().loads);
  EXPECT_EQ(FlashHostSchemeHandler::IsHostPageUrl(url), GetParam().isHostPage);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, FlashHostAddressTest,
    testing::Values(AddressCase{"bookstub://player/host/index.html", true, true},
                    AddressCase{"bookstub://player/host/index.html?movie=x", true, false},
                    AddressCase{"bookstub://player/host/index.html?", true, false},
                    AddressCase{"BOOKSTUB://PLAYER/host/index.html", true, true},
                    AddressCase{"bookstub://player/host/ruffle/ruffle.js", true, false},
                    AddressCase{"bookstub://player/book/res/page.png", true, false},
                    AddressCase{"bookstub://player/book/evil.html", true, false},
                    AddressCase{"bookstub://player/host/index.html#top", true, false},
                    AddressCase{"bookstub://other/host/index.html", false, false},
                    AddressCase{"bookstub://user@player/host/index.html", false, false},
                    AddressCase{"bookstub://player:8080/host/index.html", false, false},
                    AddressCase{"file:///etc/passwd", false, false},
                    AddressCase{"file:///home/", false, false},
                    AddressCase{"qrc:/bookstub/host/index.html", false, false},
                    AddressCase{"http://127.0.0.1:8080/", false, false},
                    AddressCase{"https://example.com/bookstub://player/", false, false},
                    AddressCase{"ws://127.0.0.1/", false, false},
                    AddressCase{"data:text/html,<p>x</p>", false, false},
                    AddressCase{"blob:bookstub://player/0c1f", false, false},
                    AddressCase{"javascript:alert(1)", false, false},
                    AddressCase{"", false, false}));

// The guard at work in the browser engine (offscreen, no display): what it blocks never reaches
// a scheme handler nor loads, what it lets through does.

// Answers every request of its scheme with a small page and records the addresses it was asked.
class RecordingSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  void requestStarted(QWebEngineUrlRequestJob* job) override {
    requested.append(job->requestUrl().toString());
    auto* page = new QBuffer(job);  // Qt ownership: deleted with the job
    page->setData("<!doctype html><p>page</p>");
    job->reply("text/html", page);
  }
  QStringList requested;
};

class FlashHostRequestGuardInTheEngine : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::PrepareFlashHostProcess();
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  static void TearDownTestSuite() { application_.reset(); }

  // Whether the page loaded `url` as its document.
  static bool Load(QWebEnginePage& page, const QString& url) {
    QEventLoop loop;
    bool loaded = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
      loaded = ok;
      loop.quit();
    });
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);  // only so that a hang cannot last
    page.load(QUrl(url));
    loop.exec();
    return loaded;
  }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "test";
  static inline char* argv_[] = {name_, nullptr};
  static inline std::unique_ptr<QApplication> application_;
};

TEST_F(FlashHostRequestGuardInTheEngine, BlocksEveryRequestOutsideThePlayer) {
  const std::filesystem::path secret =
      std::filesystem::temp_directory_path() / ("bookstub-guard-" + platform::NewGuid() + ".html");
  std::ofstream(secret) << "<!doctype html><p>secret</p>";
  platform::FlashHostRequestGuard guard;
  RecordingSchemeHandler handler;
  {
    QWebEngineProfile profile;  // no storage name: nothing on disk
    profile.setUrlRequestInterceptor(&guard);
    profile.installUrlSchemeHandler(FlashHostSchemeHandler::kScheme, &handler);
    QWebEnginePage page(&profile);

    EXPECT_TRUE(Load(page, "bookstub://player/book/page.html"));
    EXPECT_FALSE(Load(page, "bookstub://other/book/page.html"));
    EXPECT_FALSE(Load(page, QUrl::fromLocalFile(QString::fromStdString(secret)).toString()));
    EXPECT_TRUE(Load(page, "bookstub://player/book/again.html"));
  }
  std::filesystem::remove(secret);
  EXPECT_EQ(handler.requested,
            (QStringList{"bookstub://player/book/page.html", "bookstub://player/book/again.html"}));
}

}  // namespace
