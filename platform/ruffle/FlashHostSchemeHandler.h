#pragma once
// Serves the "bookstub" URL scheme to the Ruffle host's web view.
// Implements: bookstub://player/host/<file> from the host page's resources (page, scripts,
// emulator) and bookstub://player/book/<path> from the book root, only for files inside it and
// outside its private folders (see BookFileResolver.h), found on a thread of their own
// (BookFileLookup.h) and served on the window's thread, with MIME types by extension; book
// requests made while the book is still being split wait for it.
// Does not: accept anything but GET, list folders, or serve any other host name or path.

#include <QUrl>
#include <QWebEngineUrlSchemeHandler>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ruffle/BookFileLookup.h"

namespace platform {

class FlashHostSchemeHandler : public QWebEngineUrlSchemeHandler {
  Q_OBJECT

 public:
  static constexpr char kScheme[] = "bookstub";
  static constexpr char kHost[] = "player";

  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
  ~FlashHostSchemeHandler() override;

  // The folder served under /book/, without the files of `privateFolders` (folders inside it);
  // an empty path serves no book files.
  void SetBookRoot(const std::filesystem::path& root,
                   const std::vector<std::filesystem::path>& privateFolders = {});
  // Book files asked for from now on wait (boundedly) for the next SetBookRoot, which answers
  // them from its root: the book is still being split. An empty root drops them unanswered.
  void AwaitBook();

  // The book file `movieName` (a name inside the book root).
  static QUrl MovieUrl(const std::filesystem::path& movieName);
  // The host page: it readies the emulator and waits for the player to hand it a movie; it
  // takes none from its address.
  static QUrl PageUrl();
  // True when `url` is the host page: the one document the view may show.
  static bool IsHostPageUrl(const QUrl& url);

  void requestStarted(QWebEngineUrlRequestJob* job) override;

 private:
  void ServeHostAsset(QWebEngineUrlRequestJob* job, const QString& name) const;
  void ServeBookFile(QWebEngineUrlRequestJob* job, const QString& relativePath);

  std::unique_ptr<BookFileLookup> lookup_;  // none: no book files
};

}  // namespace platform
