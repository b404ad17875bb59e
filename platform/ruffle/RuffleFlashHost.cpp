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
#include <string>

#include "platform/qt/QtFlashHost.h"
#include "platform/ruffle/ExternalLinkGate.h"
#include "platform/ruffle/FlashHostRequestGuard.h"
#include "platform/ruffle/FlashHostSchemeHandler.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// The prompt text with which the host page hands over an external call (web/host.js).
const QString kFlashCallPrompt = QStringLiteral("bookstub:flashcall");

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
  void OnUserGesture() { FGate.OnUserGesture(ExternalLinkGate::Clock::now()); }

  void Offer(const QUrl& url) {
    if (FGate.TakeLink(url.scheme().toStdString(), ExternalLinkGate::Clock::now())) {
      QDesktopServices::openUrl(url);
      return;
    }
    if (FDropReported) return;
    FDropReported = true;
    qWarning(
        "Flash host: dropped a %s link from the movie: only a web or mail address opens, "
        "once per click or key press (further ones are dropped silently)",
        qPrintable(url.scheme() + QLatin1Char(':')));
  }

 private:
  ExternalLinkGate FGate;
  bool FDropReported = false;
};

// Tells the links about each click and key press (not repeats) of the user in `view`.
class UserGestureWatcher : public QObject {
 public:
  UserGestureWatcher(QWidget* view, ExternalLinks* links) : FView(view), FLinks(links) {
    QApplication::instance()->installEventFilter(this);
  }
  ~UserGestureWatcher() override { QApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (IsGesture(*event) && IsInView(watched)) FLinks->OnUserGesture();
    return false;
  }

 private:
  static bool IsGesture(const QEvent& event) {
    if (event.type() == QEvent::MouseButtonPress) return true;
    return event.type() == QEvent::KeyPress && !static_cast<const QKeyEvent&>(event).isAutoRepeat();
  }

  bool IsInView(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && FView && (widget == FView || FView->isAncestorOf(widget));
  }

  QPointer<QWidget> FView;
  ExternalLinks* FLinks;
};

// The web page of the host: answers the page's external-call prompts, shows the host page and
// nothing else, and offers every other address the page asks for to the external links.
class FlashHostPage : public QWebEnginePage {
 public:
  FlashHostPage(QWebEngineProfile* profile, ExternalLinks* links,
                std::function<void(const std::string&)> onFlashCall)
      : QWebEnginePage(profile), FLinks(links), FOnFlashCall(std::move(onFlashCall)) {
    // A pop-up the page asks for (a link with a target) never opens inside the player.
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { FLinks->Offer(request.requestedUrl()); });
  }

 protected:
  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                        QString* result) override {
    if (origin.scheme() != FlashHostSchemeHandler::kScheme || message != kFlashCallPrompt) {
      return false;
    }
    FOnFlashCall(defaultValue.toStdString());
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
    if (FlashHostSchemeHandler::IsHostPageUrl(url) || url == QUrl(QStringLiteral("about:blank")))
      return true;
    if (isMainFrame) FLinks->Offer(url);
    return false;
  }

 private:
  ExternalLinks* FLinks;
  std::function<void(const std::string&)> FOnFlashCall;
};

class RuffleFlashHost : public QtFlashHost {
 public:
  RuffleFlashHost(QWidget* parent, QMenu* contextMenu)
      : FSchemeHandler(std::make_unique<FlashHostSchemeHandler>()),
        FRequestGuard(std::make_unique<FlashHostRequestGuard>()),
        FProfile(std::make_unique<QWebEngineProfile>()),  // no storage name: nothing on disk
        FLinks(std::make_unique<ExternalLinks>()),
        FPage(std::make_unique<FlashHostPage>(
            FProfile.get(), FLinks.get(),
            [this](const std::string& request) { DeliverFlashCall(request); })),
        FView(new QWebEngineView(parent)),  // Qt ownership: a child of the window
        FGestures(std::make_unique<UserGestureWatcher>(FView, FLinks.get())) {
    FProfile->installUrlSchemeHandler(FlashHostSchemeHandler::kScheme, FSchemeHandler.get());
    FProfile->setUrlRequestInterceptor(FRequestGuard.get());
    ConfigureSettings(FPage->settings());
    FView->setPage(FPage.get());
    FView->setObjectName(QStringLiteral("SWF"));
    if (parent) FView->setGeometry(parent->rect());
    ConnectContextMenu(contextMenu);
    QObject::connect(FPage.get(), &QWebEnginePage::loadFinished, FView, [view = FView](bool) {
      if (view) view->setFocus(Qt::OtherFocusReason);
    });
    StandBy();
  }

  ~RuffleFlashHost() override {
    FGestures.reset();
    // The view may already be gone with its parent window; the page must go before its profile.
    delete FView.data();
    FPage.reset();
    FProfile.reset();
  }

  QWidget* Widget() override { return FView; }

  void SetMovie(const fs::path& movie) override {
    if (!IsPlayableMovie(movie)) {
      FSchemeHandler->SetBookRoot({});
      FPage->setUrl(QUrl(QStringLiteral("about:blank")));
      return;
    }
    FSchemeHandler->SetBookRoot(movie.parent_path());
    if (FStandingBy) {
      FStandingBy = false;
      FPage->runJavaScript(QStringLiteral("bookstubPlayMovie(%1)")
                               .arg(JsonString(FlashHostSchemeHandler::MovieUrl(movie.filename())
                                                   .toString(QUrl::FullyEncoded))));
      FView->setFocus(Qt::OtherFocusReason);
      return;
    }
    FPage->setUrl(FlashHostSchemeHandler::PageUrl(movie.filename()));
  }

 private:
  // The host page without a movie starts the emulator at once, so its WebAssembly is compiled
  // while the book is still being split; once the page is up, a movie is handed to it.
  void StandBy() {
    FPage->setUrl(FlashHostSchemeHandler::EmptyPageUrl());
    QObject::connect(FPage.get(), &QWebEnginePage::loadFinished, FView, [this](bool ok) {
      FStandingBy = ok && FPage->url() == FlashHostSchemeHandler::EmptyPageUrl();
    });
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
    FView->setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<QMenu> menu(contextMenu);
    QObject::connect(FView, &QWidget::customContextMenuRequested, FView,
                     [view = FView, menu](const QPoint& position) {
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

  std::unique_ptr<FlashHostSchemeHandler> FSchemeHandler;
  std::unique_ptr<FlashHostRequestGuard> FRequestGuard;
  std::unique_ptr<QWebEngineProfile> FProfile;
  std::unique_ptr<ExternalLinks> FLinks;
  std::unique_ptr<FlashHostPage> FPage;
  QPointer<QWebEngineView> FView;
  std::unique_ptr<UserGestureWatcher> FGestures;
  bool FStandingBy = false;  // the empty host page is up and waits for a movie
};

}  // namespace

std::unique_ptr<QtFlashHost> CreateRuffleFlashHost(QWidget* parent, QMenu* contextMenu) {
  return std::make_unique<RuffleFlashHost>(parent, contextMenu);
}

}  // namespace platform
