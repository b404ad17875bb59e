#include "platform/ruffle/FlashHostRequestGuard.h"

#include <QWebEngineUrlRequestInfo>

#include "platform/ruffle/FlashHostSchemeHandler.h"

namespace platform {

bool FlashHostRequestGuard::IsHostUrl(const QUrl& url) {
  return url.isValid() && url.scheme() == QLatin1String(FlashHostSchemeHandler::kScheme) &&
         url.host() == QLatin1String(FlashHostSchemeHandler::kHost) && url.userInfo().isEmpty() &&
         url.port() == -1;
}

void FlashHostRequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QUrl url = info.requestUrl();
  if (IsHostUrl(url)) return;
  info.block(true);

  const QString kind = url.scheme().isEmpty() ? QStringLiteral("(no scheme)") : url.scheme();
  const std::lock_guard lock(mutex_);
  if (reportedKinds_.contains(kind)) return;
  reportedKinds_.insert(kind);
  // The address may carry what a movie tried to send out: the kind alone is reported.
  qWarning("Flash host: blocked a %s request from the page (further ones are blocked silently)",
           qPrintable(kind + QLatin1Char(':')));
}

}  // namespace platform
