#include "platform/ruffle/FlashHostSchemeHandler.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineUrlRequestJob>
#include <optional>
#include <string>

#include "platform/ruffle/BookFileResolver.h"

namespace platform {
namespace {

const QString kHostPrefix = QStringLiteral("/host/");
const QString kBookPrefix = QStringLiteral("/book/");
const QString kResourceFolder = QStringLiteral(":/bookstub/host/");

QUrl SchemeUrl(const QString& path) {
  QUrl url;
  url.setScheme(FlashHostSchemeHandler::kScheme);
  url.setHost(FlashHostSchemeHandler::kHost);
  url.setPath(path);
  return url;
}

bool HasDotSegment(const QString& path) {
  const auto segments = path.split(QLatin1Char('/'));
  return segments.contains(QStringLiteral("..")) || segments.contains(QStringLiteral("."));
}

// Opens `fileName` and hands it to the job, which owns the file from then on.
void ReplyWithFile(QWebEngineUrlRequestJob* job, const QString& fileName, const QByteArray& mime) {
  auto* file = new QFile(fileName, job);  // Qt ownership: deleted with the job.
  if (!file->open(QIODevice::ReadOnly)) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  job->reply(mime, file);
}

}  // namespace

QUrl FlashHostSchemeHandler::MovieUrl(const std::filesystem::path& movieName) {
  return SchemeUrl(kBookPrefix + QString::fromStdU16String(movieName.u16string()));
}

QUrl FlashHostSchemeHandler::PageUrl() {
  return SchemeUrl(kHostPrefix + "index.html");
}

bool FlashHostSchemeHandler::IsHostPageUrl(const QUrl& url) {
  const QUrl page = PageUrl();
  return url.scheme() == page.scheme() && url.host() == page.host() && url.userInfo().isEmpty() &&
         url.port() == -1 && url.path(QUrl::FullyDecoded) == page.path(QUrl::FullyDecoded) &&
         !url.hasQuery() && !url.hasFragment();
}

FlashHostSchemeHandler::~FlashHostSchemeHandler() = default;

void FlashHostSchemeHandler::SetBookRoot(const std::filesystem::path& root,
                                         const std::vector<std::filesystem::path>& privateFolders) {
  if (!root.empty() && lookup_ && lookup_->Open(root, privateFolders)) return;
  lookup_.reset();
  if (!root.empty()) lookup_ = std::make_unique<BookFileLookup>(root, privateFolders);
}

void FlashHostSchemeHandler::AwaitBook() {
  lookup_ = std::make_unique<BookFileLookup>();
}

void FlashHostSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job) {
  const QUrl url = job->requestUrl();
  if (job->requestMethod() != "GET" || url.host() != kHost) {
    job->fail(QWebEngineUrlRequestJob::RequestDenied);
    return;
  }
  const QString path = url.path(QUrl::FullyDecoded);
  if (path.startsWith(kHostPrefix)) {
    ServeHostAsset(job, path.mid(kHostPrefix.size()));
  } else if (path.startsWith(kBookPrefix)) {
    ServeBookFile(job, path.mid(kBookPrefix.size()));
  } else {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
  }
}

void FlashHostSchemeHandler::ServeHostAsset(QWebEngineUrlRequestJob* job,
                                            const QString& name) const {
  const QString resource = kResourceFolder + name;
  if (name.isEmpty() || HasDotSegment(name) || !QFileInfo(resource).isFile()) {
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    return;
  }
  const std::filesystem::path asName = name.toStdU16String();
  ReplyWithFile(job, resource, QByteArray(MimeTypeForFile(asName).data()));
}

void FlashHostSchemeHandler::ServeBookFile(QWebEngineUrlRequestJob* job,
                                           const QString& relativePath) {
  // The engine deletes a job whose request is cancelled: the answer looks for it again.
  const QPointer<QWebEngineUrlRequestJob> pending(job);
  const auto answer = [this, pending](std::optional<std::filesystem::path> file) {
    // On the lookup's thread, which the handler outlives.
    QMetaObject::invokeMethod(
        this,
        [pending, file = std::move(file)] {
          if (!pending) return;
          if (!file) {
            pending->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
          }
          ReplyWithFile(pending, QString::fromStdString(file->string()),
                        QByteArray(MimeTypeForFile(*file).data()));
        },
        Qt::QueuedConnection);
  };
  if (!lookup_ || !lookup_->Find(relativePath.toStdString(), answer))
    job->fail(QWebEngineUrlRequestJob::UrlNotFound);
}

}  // namespace platform
