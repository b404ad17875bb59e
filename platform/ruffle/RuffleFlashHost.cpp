#include "platform/ruffle/RuffleFlashHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <array>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/QtFlashHost.h"
#include "platform/ruffle/ExternalLinkGate.h"
#include "platform/ruffle/FlashHostRequestGuard.h"
#include "platform/ruffle/FlashHostSchemeHandler.h"
#include "platform/ruffle/FlashHostShareContext.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The prompt text with which the host page hands over an external call (web/host.js).
const QString kFlashCallPrompt = QStringLiteral("bookstub:flashcall");
// The prompt text with which the host page asks for a movie the host already holds.
const QString kHeldMoviePrompt = QStringLiteral("bookstub:heldmovie");

// A movie the emulator can start: a readable file with a SWF signature (plain, zlib or LZMA).
bool IsPlayableMovie(const fs::path& movie) {
  std::ifstream in(movie, std::ios::binary);
  std::array<char, 3> signature{};
  if (!in.read(signature.data(), signature.size())) return false;
  const std::string text(signature.data(), signature.size());
  return text == "FWS" || text == "CWS" || text == "ZWS";
}

// Web and mail links open in the user's programs, as they did from the Flash control, but only
// right after the user clicked or pressed a key in the view, one per click or key press.
class ExternalLinks {
 public:
  void OnUserGesture() { gate_.OnUserGesture(ExternalLinkGate::Clock::now()); }

  void Offer(const QUrl& url) {
    if (gate_.TakeLink(url.scheme().toStdString(), ExternalLinkGate::Clock::now())) {
      const QUrl link = QUrl::fromEncoded(
          QByteArray::fromStdString(ExternalLinkGate::LinkToOpen(url.toEncoded().toStdString())),
          QUrl::StrictMode);
      if (link.isValid()) QDesktopServices::openUrl(link);
      return;
    }
    if (dropReported_) return;
    dropReported_ = true;
    qWarning(
        "Flash host: dropped a %s link from the movie: only a web or mail address opens, "
        "once per click or key press (further ones are dropped silently)",
        qPrintable(url.scheme() + QLatin1Char(':')));
  }

 private:
  ExternalLinkGate gate_;
  bool dropReported_ = false;
};

// Tells the links about each click and key press (not repeats) of the user in `view`.
class UserGestureWatcher : public QObject {
 public:
  UserGestureWatcher(QWidget* view, ExternalLinks* links) : view_(view), links_(links) {
    QApplication::instance()->installEventFilter(this);
  }
  ~UserGestureWatcher() override { QApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (IsGesture(*event) && IsInView(watched)) links_->OnUserGesture();
    return false;
  }

 private:
  static bool IsGesture(const QEvent& event) {
    if (event.type() == QEvent::MouseButtonPress) return true;
    return event.type() == QEvent::KeyPress && !static_cast<const QKeyEvent&>(event).isAutoRepeat();
  }

  bool IsInView(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && view_ && (widget == view_ || view_->isAncestorOf(widget));
  }

  QPointer<QWidget> view_;
  ExternalLinks* links_;
};

// The web page of the host: answers the page's external-call prompts, shows the host page (and
// the blank page) only when the host itself opens it, and offers every other address the page
// asks for to the external links: a movie neither reloads the host page nor hands it a movie.
class FlashHostPage : public QWebEnginePage {
 public:
  FlashHostPage(QWebEngineProfile* profile, ExternalLinks* links,
                std::function<void(const std::string&)> onFlashCall,
                std::function<QString()> takeHeldMovie)
      : QWebEnginePage(profile),
        links_(links),
        onFlashCall_(std::move(onFlashCall)),
        takeHeldMovie_(std::move(takeHeldMovie)) {
    // Until the movie draws, the window shows black rather than the engine's white.
    setBackgroundColor(Qt::black);
    // A pop-up the page asks for (a link with a target) never opens inside the player.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { links_->Offer(request.requestedUrl()); });
  }

  // Opens `url` (the host page or the blank page) as the one navigation the page accepts next.
  void Open(const QUrl& url) {
    expected_ = url;
    setUrl(url);
  }

 protected:
  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                        QString* result) override {
    if (origin.scheme() != FlashHostSchemeHandler::kScheme) return false;
    if (message == kHeldMoviePrompt) {
      *result = takeHeldMovie_();
      return true;
    }
    if (message != kFlashCallPrompt) return false;
    onFlashCall_(defaultValue.toStdString());
    result->clear();
    return true;
  }

  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int line, const QString& source) override {
    if (level == ErrorMessageLevel) {
      qWarning("Flash host: %s (%s:%d)", qPrintable(message), qPrintable(source), line);
    }
  }

  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    if (isMainFrame && !expected_.isEmpty() && url == expected_) {
      expected_.clear();
      return true;
    }
    if (!isMainFrame) return url == QUrl(QStringLiteral("about:blank"));
    // A link of the movie: the emulator navigates the page to it, or submits a form to it.
    if (url.scheme() != QLatin1String(FlashHostSchemeHandler::kScheme)) links_->Offer(url);
    return false;
  }

 private:
  ExternalLinks* links_;
  QUrl expected_;
  std::function<void(const std::string&)> onFlashCall_;
  std::function<QString()> takeHeldMovie_;
};

class RuffleFlashHost : public QtFlashHost {
 public:
  RuffleFlashHost(QWidget* parent, QMenu* contextMenu)
      : schemeHandler_(std::make_unique<FlashHostSchemeHandler>()),
        requestGuard_(std::make_unique<FlashHostRequestGuard>()),
        profile_(std::make_unique<QWebEngineProfile>()),  // no storage name: nothing on disk
        links_(std::make_unique<ExternalLinks>()),
        page_(std::make_unique<FlashHostPage>(
            profile_.get(), links_.get(),
            [this](const std::string& request) { DeliverFlashCall(request); },
            [this] { return TakeHeldMovie(); })),
        view_(new QWebEngineView(parent)),  // Qt ownership: a child of the window
        gestures_(std::make_unique<UserGestureWatcher>(view_, links_.get())) {
    profile_->installUrlSchemeHandler(FlashHostSchemeHandler::kScheme, schemeHandler_.get());
    profile_->setUrlRequestInterceptor(requestGuard_.get());
    ConfigureSettings(page_->settings());
    view_->setPage(page_.get());
    view_->setObjectName(QStringLiteral("SWF"));
    if (parent) view_->setGeometry(parent->rect());
    ConnectContextMenu(contextMenu);
    QObject::connect(page_.get(), &QWebEnginePage::loadFinished, view_, [this](bool ok) {
      view_->setFocus(Qt::OtherFocusReason);
      OnLoadFinished(ok);
    });
    // Without its page process the window stays black: say why in the log.
    QObject::connect(page_.get(), &QWebEnginePage::renderProcessTerminated, view_,
                     [](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
                       qWarning("Flash host: the page's process ended (status %d, exit code %d)",
                                static_cast<int>(status), exitCode);
                     });
    StandBy();
  }

  ~RuffleFlashHost() override {
    gestures_.reset();
    // The view may already be gone with its parent window; the page must go before its profile.
    delete view_.data();
    page_.reset();
    profile_.reset();
  }

  QWidget* Widget() override { return view_; }

  void SetMovie(const fs::path& movie) override {
    const fs::path expected = std::exchange(expectedMovie_, {});
    if (!IsPlayableMovie(movie)) {
      schemeHandler_->SetBookRoot({});
      pendingMovie_.clear();
      state_ = PageState::Blank;
      page_->Open(QUrl(QStringLiteral("about:blank")));
      return;
    }
    schemeHandler_->SetBookRoot(movie.parent_path(), PrivateFolders());
    pendingMovie_ = FlashHostSchemeHandler::MovieUrl(movie.filename());
    stageColour_ = StageColour();
    page_->setBackgroundColor(stageColour_ ? QColor(static_cast<QRgb>(*stageColour_))
                                           : QColor(Qt::black));
    if (state_ == PageState::Early) {
      // The emulator already plays this movie, its reads answered from now on; anything else
      // starts on a fresh page.
      if (movie == expected) {
        ShowStage();
      } else {
        StandBy();
      }
    } else if (state_ == PageState::StandingBy) {
      HandOverMovie();
    } else if (state_ != PageState::Loading) {
      StandBy();
    }
  }

  // The emulator's start takes longer than the split of most books: the host page starts the
  // movie as soon as it is up, and the movie's reads wait for the book (SetMovie).
  void ExpectMovie(const fs::path& movie) override {
    if (state_ != PageState::Loading || !pendingMovie_.isEmpty()) return;
    expectedMovie_ = movie;
    schemeHandler_->AwaitBook();
  }

 private:
  // Early: the page plays the expected movie, whose reads wait for the book.
  enum class PageState { Loading, StandingBy, Early, Playing, Blank };

  // The host page starts the emulator at once, so its WebAssembly is compiled while the book is
  // still being split; once the page is up, a movie is handed to it.
  void StandBy() {
    state_ = PageState::Loading;
    page_->Open(FlashHostSchemeHandler::PageUrl());
  }

  void OnLoadFinished(bool ok) {
    if (state_ != PageState::Loading) return;
    if (!ok || page_->url() != FlashHostSchemeHandler::PageUrl()) {
      qWarning("Flash host: the host page did not load (%s, now at %s)", ok ? "loaded" : "failed",
               qPrintable(page_->url().toString()));
      state_ = PageState::Blank;
      return;
    }
    state_ = PageState::StandingBy;
    if (!pendingMovie_.isEmpty()) HandOverMovie();
  }

  void HandOverMovie() {
    page_->runJavaScript(QStringLiteral("bookstubPlayMovie(%1)").arg(TakeMovieArguments()));
  }

  // The host page asks for the movie once its script runs: a movie already held (the book split
  // before the page came up) or expected (the book still being split) starts at once, in place of
  // the empty movie that readies the emulator; "null" while the page waits for one. An expected
  // movie comes as [movie, null, true]: its colour is not known yet, and the page draws its stage
  // on the page's background until ShowStage.
  QString TakeHeldMovie() {
    if (state_ != PageState::Loading) return QStringLiteral("null");
    if (!pendingMovie_.isEmpty()) return QStringLiteral("[%1]").arg(TakeMovieArguments());
    if (expectedMovie_.empty()) return QStringLiteral("null");
    state_ = PageState::Early;
    const QUrl movie = FlashHostSchemeHandler::MovieUrl(expectedMovie_.filename());
    return QStringLiteral("[%1, null, true]").arg(JsonString(movie.toString(QUrl::FullyEncoded)));
  }

  // The movie started early is now in the working folder: the page takes its colour.
  void ShowStage() {
    state_ = PageState::Playing;
    view_->setFocus(Qt::OtherFocusReason);
    pendingMovie_.clear();
    page_->runJavaScript(QStringLiteral("bookstubShowStage(%1)").arg(StageColourArgument()));
  }

  // The movie and the colour it plays on from the first frame on (the emulator draws white
  // until the movie's colour tag has run), as the host page's arguments; the page plays it.
  QString TakeMovieArguments() {
    state_ = PageState::Playing;
    view_->setFocus(Qt::OtherFocusReason);
    const QString movie =
        JsonString(std::exchange(pendingMovie_, QUrl()).toString(QUrl::FullyEncoded));
    return movie + QStringLiteral(", ") + StageColourArgument();
  }

  QString StageColourArgument() const {
    return stageColour_ ? JsonString(QColor(static_cast<QRgb>(*stageColour_)).name())
                        : QStringLiteral("null");
  }

  static QString JsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
  }

  static void ConfigureSettings(QWebEngineSettings* settings) {
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, true);
  }

  // The window's menu replaces the browser's at the pointer.
  void ConnectContextMenu(QMenu* contextMenu) {
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<QMenu> menu(contextMenu);
    QObject::connect(view_, &QWidget::customContextMenuRequested, view_,
                     [view = view_, menu](const QPoint& position) {
                       if (menu && view) menu->popup(view->mapToGlobal(position));
                     });
  }

  // Called while the page waits for the answer; a fault in the player must not cross into the
  // browser engine.
  void DeliverFlashCall(const std::string& request) {
    try {
      RaiseFlashCall(request);
    } catch (const std::exception& error) {
      qWarning("Flash host: external call failed: %s", error.what());
    }
  }

  std::unique_ptr<FlashHostSchemeHandler> schemeHandler_;
  std::unique_ptr<FlashHostRequestGuard> requestGuard_;
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<ExternalLinks> links_;
  std::unique_ptr<FlashHostPage> page_;
  QPointer<QWebEngineView> view_;
  std::unique_ptr<UserGestureWatcher> gestures_;
  PageState state_ = PageState::Loading;
  QUrl pendingMovie_;       // to hand to the host page once it is up
  fs::path expectedMovie_;  // SetMovie's movie to come, while the page may start it early
  std::optional<std::uint32_t> stageColour_;
};

}  // namespace

std::unique_ptr<QtFlashHost> CreateRuffleFlashHost(QWidget* parent, QMenu* contextMenu) {
  PrepareFlashHostDrawing();
  CreateFlashHostShareContext();
  return std::make_unique<RuffleFlashHost>(parent, contextMenu);
}

}  // namespace platform
