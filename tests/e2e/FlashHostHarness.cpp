// Plays a movie in the Ruffle Flash host inside a plain window, without the player around it.
//   bookstub-flash-host-harness play <movie.swf>     prints each external call until closed
//   bookstub-flash-host-harness check <folder>       checks that no OpenGL driver was loaded
//       before the host was made, writes the test book into <folder>, plays it (handed over
//       once the host page is up: the others hand theirs over at once) and checks the
//       requests, the relative page load (served through a case-insensitive path), that the
//       page cannot have the movie handed over again, and the picture on screen; exit code 0
//       when all hold
//   bookstub-flash-host-harness check-early <folder>  the same, but the host expects the movie
//       before the book exists, as while the player splits it: the page starts the movie at
//       once and its reads wait until the book is written and handed over
//   bookstub-flash-host-harness check-empty <folder> expects a movie, then sets a missing and a
//       damaged one once the page has started it, and checks that the view stays empty and quiet
//   bookstub-flash-host-harness check-contained <folder>   plays a movie that tries to reach
//       files, a folder and a loopback listener outside its book and the book's private log, to
//       open links on its own and to make the host page play another movie, and checks that it
//       reached nothing, read its own file and opened one link only after a click
//   bookstub-flash-host-harness write-movie <file> <delay frames> [repeat]   writes the test
//       movie; with "repeat" it asks for full screen again every other frame
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/qt/QtFlashHost.h"
#include "platform/ruffle/RuffleFlashHost.h"
#include "tests/e2e/FlashTestMovie.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 40000;

void WriteFile(const fs::path& file, const std::string& bytes) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// The test book: the movie and its page picture, stored in other letter case than the movie
// asks for, as books authored on case-insensitive file systems often are.
fs::path WriteTestBook(const fs::path& folder) {
  WriteFile(folder / "book.swf", e2e::FlashTestMovie(2));
  QImage page(e2e::kTestPageWidth, e2e::kTestPageHeight, QImage::Format_RGB32);
  page.fill(Qt::red);
  fs::create_directories(folder / "Res" / "Pages");
  page.save(QString::fromStdString((folder / "Res" / "Pages" / "Page_0000.PNG").string()), "PNG");
  return folder / "book.swf";
}

QRgb ScreenPixel(const QWidget& window, QPoint local) {
  const QPoint global = window.mapToGlobal(local);
  return window.screen()->grabWindow(0).toImage().pixel(global);
}

bool IsRed(QRgb pixel) {
  return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}
bool IsBlack(QRgb pixel) {
  return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

// The log of the stand-in for the user's browser (and mail program): one line per address.
std::vector<std::string> BrowserCalls(const fs::path& log) {
  std::vector<std::string> calls;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

// Puts a stand-in for the user's browser first on the search path, which the desktop services
// look at before anything else; it records the address it is asked to open.
void InstallBrowserStub(const fs::path& folder) {
  const fs::path bin = folder / "bin";
  fs::create_directories(bin);
  const std::string script =
      "#!/bin/sh\necho \"$*\" >> '" + (folder / "browser.log").string() + "'\n";
  for (const char* name : {"xdg-open", "browser-stub"}) {
    WriteFile(bin / name, script);
    fs::permissions(bin / name, fs::perms::owner_all);
  }
  qputenv("PATH", QByteArray::fromStdString(bin.string()) + ':' + qgetenv("PATH"));
  qputenv("BROWSER", QByteArray::fromStdString((bin / "browser-stub").string()));
  qputenv("DEFAULT_BROWSER", QByteArray::fromStdString((bin / "browser-stub").string()));
}

// The host's warnings (what its request guard blocked), kept for the checks.
std::mutex gWarningsMutex;
std::vector<std::string> gWarnings;
void KeepWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::cerr << message.toStdString() << std::endl;
  if (type != QtWarningMsg) return;
  const std::lock_guard lock(gWarningsMutex);
  gWarnings.push_back(message.toStdString());
}
int CountWarnings(const std::string& text) {
  const std::lock_guard lock(gWarningsMutex);
  return static_cast<int>(std::count_if(gWarnings.begin(), gWarnings.end(), [&](const auto& w) {
    return w.find(text) != std::string::npos;
  }));
}

// A page of the book without the host page's content security policy, opened next to the host
// page on the host's browser profile: what its script tries must be stopped by the request
// guard alone. It keeps each result in `probe`.
std::string ProbePage(const e2e::ContainmentTargets& targets) {
  return R"(<!DOCTYPE html><html><body><script>
const probe = {};
const tryFetch = (key, url) => fetch(url).then((r) => r.text())
    .then((t) => { probe[key] = 'read ' + t.length; }, () => { probe[key] = 'blocked'; });
const tryXhr = (key, url) => {
  const xhr = new XMLHttpRequest();
  xhr.open('GET', url);
  xhr.onload = () => { probe[key] = 'read ' + xhr.responseText.length; };
  xhr.onerror = () => { probe[key] = 'blocked'; };
  xhr.send();
};
const tryImage = (key, url) => {
  const image = new Image();
  image.onload = () => { probe[key] = 'read'; };
  image.onerror = () => { probe[key] = 'blocked'; };
  image.src = url;
};
tryFetch('fetch file', ')" +
         targets.secretTextUrl + R"(');
tryFetch('fetch listing', ')" +
         targets.folderUrl + R"(');
tryFetch('fetch listener', ')" +
         targets.listenerUrl + R"(fetch');
tryXhr('xhr file', ')" +
         targets.secretTextUrl + R"(');
tryXhr('xhr listener', ')" +
         targets.listenerUrl + R"(xhr');
tryImage('image file', ')" +
         targets.secretImageUrl + R"(');
tryImage('image listener', ')" +
         targets.listenerUrl + R"(image.png');
</script></body></html>)";
}
constexpr int kPageScriptProbes = 7;

class Harness {
 public:
  Harness() : host_(platform::CreateRuffleFlashHost(&window_, &menu_)) {
    menu_.addAction(QStringLiteral("Fullscreen"));
    menu_.addAction(QStringLiteral("Exit"));
    window_.resize(e2e::kTestStageWidth, e2e::kTestStageHeight);
    host_->Widget()->setGeometry(window_.rect());
    window_.show();
    host_->SetFlashCallHandler([this](const std::string& request) { OnCall(request); });
  }

  int Play(const fs::path& movie) {
    host_->SetMovie(movie);
    return QApplication::exec();
  }

  int Check(const fs::path& folder) {
    // Handed over once the host page stands by (the other checks hand theirs over at once).
    const fs::path movie = WriteTestBook(folder);
    QObject::connect(
        Page(), &QWebEnginePage::loadFinished, Page(), [this, movie] { host_->SetMovie(movie); },
        Qt::SingleShotConnection);
    return CheckPlayed();
  }

  int CheckEarly(const fs::path& folder) {
    fs::remove_all(folder);
    const fs::path movie = folder / "book.swf";
    host_->ExpectMovie(movie);
    AfterPageStarts([this, folder, movie] {
      WriteTestBook(folder);
      host_->SetMovie(movie);
    });
    return CheckPlayed();
  }

  int CheckPlayed() {
    onCallsDone_ = [this] { ExpectNoHeldMovie([this] { PollCentre(IsRed, "the page picture"); }); };
    QTimer::singleShot(kTimeoutMs, [this] { Fail("no answer in time"); });
    QApplication::exec();
    return failed_ ? 1 : CheckRequests();
  }

  int CheckContained(const fs::path& folder) {
    if (!listener_.listen(QHostAddress::LocalHost)) Fail("no loopback listener");
    QObject::connect(&listener_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = listener_.nextPendingConnection()) {
        ++listenerConnections_;
        socket->close();
      }
    });
    browserLog_ = folder / "browser.log";
    targets_ = WriteOutsideFiles(folder / "outside");
    targets_.listenerUrl = "http://127.0.0.1:" + std::to_string(listener_.serverPort()) + "/";
    const fs::path book = folder / "book";
    WriteFile(book / "book.swf", e2e::ContainmentTestMovie(targets_));
    WriteFile(book / "probe.html", ProbePage(targets_));
    WriteFile(book / e2e::kPrivateLogPath, "secret=LEAKED&");
    WriteFile(book / e2e::kOwnVariablesPath, "secret=own&");
    WriteFile(book / e2e::kOtherMoviePath, e2e::HijackTestMovie());
    host_->SetFlashCallHandler([this](const std::string& request) { OnContainedCall(request); });
    host_->SetPrivateFolders({fs::path(book / e2e::kPrivateLogPath).parent_path()});
    host_->SetMovie(book / "book.swf");
    QTimer::singleShot(kTimeoutMs * 2, [this] { Fail("the movie did not get through in time"); });
    QApplication::exec();
    return failed_ ? 1 : 0;
  }

  int CheckEmpty(const fs::path& folder) {
    WriteFile(folder / "damaged.swf", "not a movie");
    host_->ExpectMovie(folder / "damaged.swf");
    AfterPageStarts([this, folder] {
      host_->SetMovie(folder / "missing.swf");
      host_->SetMovie(folder / "damaged.swf");
      QTimer::singleShot(3000, [this] { PollCentre(IsBlack, "an empty (black) view"); });
    });
    QApplication::exec();
    if (!requests_.empty()) Fail("an empty view made external calls");
    return failed_ ? 1 : 0;
  }

 private:
  static e2e::ContainmentTargets WriteOutsideFiles(const fs::path& outside) {
    WriteFile(outside / "secret.txt", "secret=LEAKED&");
    // A listing read as variables would carry this name.
    WriteFile(outside / "&secret=listed&.txt", "");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.save(QString::fromStdString((outside / "secret.png").string()), "PNG");
    const auto fileUrl = [](const fs::path& path) {
      return QUrl::fromLocalFile(QString::fromStdString(path.string())).toString().toStdString();
    };
    return {fileUrl(outside / "secret.txt"), fileUrl(outside / "secret.png"),
            fileUrl(outside) + "/", ""};
  }

  // The movie's report, then its ticks: first nothing may have opened; then a click in the view
  // lets exactly one of its links through to the browser.
  void OnContainedCall(const std::string& request) {
    std::cout << "FlashCall: " << request << std::endl;
    if (request.find("\"hijacked\"") != std::string::npos)
      return Fail("the host page played a movie named in its address");
    if (request.find("\"probed\"") != std::string::npos) {
      if (request != e2e::ExpectedProbedRequest()) return Fail("the movie read something");
      probed_ = true;
      return;
    }
    if (request.find("\"tick\"") == std::string::npos) return Fail("unexpected call " + request);
    if (!probed_) return Fail("a tick before the report");
    OnTick(++ticks_);
  }

  void OnTick(int tick) {
    constexpr int kSettleTicks = 10;
    if (tick == kSettleTicks) {
      if (!BrowserCalls(browserLog_).empty()) return Fail("a link opened without a click");
      ProbeFromPageScript();
      ClickInView();
      clickTick_ = tick;
      return;
    }
    if (tick < kSettleTicks) return;
    const auto calls = BrowserCalls(browserLog_);
    if (calls.empty()) {
      if (tick - clickTick_ > 100) Fail("the click did not let a link through");
      return;
    }
    if (firstLinkTick_ == 0) firstLinkTick_ = tick;
    PollPageScriptProbe();
    if (tick - firstLinkTick_ < kSettleTicks || pageScriptResults_.size() < kPageScriptProbes)
      return;
    FinishContained(calls);
  }

  void FinishContained(const std::vector<std::string>& calls) {
    if (calls != std::vector<std::string>{targets_.listenerUrl + "link"}) {
      return Fail("expected one browser call for the link after the click, got " +
                  std::to_string(calls.size()) + ": " + calls.front());
    }
    for (const auto& [route, result] : pageScriptResults_) {
      if (result != "blocked") return Fail("a page script's " + route + ": " + result);
    }
    if (listenerConnections_ != 0) return Fail("the listener was reached");
    if (Page()->title() == QStringLiteral("script ran")) return Fail("a script link ran");
    if (Page()->url() != QUrl(QStringLiteral("bookstub://player/host/index.html")))
      return Fail("the page left the host page: " + Page()->url().toString().toStdString());
    // The probe and listing pages' requests reached the guard, were blocked and reported once
    // for each kind.
    for (const char* kind : {"file:", "http:"}) {
      if (CountWarnings(std::string("blocked a ") + kind) != 1)
        return Fail(std::string("the guard did not report the blocked ") + kind + " requests once");
    }
    std::cout << "Contained: nothing read, listener untouched, one link after the click"
              << std::endl;
    QApplication::exit(0);
  }

  // Runs `then` a while after the host page is up: time for it to start an expected movie,
  // whose reads then wait.
  void AfterPageStarts(std::function<void()> then) {
    QObject::connect(
        Page(), &QWebEnginePage::loadFinished, Page(),
        [then = std::move(then)] { QTimer::singleShot(1500, then); }, Qt::SingleShotConnection);
  }

  // Once the movie plays, the page's question for a held movie gets none: the movie is handed
  // over once, whoever asks again.
  void ExpectNoHeldMovie(std::function<void()> then) {
    Page()->runJavaScript(
        QStringLiteral("prompt('bookstub:heldmovie')"),
        [this, then = std::move(then)](const QVariant& answer) {
          if (answer.toString() != QStringLiteral("null"))
            return Fail("a second question got a movie: " + answer.toString().toStdString());
          then();
        });
  }

  QWebEnginePage* Page() const {
    auto* view = qobject_cast<QWebEngineView*>(host_->Widget());
    return view != nullptr ? view->page() : nullptr;
  }

  // The probe page and a page sent straight to the folder outside, on the host's profile.
  void ProbeFromPageScript() {
    QWebEnginePage* page = Page();
    if (page == nullptr) return Fail("no web page");
    probePage_ = std::make_unique<QWebEnginePage>(page->profile());
    probePage_->load(QUrl(QStringLiteral("bookstub://player/book/probe.html")));
    listingPage_ = std::make_unique<QWebEnginePage>(page->profile());
    listingPage_->load(QUrl(QString::fromStdString(targets_.folderUrl)));
  }

  void PollPageScriptProbe() {
    if (!probePage_) return;
    probePage_->runJavaScript(
        QStringLiteral("JSON.stringify(typeof probe === 'object' ? probe : {})"),
        [this](const QVariant& value) {
          const QJsonObject results = QJsonDocument::fromJson(value.toString().toUtf8()).object();
          pageScriptResults_.clear();
          for (auto it = results.begin(); it != results.end(); ++it)
            pageScriptResults_[it.key().toStdString()] = it.value().toString().toStdString();
        });
  }

  // A real click from the display server, as a user's would arrive.
  void ClickInView() {
    const QPoint centre = window_.mapToGlobal(window_.rect().center());
    const int status = QProcess::execute(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(centre.x()),
         QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")});
    if (status != 0) Fail("xdotool could not click");
  }

  void OnCall(const std::string& request) {
    std::cout << "FlashCall: " << request << std::endl;
    requests_.push_back(request);
    if (requests_.size() == 2 && onCallsDone_) onCallsDone_();
  }

  // Waits until the window's centre shows what `expected` accepts; the emulator draws a frame
  // or two after the calls that announce it.
  void PollCentre(bool (*expected)(QRgb), const char* what) {
    const QRgb pixel = ScreenPixel(window_, window_.rect().center());
    if (expected(pixel)) {
      std::cout << "Centre shows " << what << std::endl;
      QApplication::exit(0);
      return;
    }
    ++polls_;
    if (polls_ > 100) {
      Fail(std::string("centre pixel is ") + QColor(pixel).name().toStdString() + ", not " + what);
      return;
    }
    QTimer::singleShot(200, [this, expected, what] { PollCentre(expected, what); });
  }

  int CheckRequests() {
    const std::vector<std::string> expected{e2e::ExpectedPageLoadedRequest(),
                                            e2e::ExpectedFullscreenRequest()};
    if (requests_ == expected) return 0;
    std::cerr << "Expected requests:\n" << expected[0] << "\n" << expected[1] << std::endl;
    return 1;
  }

  void Fail(const std::string& why) {
    std::cerr << "FAILED: " << why << std::endl;
    failed_ = true;
    QApplication::exit(1);
  }

  QWidget window_;
  QMenu menu_;
  std::unique_ptr<platform::QtFlashHost> host_;
  std::vector<std::string> requests_;
  std::function<void()> onCallsDone_;
  QTcpServer listener_;
  int listenerConnections_ = 0;
  fs::path browserLog_;
  e2e::ContainmentTargets targets_;
  bool probed_ = false;
  int ticks_ = 0;
  int clickTick_ = 0;
  int firstLinkTick_ = 0;
  std::map<std::string, std::string> pageScriptResults_;
  std::unique_ptr<QWebEnginePage> probePage_;
  std::unique_ptr<QWebEnginePage> listingPage_;
  int polls_ = 0;
  bool failed_ = false;
};

// Whether the system's OpenGL driver (Mesa's, under Xvfb) is mapped into this process.
bool OpenGlDriverLoaded() {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    if (line.find("_dri.so") != std::string::npos || line.find("libGLX_mesa") != std::string::npos)
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 4 || argc == 5) && std::string(argv[1]) == "write-movie") {
    const bool repeat = argc == 5 && std::string(argv[4]) == "repeat";
    WriteFile(fs::absolute(argv[2]), e2e::FlashTestMovie(std::stoi(argv[3]), repeat));
    return 0;
  }
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "check-contained") {
    fs::remove_all(fs::absolute(args[1]));
    InstallBrowserStub(fs::absolute(args[1]));
    qInstallMessageHandler(KeepWarning);
  }
  platform::PrepareFlashHostProcess();
  QApplication app(argc, argv);
  if (args.size() != 2) {
    std::cerr << "usage: " << argv[0]
              << " play <movie.swf> | check <folder> | check-early <folder>"
                 " | check-empty <folder> | check-contained <folder>\n";
    return 2;
  }
  // Loading the driver takes a good part of the time to the first window: it waits for the host.
  if (args[0] == "check" && OpenGlDriverLoaded()) {
    std::cerr << "FAILED: the OpenGL driver was loaded before the Flash host was made\n";
    return 1;
  }
  Harness harness;
  const fs::path target = fs::absolute(args[1]);
  if (args[0] == "play") return harness.Play(target);
  fs::create_directories(target);
  if (args[0] == "check") return harness.Check(target);
  if (args[0] == "check-early") return harness.CheckEarly(target);
  if (args[0] == "check-empty") return harness.CheckEmpty(target);
  if (args[0] == "check-contained") {
    const int status = harness.CheckContained(target);
    qInstallMessageHandler(nullptr);  // the engine's threads may still log while globals go
    return status;
  }
  std::cerr << "unknown mode " << args[0] << "\n";
  return 2;
}
