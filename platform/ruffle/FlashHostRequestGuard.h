#pragma once
// Keeps the Flash host's page inside its own URL scheme, whatever the movie or a script in the
// page asks for.
// Implements: a request interceptor for the host's browser profile that lets through requests
// to bookstub://player/ and blocks every other one (file: and other local schemes, any network
// address, other hosts of the scheme), saying so on stderr the first time for each kind.
// Does not: decide which files of the book are served (FlashHostSchemeHandler.h), nor which
// links open in the user's browser (ExternalLinkGate.h); those never load inside the page.

#include <QSet>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <mutex>

namespace platform {

class FlashHostRequestGuard : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  // True for the addresses the page may load: the host's scheme and host, no user or port.
  static bool IsHostUrl(const QUrl& url);

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  // The kinds (schemes) already reported; the engine may call from more than one thread.
  std::mutex mutex_;
  QSet<QString> reportedKinds_;
};

}  // namespace platform
