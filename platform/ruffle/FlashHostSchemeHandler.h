#pragma once
// Serves the "bookstub" URL scheme to the Ruffle host's web view.
// Implements: bookstub://player/host/<file> from the host page's resources (page, scripts,
// emulator) and bookstub://player/book/<path> from the book root, only for files inside it
// (see BookFileResolver.h), with MIME types by extension.
// Does not: accept anything but GET, list folders, or serve any other host name or path.

#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <filesystem>

namespace platform {

class FlashHostSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT

 public:
  static constexpr char kScheme[] = "bookstub";
  static constexpr char kHost[] = "player";

  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  // The folder served under /book/; an empty path serves no book files.
  void SetBookRoot(std::filesystem::path root) { bookRoot_ = std::move(root); }

  // The book file `movieName` (a name inside the book root).
  static QUrl MovieUrl(const std::filesystem::path& movieName);
  // The host page that plays the book file `movieName` (a name inside the book root).
  static QUrl PageUrl(const std::filesystem::path& movieName);
  // The host page with no movie: the emulator readied, waiting for a movie.
  static QUrl EmptyPageUrl();
  // True when `url` is the host page (with any movie): the one document the view may show.
  static bool IsHostPageUrl(const QUrl& url);

  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  void ServeHostAsset(QWebEngineUrlRequestJob* job, const QString& name) const;
  void ServeBookFile(QWebEngineUrlRequestJob* job, const QString& relativePath) const;

  std::filesystem::path bookRoot_;
};

}  // namespace platform
