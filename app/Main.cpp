#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMargins>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "app/AbruptExit.h"
#include "bridge/FlashCallUtils.h"
#include "log/ZanLog.h"
#include "package/ProSaver.h"
#include "package/uPathGetter.h"
#include "package/uSWFStreamReader.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtSaveDownloadDialog.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace {

// As long as a browser counts a click as the reason for a script's pop-up window; the emulator
// answers a click a frame or more later, and a loaded machine adds to that.
constexpr std::chrono::milliseconds kDownloadGestureLifetime{5000};

void Paint(QWidget& widget, const QColor& colour) {
  widget.setAutoFillBackground(true);
  QPalette colours = widget.palette();
  colours.setColor(QPalette::Window, colour);
  widget.setPalette(colours);
}

// The primary screen's own rectangle: on a desktop of several monitors it need not start at the
// origin.
Rect PrimaryScreenRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {0, 0, kBookWindowSize.width, kBookWindowSize.height};
  const QRect area = screen->geometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

bool MayReportFrameMargins(QEvent::Type type) {
  return type == QEvent::Expose || type == QEvent::Move || type == QEvent::Resize ||
         type == QEvent::WindowStateChange;
}

InputKind KeyInputKind(const QKeyEvent& key, bool down) {
  const bool system = key.modifiers().testFlag(Qt::AltModifier);
  if (down) return system ? InputKind::SysKeyDown : InputKind::KeyDown;
  return system ? InputKind::SysKeyUp : InputKind::KeyUp;
}

InputKind ButtonInputKind(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return InputKind::LeftButtonDown;
    case Qt::RightButton:
      return InputKind::RightButtonDown;
    case Qt::MiddleButton:
      return InputKind::MiddleButtonDown;
    default:
      return InputKind::Other;
  }
}

Point ToPoint(const QPoint& point) {
  return {point.x(), point.y()};
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TLoadProjectThread

TLoadProjectThread::TLoadProjectThread(BookMessageTarget* window, std::filesystem::path packageFile)
    : windowHandle_(window), packageFile_(std::move(packageFile)) {}

TLoadProjectThread::~TLoadProjectThread() {
  RequestAbort();
  wait();
}

void TLoadProjectThread::RequestAbort() {
  const std::lock_guard lock(openerMutex_);
  abortRequested_ = true;
  if (opener_ != nullptr) opener_->SetAbort(true);
}

void TLoadProjectThread::PublishOpener(TProjectOpener* opener) {
  const std::lock_guard lock(openerMutex_);
  opener_ = opener;
  if (opener_ != nullptr && abortRequested_) opener_->SetAbort(true);
}

std::string TLoadProjectThread::Failure() {
  const std::lock_guard lock(openerMutex_);
  return failure_;
}

void TLoadProjectThread::run() {
  // Off the window's thread: a killed player's book may be large.
  if (const int removed = RemoveAbandonedRunFolders(); removed > 0)
    LogMessage("Removed " + std::to_string(removed) +
               " working folders of players that were killed");
  try {
    auto opener = std::make_unique<TProjectOpener>(windowHandle_);
    PublishOpener(opener.get());
    struct Unpublish {
      TLoadProjectThread* thread;
      ~Unpublish() { thread->PublishOpener(nullptr); }
    } unpublish{this};  // runs before the opener is freed
    opener->Open(packageFile_);
    opener->SplitAll();
  } catch (const std::exception& error) {
    const std::lock_guard lock(openerMutex_);
    failure_ = "The book in \"" + packageFile_.string() + "\" cannot be played: " + error.what();
  }
}

// ---------------------------------------------------------------------------------------------
// TMainForm

TMainForm::TMainForm(TMainFormOptions options) : options_(std::move(options)) {
  FormCreate();
}

TMainForm::~TMainForm() {
  FormDestroy();
}

void TMainForm::FormCreate() {
  ApplyWindowFlags();
  SetCaption({});
  Paint(*this, Qt::white);
  setMouseTracking(true);

  popupMenu_ = new QMenu(this);
  connect(popupMenu_->addAction(QStringLiteral("Fullscreen")), &QAction::triggered, this,
          [this] { miFullscreenClick(); });
  connect(popupMenu_->addAction(QStringLiteral("Exit")), &QAction::triggered, this,
          [this] { miExitClick(); });

  panel_ = new QWidget(this);
  Paint(*panel_, Qt::white);
  auto* panelLayout = new QVBoxLayout(panel_);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  progressBar_ = new QProgressBar(panel_);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  panelLayout->addWidget(progressBar_);
  panel_->raise();

  PlaceClient([screen = PrimaryScreenRect()](const Margins& margins) {
    return LoadingClientRect(screen, margins);
  });

  // Key preview: the window sees keys before the Flash host does.
  QCoreApplication::instance()->installEventFilter(this);
}

void TMainForm::Start() {
  // The window goes on screen first; what must come before the working folder follows, then
  // the folder and the split. Errors come out here, not through Qt's event handling.
  startShows_ = true;
  show();
  if (options_.beforeWorkingFolder) options_.beforeWorkingFolder();
  FormShow();
}

platform::QtFlashHost& TMainForm::FlashHost() {
  if (flashHost_) return *flashHost_;
  flashHost_ = options_.createFlashHost ? options_.createFlashHost(this, popupMenu_)
                                        : platform::CreateEmptyFlashHost(this, popupMenu_);
  // The engine leaves threads running and static objects of its own: an exit now ends the
  // process once the folder is gone, before those go.
  PutExitCleanUpFirst();
  flashHost_->SetFlashCallHandler([this](const std::string& request) { SWFFlashCall(request); });
  flashHost_->Widget()->setGeometry(rect());
  if (isVisible()) flashHost_->Widget()->show();
  if (panel_->isVisible()) panel_->raise();
  return *flashHost_;
}

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (startShows_) return;  // Start goes on
  // No error may pass through Qt's event handling: a window only shown closes instead.
  try {
    FormShow();
  } catch (...) {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

void TMainForm::FormShow() {
  // Nothing of the book may go anywhere but a folder of our own: without one, the run ends.
  // The clean-up is armed before the folder exists: the process may end from another thread (its
  // display gone) while the folder is being made; the clean-up then waits for it and removes it.
  // What the clean-up uses must exist before it is armed, to be destroyed only after it ran.
  RunFolderReady();
  ArmAbruptExitCleanUp([this] { StopLoaderAndRemoveRunFolder(); });
  {
    const std::lock_guard lock(runFolderMutex_);
    if (runFolderRemoved_) return;  // the process is ending
    PrepareRunFolder();
    ArmCrashRemoval(GetRootPath(true));
    ownsRunFolder_ = true;
  }
  StartLog();
  StartLoading();
  // The engine starts once the loading window has been drawn (StartFlashHostEarly).
  flashHostWanted_ = true;
}

// The browser engine takes seconds to start and to compile the emulator, and the first page
// waits for both: they run while the book is split, once the loading window is on screen. Only
// on a display that answers: the engine's start crashes on a connection that broke (OpenGL
// drivers), so a display that went gets no engine, here or when the book comes, and the window
// closes as in OnBookLoaded.
void TMainForm::StartFlashHostEarly() {
  if (closing_ || flashHost_) return;
  if (!platform::DisplayAnswers()) {
    close();
    return;
  }
  platform::QtFlashHost& host = FlashHost();
  try {
    // The movie's path is known before the split writes it: the emulator can start on it.
    host.ExpectMovie(GetBookSwfPath(true));
  } catch (const Error&) {
    // No working folder: nothing to expect, as ShowBook will find.
  }
}

void TMainForm::StartLog() {
  try {
    StartAppLog(GetLogFilePath(true));
  } catch (const Error&) {
    // No working folder: the run goes on without a log.
  }
}

void TMainForm::StartLoading() {
  loadThread_ = std::make_unique<TLoadProjectThread>(this, options_.packageFile);
  loaderFinished_ = false;
  connect(loadThread_.get(), &QThread::finished, this, [this] { OnLoaderFinished(); });
  loadThread_->start();
}

void TMainForm::OnLoaderFinished() {
  loaderFinished_ = true;
  if (closeAfterLoader_) {
    close();
    return;
  }
  loadFailure_ = loadThread_->Failure();
  if (!loadFailure_.empty() && options_.onLoadFailure) options_.onLoadFailure();
}

void TMainForm::RemoveWorkingFolder() {
  StopLoaderAndRemoveRunFolder();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  closing_ = true;
  if (!loaderFinished_) {
    // Stop the split and close once the thread has ended; meanwhile the event loop keeps
    // running, so a message the thread is sending is handled (and skipped) rather than awaited.
    closeAfterLoader_ = true;
    loadThread_->RequestAbort();
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TMainForm::FormClose() {
  screenSaverFilter_ = false;
  if (pointerHidden_) {
    QGuiApplication::restoreOverrideCursor();
    pointerHidden_ = false;
  }
}

void TMainForm::FormDestroy() {
  DisarmAbruptExitCleanUp();
  QCoreApplication::instance()->removeEventFilter(this);
  StopLoaderAndRemoveRunFolder();
  FormClose();
}

void TMainForm::StopLoaderAndRemoveRunFolder() {
  if (loadThread_) {
    closing_ = true;
    loadThread_->RequestAbort();
    if (QThread::currentThread() == thread()) {
      // A closing window is waited for by nothing: the loader stops at its next check. Nothing
      // posted to the window runs meanwhile, which may be the process's exit with its display gone.
      loadThread_->wait();
      loadThread_.reset();
    } else {
      // Off the window's thread the process is ending from another thread: the loader, which no
      // longer waits for the window, stops at its next check (a thread ending the process at the
      // same moment waits for this clean-up). Bounded all the same: the process is ending.
      constexpr int kAbruptStopMilliseconds = 3000;
      loadThread_->wait(QDeadlineTimer(kAbruptStopMilliseconds));
    }
  }
  const std::lock_guard lock(runFolderMutex_);
  if (ownsRunFolder_ && loadThread_ && loadThread_->isRunning()) {
    // A loader still writing can refill a folder while it is emptied. It makes no folders, so
    // once they are gone its writes fail, and a repeated removal succeeds.
    constexpr int kRemovalAttempts = 25;
    const std::filesystem::path root = GetRootPath(true);
    for (int attempt = 0; attempt < kRemovalAttempts && !DeleteFolderTree(root); ++attempt)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (ownsRunFolder_) {
    RemoveRunFolder();
    DisarmCrashRemoval();
  }
  ownsRunFolder_ = false;
  runFolderRemoved_ = true;
}

void TMainForm::Send(const BookMessage& message) {
  if (closing_) return;
  if (QThread::currentThread() == thread()) {
    HandleBookMessage(message);
    return;
  }
  if (message.id == WM_BOOK_PROGRESS || message.id == WM_BOOK_TITLE) {
    // Only the bar and the caption wait for these: the split goes on while the window is busy
    // (the browser engine starts on the window's thread meanwhile). Dropped with the window.
    QMetaObject::invokeMethod(
        this, [this, message] { HandleBookMessage(message); }, Qt::QueuedConnection);
    return;
  }
  // Waits until the window has handled the message, but no longer once the window closes: a
  // window that ends the process from inside a message (its display gone) waits for this
  // thread, and would wait forever for a thread that waits for it.
  struct Delivery {
    std::mutex mutex;
    std::condition_variable handled;
    bool done = false;
  };
  const auto delivery = std::make_shared<Delivery>();
  QMetaObject::invokeMethod(
      this,
      [this, message, delivery] {
        HandleBookMessage(message);
        const std::lock_guard lock(delivery->mutex);
        delivery->done = true;
        delivery->handled.notify_all();
      },
      Qt::QueuedConnection);
  constexpr auto kClosingCheck = std::chrono::milliseconds(20);
  std::unique_lock lock(delivery->mutex);
  while (!delivery->handled.wait_for(lock, kClosingCheck, [&] { return delivery->done; }))
    if (closing_) return;
}

void TMainForm::HandleBookMessage(const BookMessage& message) {
  if (closing_) return;
  switch (message.id) {
    case WM_BOOK_PROGRESS:
      if (const auto percent = ProgressPercent(message.wParam, message.lParam))
        progressBar_->setValue(*percent);
      break;
    case WM_BOOK_LOADED:
      OnBookLoaded();
      break;
    case WM_BOOK_TITLE:
      SetCaption(message.text);
      break;
    default:
      break;
  }
}

void TMainForm::OnBookLoaded() {
  // The browser engine, unless it started during the split, starts right after the display is
  // known to answer: its start (OpenGL drivers) crashes on a dead connection, and this message
  // can come before the toolkit has noticed that its display went. A display that does not
  // answer gets no book: the window closes, and the toolkit ends the run as for any lost display.
  if (!platform::DisplayAnswers()) {
    close();
    return;
  }
  FlashHost();
  SetWindowAlpha(0);
  panel_->hide();
  ApplyPlacement({true, {x(), y(), kBookWindowSize.width, kBookWindowSize.height}});
  ShowBook();
  SetWindowAlpha(255);
}

void TMainForm::ShowBook() {
  maximiseBox_ = true;
  stayOnTop_ = options_.runMode == RunMode::ScreenSaver;
  ApplyWindowFlags();
  try {
    // Until the movie draws its first frame, the full-screen window shows the movie's own
    // background colour (else black), never a white flash.
    const std::filesystem::path movie = GetBookSwfPath(true);
    const std::optional<std::uint32_t> stage = SwfBackgroundRgb(movie);
    Paint(*this, stage ? QColor(static_cast<QRgb>(*stage)) : QColor(Qt::black));
    FlashHost().SetStageColour(stage);
    // The log is the player's, not the book's: the movie never reads it.
    FlashHost().SetPrivateFolders({GetLogFolderPath(true)});
    FlashHost().SetMovie(movie);
  } catch (const Error&) {
    // No working folder: the host stays empty, as with a missing movie.
  }
  bookShown_ = true;
  if (options_.runMode != RunMode::ScreenSaver) {
    miFullscreenClick();
    return;
  }
  startCursor_ = ToPoint(QCursor::pos());
  miFullscreenClick();
  screenSaverFilter_ = true;
  QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  pointerHidden_ = true;
}

void TMainForm::SetCaption(const std::string& text) {
  // Qt puts the application name into an empty title bar; a zero-width space keeps it blank.
  setWindowTitle(text.empty() ? kBlankCaption : QString::fromStdString(text));
}

void TMainForm::SetWindowAlpha(int alpha) {
  setWindowOpacity(alpha / 255.0);
}

void TMainForm::miFullscreenClick() {
  ApplyPlacement(ToggleFullscreen(bordered_, PrimaryScreenRect()));
  // The book takes the keys in either mode, without a click first.
  FocusBook();
}

void TMainForm::miExitClick() {
  close();
}

void TMainForm::SWFFlashCall(const std::string& request) {
  const FlashCallAction action = DecideFlashCall(request);
  if (action == FlashCallAction::SaveDownload) SaveDownload(request);
  if (action != FlashCallAction::ToggleFullscreen) return;
  // The viewer's Full screen button asks right after the user's click; a movie asking on its own
  // would make the window flash.
  if (fullscreenGestures_.Take(UserGestureGate::Clock::now())) {
    miFullscreenClick();
    return;
  }
  if (std::exchange(fullscreenRefusalReported_, true)) return;
  qWarning(
      "Player: ignored the movie's full-screen request: it switches only right after a click or "
      "key press in the window (further ones are ignored silently)");
}

void TMainForm::SaveDownload(const std::string& request) {
  if (closing_) return;
  // The viewer asks right after the user's click on its Download button; a movie asking on its
  // own would trap the user in dialogs. The dialog is modal: no click reaches the window while
  // it is open.
  const auto now = std::chrono::steady_clock::now();
  const std::optional<std::chrono::steady_clock::time_point> gesture =
      std::exchange(downloadGestureAt_, std::nullopt);
  if (!gesture || now - *gesture > kDownloadGestureLifetime) {
    if (!std::exchange(downloadRefusalReported_, true))
      qWarning(
          "Player: ignored the movie's download request: it needs a click or key press first "
          "(further ones are ignored silently)");
    return;
  }
  const std::optional<std::string> asked = DownloadRequestPath(request);
  const std::optional<std::string> name = asked ? DownloadFileName(*asked) : std::nullopt;
  if (!name) {
    qWarning("Player: ignored the movie's download request: only files of %s are offered",
             kDownloadsFolder);
    return;
  }
  std::filesystem::path source;
  try {
    source = GetDownloadsPath(true) / *name;
  } catch (const Error&) {
    return;  // no working folder
  }
  std::error_code error;
  // A plain file of the book, not a link that could lead out of the working folder.
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(source, error))) {
    qWarning("Player: the book offers no file %s%s to save", kDownloadsFolder, name->c_str());
    return;
  }
  const std::optional<std::filesystem::path> target = platform::AskWhereToSaveDownload(this, *name);
  if (!target || closing_) return;
  std::filesystem::copy_file(source, *target, std::filesystem::copy_options::overwrite_existing,
                             error);
  if (error)
    qWarning("Player: could not save the download to %s: %s", target->c_str(),
             error.message().c_str());
}

void TMainForm::WatchUserGesture(QObject* watched, const QEvent& event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || (widget != this && !isAncestorOf(widget))) return;
  bool gesture = false;
  if (event.type() == QEvent::MouseButtonPress) {
    const Qt::MouseButton button = static_cast<const QMouseEvent&>(event).button();
    // The right button opens the window's own menu, and withdraws a click still unused: the
    // movie's switch (which hides and shows the window) or its save dialog would close the menu
    // the moment it opens.
    if (button == Qt::RightButton) {
      downloadGestureAt_.reset();
      fullscreenGestures_.Withdraw();
      return;
    }
    gesture = button == Qt::LeftButton;
  } else if (event.type() == QEvent::KeyPress) {
    // Esc is the window's own key: it leaves full screen by itself.
    const auto& key = static_cast<const QKeyEvent&>(event);
    gesture = !key.isAutoRepeat() && key.key() != Qt::Key_Escape;
  }
  if (!gesture) return;
  downloadGestureAt_ = std::chrono::steady_clock::now();
  fullscreenGestures_.OnUserGesture(UserGestureGate::Clock::now());
}

void TMainForm::FocusBook() {
  if (!bookShown_ || !flashHost_) return;
  flashHost_->Widget()->setFocus(Qt::OtherFocusReason);
  activateWindow();
  // When the system's keyboard focus is already on the window, no new activation comes, and the
  // toolkit may keep no active window: keys would reach the view but not the page inside it.
  if (QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this)
    QApplication::setActiveWindow(this);
}

void TMainForm::ApplyPlacement(const WindowPlacement& placement) {
  bordered_ = placement.bordered;
  ApplyWindowFlags();
  if (placement.bordered) {
    PlaceClient([frame = placement.frame](const Margins& margins) {
      return ClientForFrame(frame, margins);
    });
    return;
  }
  pendingPlacement_ = nullptr;
  SetClientGeometry(placement.frame);
}

void TMainForm::PlaceClient(ClientPlacement placement) {
  // A window that has just been made, or given a frame, has no border yet: the window manager
  // adds it once it has seen the window or its new flags. Until it tells, the last border it
  // gave is the best guess; the placement is corrected when the real one is known.
  const Margins reported = ReportedFrameMargins();
  const Margins margins = reported != Margins{} ? reported : knownMargins_;
  SetClientGeometry(placement(margins));
  pendingPlacement_ = reported != Margins{} ? nullptr : std::move(placement);
  placedMargins_ = margins;
}

void TMainForm::CorrectForReportedFrameMargins() {
  if (!pendingPlacement_) return;
  const Margins reported = ReportedFrameMargins();
  // Without a window manager there never is a border; with one, it has not told yet.
  if (reported == Margins{}) return;
  knownMargins_ = reported;
  // Only the first report: from then on the window is the user's to move and size.
  const ClientPlacement placement = std::exchange(pendingPlacement_, nullptr);
  if (reported != placedMargins_) SetClientGeometry(placement(reported));
  placedMargins_ = reported;
}

Margins TMainForm::ReportedFrameMargins() const {
  if (windowHandle() == nullptr) return {};
  const QMargins margins = windowHandle()->frameMargins();
  return {margins.left(), margins.top(), margins.right(), margins.bottom()};
}

void TMainForm::SetClientGeometry(const Rect& client) {
  setGeometry(client.x, client.y, client.width, client.height);
}

Qt::WindowFlags TMainForm::ComposedWindowFlags() const {
  Qt::WindowFlags flags = Qt::Window;
  if (stayOnTop_) flags |= Qt::WindowStaysOnTopHint;
  // Qt drops the frameless hint when any title-bar hint is present, so a borderless window
  // carries none of them.
  if (!bordered_) return flags | Qt::FramelessWindowHint;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
  if (maximiseBox_) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

void TMainForm::ApplyWindowFlags() {
  const Qt::WindowFlags flags = ComposedWindowFlags();
  if (flags == windowFlags()) return;
  // A window the system already has changes its frame in place. Set through the widget, new
  // flags hide the window and show it again: a click or key pressed meanwhile is lost, and the
  // page inside is hidden and shown again, which the engine does not always survive.
  if (QWindow* window = windowHandle(); window != nullptr && window->handle() != nullptr) {
    overrideWindowFlags(flags);
    window->setFlags(flags);
    return;
  }
  setWindowFlags(flags);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (flashHost_) flashHost_->Widget()->setGeometry(rect());
  panel_->setGeometry(rect());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && MayReportFrameMargins(event->type()))
    CorrectForReportedFrameMargins();
  if (watched == windowHandle() && event->type() == QEvent::Expose &&
      std::exchange(flashHostWanted_, false))
    QTimer::singleShot(0, this, [this] { StartFlashHostEarly(); });  // after the drawing
  WatchUserGesture(watched, *event);
  if (screenSaverFilter_ && ScreenSaverMessageFilter(event)) {
    screenSaverFilter_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
  // Each key reaches the window's QWindow once, whichever child has the focus.
  if (event->type() == QEvent::KeyPress && watched == windowHandle() &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    FormKeyDown(kEscapeKey);
  return false;  // never handled here: the event goes on as usual
}

void TMainForm::FormKeyDown(int virtualKey) {
  if (KeyLeavesFullscreen(virtualKey, bordered_)) miFullscreenClick();
}

bool TMainForm::ScreenSaverMessageFilter(QEvent* event) {
  InputKind kind = InputKind::Other;
  Point pointer = startCursor_;
  switch (event->type()) {
    case QEvent::MouseMove:
      kind = InputKind::MouseMove;
      pointer = ToPoint(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      kind = KeyInputKind(*static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      kind = ButtonInputKind(static_cast<QMouseEvent*>(event)->button());
      break;
    default:
      break;
  }
  return ScreenSaverClosesOn(kind, pointer, startCursor_);
}
