// Plays a movie in the Ruffle Flash host inside a plain window, without the player around it.
//   bookstub-flash-host-harness play <movie.swf>     prints each external call until closed
//   bookstub-flash-host-harness check <folder>       writes the test book into <folder>, plays
//       it and checks the requests, the relative page load (served through a case-insensitive
//       path) and the picture on screen; exit code 0 when all hold
//   bookstub-flash-host-harness check-empty <folder> sets a missing and a damaged movie and
//       checks that the view stays empty and quiet
//   bookstub-flash-host-harness write-movie <file> <delay frames>   writes the test movie
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/qt/QtFlashHost.h"
#include "platform/ruffle/RuffleFlashHost.h"
#include "tests/e2e/FlashTestMovie.h"

namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 40000;

void WriteFile(const fs::path& file, const std::string& bytes) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// The test book: the movie and its page picture, stored in other letter case than the movie
// asks for, as books authored on case-insensitive file systems often are.
fs::path WriteTestBook(const fs::path& folder) {
  WriteFile(folder / "book.swf", e2e::FlashTestMovie(2));
  QImage page(e2e::kTestPageWidth, e2e::kTestPageHeight, QImage::Format_RGB32);
  page.fill(Qt::red);
  fs::create_directories(folder / "Res" / "Pages");
  page.save(QString::fromStdString((folder / "Res" / "Pages" / "Page_0000.PNG").string()), "PNG");
  return folder / "book.swf";
}

QRgb ScreenPixel(const QWidget& window, QPoint local) {
  const QPoint global = window.mapToGlobal(local);
  return window.screen()->grabWindow(0).toImage().pixel(global);
}

bool IsRed(QRgb pixel) {
  return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}
bool IsWhite(QRgb pixel) {
  return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

class Harness {
 public:
  Harness() : FHost(platform::CreateRuffleFlashHost(&FWindow, &FMenu)) {
    FMenu.addAction(QStringLiteral("Fullscreen"));
    FMenu.addAction(QStringLiteral("Exit"));
    FWindow.resize(e2e::kTestStageWidth, e2e::kTestStageHeight);
    FHost->Widget()->setGeometry(FWindow.rect());
    FWindow.show();
    FHost->SetFlashCallHandler([this](const std::string& request) { OnCall(request); });
  }

  int Play(const fs::path& movie) {
    FHost->SetMovie(movie);
    return QApplication::exec();
  }

  int Check(const fs::path& folder) {
    FHost->SetMovie(WriteTestBook(folder));
    FOnCallsDone = [this] { PollCentre(IsRed, "the page picture"); };
    QTimer::singleShot(kTimeoutMs, [this] { Fail("no answer in time"); });
    QApplication::exec();
    return FFailed ? 1 : CheckRequests();
  }

  int CheckEmpty(const fs::path& folder) {
    WriteFile(folder / "damaged.swf", "not a movie");
    FHost->SetMovie(folder / "missing.swf");
    FHost->SetMovie(folder / "damaged.swf");
    QTimer::singleShot(3000, [this] { PollCentre(IsWhite, "an empty view"); });
    QApplication::exec();
    if (!FRequests.empty()) Fail("an empty view made external calls");
    return FFailed ? 1 : 0;
  }

 private:
  void OnCall(const std::string& request) {
    std::cout << "FlashCall: " << request << std::endl;
    FRequests.push_back(request);
    if (FRequests.size() == 2 && FOnCallsDone) FOnCallsDone();
  }

  // Waits until the window's centre shows what `expected` accepts; the emulator draws a frame
  // or two after the calls that announce it.
  void PollCentre(bool (*expected)(QRgb), const char* what) {
    const QRgb pixel = ScreenPixel(FWindow, FWindow.rect().center());
    if (expected(pixel)) {
      std::cout << "Centre shows " << what << std::endl;
      QApplication::exit(0);
      return;
    }
    ++FPolls;
    if (FPolls > 100) {
      Fail(std::string("centre pixel is ") + QColor(pixel).name().toStdString() + ", not " + what);
      return;
    }
    QTimer::singleShot(200, [this, expected, what] { PollCentre(expected, what); });
  }

  int CheckRequests() {
    const std::vector<std::string> expected{e2e::ExpectedPageLoadedRequest(),
                                            e2e::ExpectedFullscreenRequest()};
    if (FRequests == expected) return 0;
    std::cerr << "Expected requests:\n" << expected[0] << "\n" << expected[1] << std::endl;
    return 1;
  }

  void Fail(const std::string& why) {
    std::cerr << "FAILED: " << why << std::endl;
    FFailed = true;
    QApplication::exit(1);
  }

  QWidget FWindow;
  QMenu FMenu;
  std::unique_ptr<platform::QtFlashHost> FHost;
  std::vector<std::string> FRequests;
  std::function<void()> FOnCallsDone;
  int FPolls = 0;
  bool FFailed = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "write-movie") {
    WriteFile(fs::absolute(argv[2]), e2e::FlashTestMovie(std::stoi(argv[3])));
    return 0;
  }
  platform::PrepareFlashHostProcess();
  QApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() != 2) {
    std::cerr << "usage: " << argv[0]
              << " play <movie.swf> | check <folder> | check-empty <folder>\n";
    return 2;
  }
  Harness harness;
  const fs::path target = fs::absolute(args[1]);
  if (args[0] == "play") return harness.Play(target);
  fs::create_directories(target);
  if (args[0] == "check") return harness.Check(target);
  if (args[0] == "check-empty") return harness.CheckEmpty(target);
  std::cerr << "unknown mode " << args[0] << "\n";
  return 2;
}
