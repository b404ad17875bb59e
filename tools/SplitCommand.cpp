// `bookstub split`: prepares ROOT as the player prepares its working folder, starts the log
// there, then runs what the loading thread runs: Open(PACKAGE) and SplitAll.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "log/ZanLog.h"
#include "package/BookMessages.h"
#include "package/ProSaver.h"
#include "package/uPathGetter.h"
#include "tools/Commands.h"
#include "tools/ProgressBar.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

// A message line must stay one line whatever the title holds.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

// Base receiver: remembers what arrived, so the command can report and choose its exit code.
class RecordingTarget : public BookMessageTarget {
 public:
  void Send(const BookMessage& message) override {
    if (message.id == WM_BOOK_TITLE) title_ = message.text;
    if (message.id == WM_BOOK_PROGRESS) lastProgress_ = message.wParam;
    if (message.id == WM_BOOK_LOADED) loaded_ = true;
    Show(message);
  }
  bool Loaded() const { return loaded_; }
  const std::string& Title() const { return title_; }
  int LastProgress() const { return lastProgress_; }

 protected:
  virtual void Show(const BookMessage& message) = 0;

 private:
  bool loaded_ = false;
  std::string title_;
  int lastProgress_ = 0;
};

// --messages: exactly one stdout line per message, flushed at once so that the order against
// stderr (message boxes, errors) is kept.
class MessageLines : public RecordingTarget {
 protected:
  void Show(const BookMessage& message) override {
    switch (message.id) {
      case WM_BOOK_TITLE:
        std::cout << "WM_BOOK_TITLE " << OneLine(message.text) << '\n';
        break;
      case WM_BOOK_PROGRESS:
        std::cout << "WM_BOOK_PROGRESS " << message.wParam << ' ' << message.lParam << '\n';
        break;
      case WM_BOOK_LOADED:
        std::cout << "WM_BOOK_LOADED\n";
        break;
      default:
        std::cout << "WM_" << message.id << ' ' << message.wParam << ' ' << message.lParam << '\n';
    }
    std::cout.flush();
  }
};

// Default mode: a progress bar on stderr when it is a terminal, nothing otherwise.
class ProgressBar : public RecordingTarget {
 public:
  void Finish() { bar_.Finish(); }

 protected:
  void Show(const BookMessage& message) override {
    if (message.id != WM_BOOK_PROGRESS) return;
    if (const std::optional<int> percent = ProgressPercent(message.wParam, message.lParam))
      bar_.Draw(*percent);
  }

 private:
  TerminalProgressBar bar_;
};

// Open and SplitAll; false when an error ended either (its message already on stderr).
bool OpenAndSplit(const fs::path& package, BookMessageTarget& target) {
  try {
    TProjectOpener opener(&target);
    opener.Open(package);
    opener.SplitAll();
    return true;
  } catch (const Error& e) {
    std::cerr << "bookstub: split failed: " << e.what() << '\n';
  } catch (const std::exception& e) {
    std::cerr << "bookstub: split failed: " << e.what() << '\n';
  }
  return false;
}

}  // namespace

int RunSplitCommand(const SplitOptions& options) {
  if (!CheckPackageReadable(options.package)) return kExitFailed;
  PrepareRunFolderAt(options.root);
  StartAppLog(GetLogFilePath(true));

  if (options.messages) {
    MessageLines lines;
    const bool ok = OpenAndSplit(options.package, lines);
    return ok && lines.Loaded() ? kExitOk : kExitFailed;
  }
  ProgressBar bar;
  const bool ok = OpenAndSplit(options.package, bar);
  bar.Finish();
  if (!ok || !bar.Loaded()) return kExitFailed;
  std::cout << "Split \"" << OneLine(bar.Title()) << "\" into " << (options.root / "files").string()
            << '\n';
  return kExitOk;
}
