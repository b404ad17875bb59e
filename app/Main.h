#pragma once
// The player's only window and the thread that splits the book package behind it.

#include <QString>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/FormLogic.h"
#include "bridge/UserGestureGate.h"
#include "package/BookMessages.h"
#include "platform/qt/QtFlashHost.h"

class QAction;
class QMenu;
class QProgressBar;
class TProjectOpener;

// Removes the run folders players killed before left behind, then runs one Open + SplitAll of
// the package in `packageFile`, reporting to `window`. Created suspended (QThread::start runs
// it). An error escaping the opener ends the body; its message is kept for Failure.
class TLoadProjectThread : public QThread {
 public:
  TLoadProjectThread(BookMessageTarget* window, std::filesystem::path packageFile);
  ~TLoadProjectThread() override;

  // Any thread: asks the running split to stop at its next check.
  void RequestAbort();
  // Once the thread has finished: why the book could not be opened or split; empty when it was,
  // or when the split stopped on request.
  std::string Failure();

 protected:
  void run() override;

 private:
  void PublishOpener(TProjectOpener* opener);

  BookMessageTarget* windowHandle_;
  std::filesystem::path packageFile_;
  std::mutex openerMutex_;  // guards opener_ against RequestAbort from the window thread
  TProjectOpener* opener_ = nullptr;
  bool abortRequested_ = false;
  std::string failure_;  // guarded by openerMutex_ too
};

using FlashHostFactory =
    std::function<std::unique_ptr<platform::QtFlashHost>(QWidget* parent, QMenu* contextMenu)>;

struct TMainFormOptions {
  std::filesystem::path packageFile;  // the running executable in the player
  RunMode runMode = RunMode::Window;
  FlashHostFactory createFlashHost;  // the empty host when not set
  // Called on the window's thread once the book could not be opened or split (LoadFailure says
  // why); whoever runs the window ends its event loop there. Not set: the loading window stays.
  std::function<void()> onLoadFailure = nullptr;
  // Called by Start once the window is on screen, before the working folder exists: what the
  // Flash host must ask the display first (a display that goes meanwhile may end the process
  // there, with nothing of the book on disk yet).
  std::function<void()> beforeWorkingFolder = nullptr;
};

class TMainForm : public QWidget, public BookMessageTarget {
 public:
  // The caption until WM_BOOK_TITLE arrives (and when the title is empty).
  static inline const QString kBlankCaption = QString(QChar(0x200B));

  explicit TMainForm(TMainFormOptions options);
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // Any thread; returns once the window thread has handled the message (progress and title:
  // once it is posted). Skipped once the window is closing, so a closing window never waits for a
  // loader that waits for it.
  void Send(const BookMessage& message) override;

  // Shows the window, runs the options' beforeWorkingFolder, then prepares the working folder,
  // starts the log and the loader (a window only shown does those on its first show). An error
  // of those steps comes out here; destroying the window undoes them.
  void Start();

  void miFullscreenClick();
  void miExitClick();
  void SWFFlashCall(const std::string& request);

  // Set when the book could not be opened or split: the error's message. The window stays the
  // loading window and calls the options' onLoadFailure; whoever runs it reports the failure
  // (see RunMainWindow).
  const std::string& LoadFailure() const { return loadFailure_; }
  // Stops the loader and removes the working folder now; the window stays on screen. Also done
  // when the window goes.
  void RemoveWorkingFolder();

  bool IsBordered() const { return bordered_; }
  bool BookShown() const { return bookShown_; }
  bool LoaderFinished() const { return loaderFinished_; }
  // Created on first use: once the loading window is drawn, at the latest when the book is
  // shown.
  platform::QtFlashHost& FlashHost();
  QProgressBar& ProgressBar() { return *progressBar_; }
  QMenu& ContextMenu() { return *popupMenu_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();
  // Also run on the ways out that skip the destructor.
  void StopLoaderAndRemoveRunFolder();
  void FormKeyDown(int virtualKey);

  void StartLog();
  void StartLoading();
  void OnLoaderFinished();
  void StartFlashHostEarly();

  void HandleBookMessage(const BookMessage& message);
  void OnBookLoaded();
  void ShowBook();
  void SetCaption(const std::string& text);
  void SetWindowAlpha(int alpha);
  // The book view takes the keyboard: keys turn pages without a click first.
  void FocusBook();
  // A click or key press of the user inside the window, which lets the movie switch between
  // full screen and a window once, and ask once where to save a download.
  void WatchUserGesture(QObject* watched, const QEvent& event);
  // The client rectangle a placement gives for a border of the window manager's.
  using ClientPlacement = std::function<Rect(const Margins&)>;
  void ApplyPlacement(const WindowPlacement& placement);
  void PlaceClient(ClientPlacement placement);
  void CorrectForReportedFrameMargins();
  Margins ReportedFrameMargins() const;
  void SetClientGeometry(const Rect& client);
  // Border, border icons and stay-on-top as the state fields say.
  Qt::WindowFlags ComposedWindowFlags() const;
  void ApplyWindowFlags();
  bool ScreenSaverMessageFilter(QEvent* event);
  // A file of the book's res/downloads/ that the movie offers: the user picks where it goes,
  // once per click or key press in the window.
  void SaveDownload(const std::string& request);

  TMainFormOptions options_;
  QMenu* popupMenu_ = nullptr;           // owned by this widget
  QWidget* panel_ = nullptr;             // owned by this widget
  QProgressBar* progressBar_ = nullptr;  // owned by the panel
  std::unique_ptr<platform::QtFlashHost> flashHost_;
  std::unique_ptr<TLoadProjectThread> loadThread_;

  // The last bordered placement until the window manager has reported the border it placed
  // with (see PlaceClient).
  ClientPlacement pendingPlacement_;
  Margins placedMargins_;
  Margins knownMargins_;  // the border the window manager gave last
  Point startCursor_;
  bool bordered_ = true;
  bool maximiseBox_ = false;  // no maximise box while loading
  bool stayOnTop_ = false;
  bool shown_ = false;
  bool startShows_ = false;       // Start, not the first show, prepares the folder
  bool flashHostWanted_ = false;  // the engine starts once the loading window is drawn
  // The folder's making and its removal, which an exit on another thread may run at any time;
  // recursive, for an error nobody caught while the folder is being made.
  std::recursive_mutex runFolderMutex_;
  bool ownsRunFolder_ = false;     // prepared by this window and not yet removed
  bool runFolderRemoved_ = false;  // removed, or the process ended before it was made
  bool bookShown_ = false;
  bool screenSaverFilter_ = false;
  bool pointerHidden_ = false;
  UserGestureGate fullscreenGestures_;
  bool fullscreenRefusalReported_ = false;
  bool loaderFinished_ = true;
  bool closeAfterLoader_ = false;
  bool downloadRefusalReported_ = false;
  // The last left click or key press in the window that no save dialog has used yet.
  std::optional<std::chrono::steady_clock::time_point> downloadGestureAt_;
  std::string loadFailure_;
  std::atomic<bool> closing_{false};
};
