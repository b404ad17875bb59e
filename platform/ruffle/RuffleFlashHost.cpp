#include "platform/ruffle/RuffleFlashHost.h"

#include <QDesktopServices>
#include <QMenu>
#include <QPointer>
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

// Web addresses open in the user's browser, as they did from the Flash control.
void OpenWebLink(const QUrl& url) {
  if (url.scheme() == "http" || url.scheme() == "https" || url.scheme() == "mailto") {
    QDesktopServices::openUrl(url);
  }
}

// The web page of the host: answers the page's external-call prompts, keeps every navigation
// inside the host page, and opens web links in the user's browser as the Flash control did.
class FlashHostPage : public QWebEnginePage {
 public:
  FlashHostPage(QWebEngineProfile* profile, std::function<void(const std::string&)> onFlashCall)
      : QWebEnginePage(profile), FOnFlashCall(std::move(onFlashCall)) {}

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
    if (url.scheme() == FlashHostSchemeHandler::kScheme || url.scheme() == "about") return true;
    if (isMainFrame) OpenWebLink(url);
    return false;
  }

 private:
  std::function<void(const std::string&)> FOnFlashCall;
};

class RuffleFlashHost : public QtFlashHost {
 public:
  RuffleFlashHost(QWidget* parent, QMenu* contextMenu)
      : FSchemeHandler(std::make_unique<FlashHostSchemeHandler>()),
        FProfile(std::make_unique<QWebEngineProfile>()),  // no storage name: nothing on disk
        FPage(std::make_unique<FlashHostPage>(
            FProfile.get(), [this](const std::string& request) { DeliverFlashCall(request); })),
        FView(new QWebEngineView(parent)) {  // Qt ownership: a child of the window
    FProfile->installUrlSchemeHandler(FlashHostSchemeHandler::kScheme, FSchemeHandler.get());
    ConfigureSettings(FPage->settings());
    FView->setPage(FPage.get());
    FView->setObjectName(QStringLiteral("SWF"));
    if (parent) FView->setGeometry(parent->rect());
    ConnectContextMenu(contextMenu);
    QObject::connect(FPage.get(), &QWebEnginePage::loadFinished, FView, [view = FView](bool) {
      if (view) view->setFocus(Qt::OtherFocusReason);
    });
  }

  ~RuffleFlashHost() override {
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
    FPage->setUrl(FlashHostSchemeHandler::PageUrl(movie.filename()));
  }

 private:
  static void ConfigureSettings(QWebEngineSettings* settings) {
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
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
  std::unique_ptr<QWebEngineProfile> FProfile;
  std::unique_ptr<FlashHostPage> FPage;
  QPointer<QWebEngineView> FView;
};

}  // namespace

std::unique_ptr<QtFlashHost> CreateRuffleFlashHost(QWidget* parent, QMenu* contextMenu) {
  return std::make_unique<RuffleFlashHost>(parent, contextMenu);
}

}  // namespace platform
