// TMainForm on the offscreen platform: the loading display, the three loader messages sent from
// another thread, full-screen switching, the context menu, the movie's calls, the screen-saver
// exit rules and the working folder's life.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/Main.h"
#include "log/ZanLog.h"
#include "package/uPathGetter.h"
#include "tests/app/FormTestSupport.h"

namespace fs = std::filesystem;

namespace {

using formtest::FakeFlashHost;
using formtest::ProcessEventsUntil;

// Sends messages from a thread of its own, as the loader does, while the window thread runs.
void SendFromLoaderThread(TMainForm& form, const std::vector<BookMessage>& messages) {
  std::atomic<bool> finished{false};
  std::thread sender([&] {
    for (const BookMessage& message : messages) form.Send(message);
    finished = true;
  });
  const bool done = ProcessEventsUntil([&] { return finished.load(); });
  sender.join();
  ASSERT_TRUE(done);
  // Progress and title are posted without waiting: the window handles the last ones here.
  QCoreApplication::sendPostedEvents(&form, QEvent::MetaCall);
}

QRect ScreenRect() {
  return QGuiApplication::primaryScreen()->geometry();
}

QRect CentredBookWindow() {
  const QRect screen = ScreenRect();
  return {screen.x() + (screen.width() - 900) / 2, screen.y() + (screen.height() - 600) / 2, 900,
          600};
}

// The frame as the system has it now: a window that gained its frame in place may not have
// told the widget yet.
bool IsCentredBookWindow(const TMainForm& form) {
  return form.geometry() == CentredBookWindow().marginsRemoved(form.windowHandle()->frameMargins());
}

void SendKey(TMainForm& form, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(form.windowHandle(), &press);
}

void SendMouse(TMainForm& form, QEvent::Type type, QPoint global, Qt::MouseButton button) {
  const QPointF local = QPointF(global - form.geometry().topLeft());
  QMouseEvent event(type, local, QPointF(global), button,
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button),
                    Qt::NoModifier);
  QCoreApplication::sendEvent(form.windowHandle(), &event);
}

// Sees every event sent to one object while it lives.
class EventSpy : public QObject {
 public:
  EventSpy(QObject& watched, std::function<void(const QEvent&)> seen)
      : watched_(watched), seen_(std::move(seen)) {
    watched_.installEventFilter(this);
  }
  ~EventSpy() override { watched_.removeEventFilter(this); }
  EventSpy(const EventSpy&) = delete;
  EventSpy& operator=(const EventSpy&) = delete;

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    seen_(*event);
    return false;
  }

 private:
  QObject& watched_;
  std::function<void(const QEvent&)> seen_;
};

std::string Download(const std::string& name) {
  return R"(<invoke name="download_file" returntype="xml"><arguments><string>)" + name +
         "</string></arguments></invoke>";
}

// Answers each save dialog that opens while `act` runs: saves as `target` with Enter, or cancels
// when it is empty. Returns the names the dialogs offered.
std::vector<std::string> AnswerSaveDialogs(const std::function<void()>& act,
                                           const fs::path& target) {
  std::vector<std::string> offered;
  QTimer answer;
  answer.setInterval(10);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    offered.push_back(fs::path(dialog->selectedFiles().value(0).toStdString()).filename());
    if (target.empty()) {
      dialog->reject();
      return;
    }
    dialog->selectFile(QString::fromStdString(target.string()));
    // Enter, as the user would: keys in the dialog (a window of its own) ask for no other one.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &enter);
  });
  answer.start();
  act();
  answer.stop();
  return offered;
}

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override { AppLog.reset(); }
  void TearDown() override {
    form_.reset();
    AppLog.reset();
  }

  TMainForm& MakeForm(RunMode mode = RunMode::Window,
                      fs::path package = "/nonexistent/bookstub-package") {
    form_ = std::make_unique<TMainForm>(
        TMainFormOptions{std::move(package), mode, [](QWidget* parent, QMenu* menu) {
                           return std::make_unique<FakeFlashHost>(parent, menu);
                         }});
    return *form_;
  }

  // Shows the form; the missing package ends the loader at once, so the messages come from
  // the test alone.
  TMainForm& ShowLoadingForm(RunMode mode = RunMode::Window) {
    TMainForm& form = MakeForm(mode);
    form.show();
    EXPECT_TRUE(ProcessEventsUntil([&] { return form.LoaderFinished(); }));
    return form;
  }

  TMainForm& ShowBookForm(RunMode mode = RunMode::Window) {
    TMainForm& form = ShowLoadingForm(mode);
    SendFromLoaderThread(form, {{WM_BOOK_LOADED, 0, 0, {}}});
    return form;
  }

  std::vector<fs::path> FoldersInTmp() const { return tmp_.Subfolders(); }

  static FakeFlashHost& Host(TMainForm& form) {
    return static_cast<FakeFlashHost&>(form.FlashHost());
  }

  formtest::TemporaryFolderEnvironment tmp_{"form"};
  std::unique_ptr<TMainForm> form_;
};

TEST_F(MainFormTest, StartsAsSmallUntitledProgressWindowWithoutMaximise) {
  TMainForm& form = MakeForm();
  EXPECT_EQ(form.size(), QSize(234, 25));
  EXPECT_EQ(form.windowTitle(), TMainForm::kBlankCaption);
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_EQ(form.ProgressBar().value(), 0);
  EXPECT_TRUE(form.IsBordered());
  EXPECT_TRUE(FoldersInTmp().empty()) << "the working folder is made on first show";
}

TEST_F(MainFormTest, StartShowsTheWindowThenRunsThePreparationThenMakesTheFolder) {
  std::optional<std::pair<bool, std::size_t>> seen;  // visible, working folders
  form_ = std::make_unique<TMainForm>(TMainFormOptions{
      "/nonexistent/bookstub-package", RunMode::Window, formtest::MakeFakeFlashHost, nullptr,
      [&] { seen.emplace(form_->isVisible(), FoldersInTmp().size()); }});
  form_->Start();
  EXPECT_EQ(seen, std::make_pair(true, std::size_t{0}));
  EXPECT_EQ(FoldersInTmp().size(), 1u);
  EXPECT_TRUE(ProcessEventsUntil([&] { return form_->LoaderFinished(); }));
}

TEST_F(MainFormTest, FailedLoadKeepsProgressDisplayAndClosingDeletesTheFolder) {
  TMainForm& form = ShowLoadingForm();
  ASSERT_EQ(FoldersInTmp().size(), 1u);
  const fs::path root = FoldersInTmp().front();
  EXPECT_TRUE(fs::is_directory(root / "files" / "res" / "pages"));
  EXPECT_TRUE(fs::exists(root / "files" / "Log" / "log1.txt"));
  EXPECT_FALSE(form.BookShown());
  EXPECT_TRUE(form.ProgressBar().isVisible());
  EXPECT_EQ(form.size(), QSize(234, 25));

  form.close();
  form_.reset();
  EXPECT_FALSE(fs::exists(root));
}

TEST_F(MainFormTest, LoaderMessagesSetTitleAndProgress) {
  TMainForm& form = ShowLoadingForm();
  std::vector<int> shown;
  QObject::connect(&form.ProgressBar(), &QProgressBar::valueChanged,
                   [&](int value) { shown.push_back(value); });
  SendFromLoaderThread(form, {{WM_BOOK_TITLE, 0, 0, "My \xC3\xA9 Book"},
                              {WM_BOOK_PROGRESS, 5, 100, {}},
                              {WM_BOOK_PROGRESS, 10, 100, {}},
                              {WM_BOOK_PROGRESS, 0, 0, {}},  // ignored, not a crash
                              {WM_BOOK_PROGRESS, 55, 100, {}},
                              {WM_BOOK_PROGRESS, 100, 100, {}}});
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("My \xC3\xA9 Book"));
  SendFromLoaderThread(form, {{WM_BOOK_TITLE, 0, 0, ""}});
  EXPECT_EQ(form.windowTitle(), TMainForm::kBlankCaption) << "an empty title stays blank";
  EXPECT_EQ(shown, (std::vector<int>{5, 10, 55, 100}));
  EXPECT_FALSE(form.BookShown());
}

TEST_F(MainFormTest, LoadedShowsTheMovieFullScreen) {
  TMainForm& form = ShowBookForm();
  EXPECT_TRUE(form.BookShown());
  EXPECT_FALSE(form.IsBordered());
  EXPECT_EQ(form.geometry(), ScreenRect());
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(form.ProgressBar().isVisible());
  EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);
  EXPECT_EQ(form.FlashHost().Widget()->geometry(), form.rect());
  EXPECT_EQ(Host(form).Movie(), GetRootPath(true) / "files" / "book.swf");
  EXPECT_EQ(Host(form).Private(), std::vector<fs::path>{GetLogFolderPath(true)})
      << "the log lies beside the movie and is the player's, not the book's";
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer stays in window mode";
}

TEST_F(MainFormTest, EscapeLeavesFullScreenOnly) {
  TMainForm& form = ShowBookForm();
  SendKey(form, Qt::Key_Escape);
  EXPECT_TRUE(form.IsBordered());
  EXPECT_FALSE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << "book window";
  EXPECT_TRUE(IsCentredBookWindow(form));

  form.resize(500, 400);
  SendKey(form, Qt::Key_Escape);
  EXPECT_TRUE(form.IsBordered()) << "Esc never enters full screen";
  EXPECT_EQ(form.size(), QSize(500, 400));

  SendKey(form, Qt::Key_A);
  EXPECT_TRUE(form.IsBordered());
}

// A window that leaves the screen for a moment loses a click or key given meanwhile, and the
// page inside is hidden and shown again.
TEST_F(MainFormTest, ModeSwitchesKeepTheSameWindowOnScreen) {
  TMainForm& form = ShowLoadingForm();
  const WId native = form.winId();
  int hides = 0;
  const EventSpy spy(form, [&](const QEvent& event) { hides += event.type() == QEvent::Hide; });
  SendFromLoaderThread(form, {{WM_BOOK_LOADED, 0, 0, {}}});
  ASSERT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  form.ContextMenu().actions()[0]->trigger();
  ASSERT_TRUE(form.IsBordered());
  EXPECT_EQ(form.windowHandle()->flags(), form.windowFlags()) << "the system has the frame too";
  SendKey(form, Qt::Key_Escape);
  form.ContextMenu().actions()[0]->trigger();
  EXPECT_TRUE(form.windowHandle()->flags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(hides, 0);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.winId(), native);
}

TEST_F(MainFormTest, ContextMenuTogglesAndExits) {
  TMainForm& form = ShowBookForm();
  EXPECT_EQ(Host(form).Menu(), &form.ContextMenu());
  const QList<QAction*> actions = form.ContextMenu().actions();
  ASSERT_EQ(actions.size(), 2);
  EXPECT_EQ(actions[0]->text(), "Fullscreen");
  EXPECT_EQ(actions[1]->text(), "Exit");

  actions[0]->trigger();
  EXPECT_TRUE(IsCentredBookWindow(form));
  form.setGeometry(10, 20, 300, 200);  // the user's own placement is not restored
  actions[0]->trigger();
  EXPECT_EQ(form.geometry(), ScreenRect());
  actions[0]->trigger();
  EXPECT_TRUE(IsCentredBookWindow(form));

  actions[1]->trigger();
  EXPECT_FALSE(form.isVisible());
}

TEST_F(MainFormTest, MovieCallTogglesFullScreenOnlyForTheExactCommandAfterAGesture) {
  TMainForm& form = ShowBookForm();
  const QPoint inside = form.geometry().center();
  const std::string command =
      R"(<invoke name="fullscreen_error" returntype="xml"><arguments/></invoke>)";
  SendMouse(form, QEvent::MouseButtonPress, inside, Qt::LeftButton);
  Host(form).Call(R"(<invoke name="FULLSCREEN_ERROR" returntype="xml"><arguments/></invoke>)");
  Host(form).Call(
      R"(<invoke name="fullscreen_error" returntype="xml"><arguments><string>function(){}</string></arguments></invoke>)");
  Host(form).Call("not xml");
  EXPECT_FALSE(form.IsBordered());

  // The click is still there for the real command, which it lets through once.
  Host(form).Call(command);
  EXPECT_TRUE(form.IsBordered());
  EXPECT_TRUE(IsCentredBookWindow(form));
  Host(form).Call(command);
  EXPECT_TRUE(form.IsBordered()) << "one click, one switch";

  SendKey(form, Qt::Key_F);
  Host(form).Call(command);
  EXPECT_FALSE(form.IsBordered()) << "a key press lets one call through too";
  EXPECT_EQ(form.geometry(), ScreenRect());
}

TEST_F(MainFormTest, DownloadAsksWhereToSaveOncePerClickAndOnlyForTheBooksDownloads) {
  TMainForm& form = ShowBookForm();
  fs::create_directories(GetDownloadsPath(true));
  std::ofstream(GetDownloadsPath(true) / "book.bin") << "the book, for keeps";
  fs::create_directories(GetOtherPath(true));
  std::ofstream(GetOtherPath(true) / "toc.xml") << "<toc/>";
  const fs::path saved = tmp_.Folder() / "saved.bin";
  const QPoint inside = form.geometry().center();
  const auto click = [&](Qt::MouseButton button) {
    SendMouse(form, QEvent::MouseButtonPress, inside, button);
    SendMouse(form, QEvent::MouseButtonRelease, inside, button);
  };
  const auto ask = [&](const std::string& name) {
    return AnswerSaveDialogs([&] { Host(form).Call(Download(name)); }, saved);
  };

  EXPECT_TRUE(ask("res/downloads/book.bin").empty()) << "no click, no dialog";
  click(Qt::RightButton);
  EXPECT_TRUE(ask("res/downloads/book.bin").empty()) << "the right button opens the menu only";
  click(Qt::LeftButton);
  click(Qt::RightButton);
  EXPECT_TRUE(ask("res/downloads/book.bin").empty()) << "the menu withdraws the click before it";
  for (const char* name : {"res/other/toc.xml", "res/downloads/../other/toc.xml",
                           "res/downloads/missing.bin", "res/downloads/"}) {
    click(Qt::LeftButton);
    EXPECT_TRUE(ask(name).empty()) << name;
  }
  EXPECT_FALSE(fs::exists(saved));

  click(Qt::LeftButton);
  EXPECT_EQ(ask("res/downloads/book.bin"), std::vector<std::string>{"book.bin"});
  std::ifstream copy(saved);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}), "the book, for keeps");
  EXPECT_TRUE(ask("res/downloads/book.bin").empty()) << "one dialog per click";

  fs::remove(saved);
  SendKey(form, Qt::Key_D);
  EXPECT_EQ(AnswerSaveDialogs([&] { Host(form).Call(Download("res/downloads/book.bin")); }, {}),
            std::vector<std::string>{"book.bin"})
      << "a key press counts as a click";
  EXPECT_FALSE(fs::exists(saved)) << "a cancelled dialog saves nothing";
}

// Without the user, a movie calling every frame would make the window flash; the window's own
// keys and menu button are not the user asking the movie for anything.
TEST_F(MainFormTest, MovieCallAloneOrAfterTheWindowsOwnInputLeavesTheWindowAsItIs) {
  TMainForm& form = ShowBookForm();
  const std::string command =
      R"(<invoke name="fullscreen_error" returntype="xml"><arguments/></invoke>)";
  for (int i = 0; i < 5; ++i) Host(form).Call(command);
  EXPECT_FALSE(form.IsBordered());

  SendMouse(form, QEvent::MouseButtonPress, form.geometry().center(), Qt::RightButton);
  Host(form).Call(command);
  EXPECT_FALSE(form.IsBordered()) << "the right button opens the window's menu";
  // The switch hides and shows the window, which would close the menu as it opens.
  SendMouse(form, QEvent::MouseButtonPress, form.geometry().center(), Qt::LeftButton);
  SendMouse(form, QEvent::MouseButtonPress, form.geometry().center(), Qt::RightButton);
  Host(form).Call(command);
  EXPECT_FALSE(form.IsBordered()) << "the menu asked for after a click withdraws the click";

  SendKey(form, Qt::Key_Escape);
  ASSERT_TRUE(form.IsBordered());
  Host(form).Call(command);
  EXPECT_TRUE(form.IsBordered()) << "Esc has done its switch already";
}

TEST_F(MainFormTest, ScreenSaverHidesPointerStaysOnTopAndIgnoresOneAxisMoves) {
  const QPoint start = QCursor::pos();
  TMainForm& form = ShowBookForm(RunMode::ScreenSaver);
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(form.geometry(), ScreenRect());
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);

  SendMouse(form, QEvent::MouseMove, start + QPoint(40, 0), Qt::NoButton);
  SendMouse(form, QEvent::MouseMove, start + QPoint(0, 40), Qt::NoButton);
  SendMouse(form, QEvent::MouseMove, start, Qt::NoButton);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isVisible());

  form.close();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "closing shows the pointer again";
}

struct InputCase {
  const char* label;
  std::function<void(TMainForm&)> send;
};

void PrintTo(const InputCase& c, std::ostream* os) {
  *os << c.label;
}

class ScreenSaverInput : public MainFormTest, public testing::WithParamInterface<InputCase> {};

TEST_P(ScreenSaverInput, ClosesTheScreenSaverAndRestoresThePointer) {
  TMainForm& form = ShowBookForm(RunMode::ScreenSaver);
  GetParam().send(form);
  EXPECT_TRUE(ProcessEventsUntil([&] { return !form.isVisible(); }));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ScreenSaverInput,
    testing::Values(
        InputCase{"Key", [](TMainForm& form) { SendKey(form, Qt::Key_Space); }},
        InputCase{"Escape", [](TMainForm& form) { SendKey(form, Qt::Key_Escape); }},
        InputCase{"DiagonalMove",
                  [](TMainForm& form) {
                    SendMouse(form, QEvent::MouseMove, QCursor::pos() + QPoint(3, 4), Qt::NoButton);
                  }},
        InputCase{"LeftButton",
                  [](TMainForm& form) {
                    SendMouse(form, QEvent::MouseButtonPress, QCursor::pos(), Qt::LeftButton);
                  }},
        InputCase{"RightButton",
                  [](TMainForm& form) {
                    SendMouse(form, QEvent::MouseButtonPress, QCursor::pos(), Qt::RightButton);
                  }},
        InputCase{"MiddleButton",
                  [](TMainForm& form) {
                    SendMouse(form, QEvent::MouseButtonPress, QCursor::pos(), Qt::MiddleButton);
                  }}),
    [](const testing::TestParamInfo<InputCase>& info) { return info.param.label; });

TEST_F(MainFormTest, WindowModeIgnoresScreenSaverInput) {
  TMainForm& form = ShowBookForm();
  SendKey(form, Qt::Key_Space);
  SendMouse(form, QEvent::MouseMove, QCursor::pos() + QPoint(30, 30), Qt::NoButton);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isVisible());
}

TEST_F(MainFormTest, MessagesAfterCloseAreSkipped) {
  TMainForm& form = ShowLoadingForm();
  form.close();
  SendFromLoaderThread(form, {{WM_BOOK_TITLE, 0, 0, "late"}, {WM_BOOK_LOADED, 0, 0, {}}});
  EXPECT_EQ(form.windowTitle(), TMainForm::kBlankCaption);
  EXPECT_FALSE(form.BookShown());
}

}  // namespace
