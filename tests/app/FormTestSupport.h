#pragma once
// Shared pieces of the widget tests: a Flash host that records, event processing with a bound,
// and a temporary folder of the test's own.

#include <QCoreApplication>
#include <QMenu>
#include <QThread>
#include <QWidget>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/qt/QtFlashHost.h"

namespace formtest {

class FakeFlashHost : public platform::QtFlashHost {
 public:
  FakeFlashHost(QWidget* parent, QMenu* menu) : widget_(new QWidget(parent)), menu_(menu) {}
  QWidget* Widget() override { return widget_; }
  void SetMovie(const std::filesystem::path& movie) override { movie_ = movie; }
  void Call(const std::string& request) { RaiseFlashCall(request); }
  const std::filesystem::path& Movie() const { return movie_; }
  const std::vector<std::filesystem::path>& Private() const { return PrivateFolders(); }
  QMenu* Menu() const { return menu_; }

 private:
  QWidget* widget_;  // owned by the form
  QMenu* menu_;
  std::filesystem::path movie_;
};

inline std::unique_ptr<platform::QtFlashHost> MakeFakeFlashHost(QWidget* parent, QMenu* menu) {
  return std::make_unique<FakeFlashHost>(parent, menu);
}

// Processes events until `done` holds; false when it never does (a generous bound, so a hang
// becomes a failure instead of a stuck run).
inline bool ProcessEventsUntil(const std::function<bool()>& done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// A fresh folder that is the process's temporary folder (TMPDIR) while the object lives.
class TemporaryFolderEnvironment {
 public:
  explicit TemporaryFolderEnvironment(const std::string& label) {
    const char* previous = std::getenv("TMPDIR");
    if (previous != nullptr) previous_ = previous;
    folder_ =
        std::filesystem::temp_directory_path() /
        ("bookstub-" + label + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(folder_);
    ::setenv("TMPDIR", folder_.c_str(), 1);
  }
  ~TemporaryFolderEnvironment() {
    if (previous_.empty())
      ::unsetenv("TMPDIR");
    else
      ::setenv("TMPDIR", previous_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TemporaryFolderEnvironment(const TemporaryFolderEnvironment&) = delete;
  TemporaryFolderEnvironment& operator=(const TemporaryFolderEnvironment&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }

  std::vector<std::filesystem::path> Subfolders() const {
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
      if (entry.is_directory()) folders.push_back(entry.path());
    return folders;
  }

 private:
  std::filesystem::path folder_;
  std::string previous_;
  static inline int counter_ = 0;
};

}  // namespace formtest
