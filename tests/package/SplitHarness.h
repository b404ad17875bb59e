#pragma once
// Runs the package opener on a book built by BookFixture inside a fresh working folder, and
// reads back what it left: the messages, the log lines and the tree of written files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "log/ZanLog.h"
#include "package/BookMessages.h"
#include "package/ProSaver.h"
#include "package/uPathGetter.h"
#include "platform/Os.h"
#include "tests/support/BookFixture.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace splittest {

namespace fs = std::filesystem;

// Messages as the command-line tool prints them.
inline std::string Describe(const BookMessage& m) {
  if (m.id == WM_BOOK_TITLE) return "WM_BOOK_TITLE " + m.text;
  if (m.id == WM_BOOK_LOADED) return "WM_BOOK_LOADED";
  return "WM_BOOK_PROGRESS " + std::to_string(m.wParam) + " " + std::to_string(m.lParam);
}

class Recorder : public BookMessageTarget {
 public:
  void Send(const BookMessage& message) override {
    lines.push_back(Describe(message));
    if (onMessage) onMessage(message);
  }
  std::vector<std::string> lines;
  std::function<void(const BookMessage&)> onMessage;
};

inline std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct SplitRun {
  std::vector<std::string> messages;
  std::optional<std::string> error;  // message of the Error that ended Open or Split
};

class SplitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform::TempPath() / ("bookstub-split-" + platform::NewGuid());
    PrepareRunFolderAt(root_);
    fs::create_directories(root_ / "files" / "Log");
    AppLog = std::make_unique<TZanLog>(root_ / "files" / "Log" / "log1.txt");
    package_ = root_ / "package.exe";
  }
  void TearDown() override {
    AppLog.reset();
    DeleteFolderTree(root_);
  }

  // Builds the package, then Open and SplitAll (or Split) as the loading thread does.
  SplitRun Run(const testsupport::BookSpec& bookSpec, bool extras = true) {
    testsupport::BuildBook(bookSpec).WriteTo(package_);
    return RunPackage(extras);
  }
  SplitRun RunPackage(bool extras = true) {
    SplitRun run;
    try {
      opener_ = std::make_unique<TProjectOpener>(&recorder_);
      opener_->Open(package_);
      if (beforeSplit_) beforeSplit_(*opener_);
      extras ? opener_->SplitAll() : opener_->Split();
    } catch (const Error& e) {
      run.error = e.what();
    }
    run.messages = recorder_.lines;
    return run;
  }

  // Log messages without their time stamps.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(root_ / "files" / "Log" / "log1.txt"));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line.size() > 23 ? line.substr(23) : line);
    }
    return lines;
  }

  // Every file below files/ except the log, by relative path.
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    const fs::path files = root_ / "files";
    for (const auto& entry : fs::recursive_directory_iterator(files)) {
      const std::string relative = fs::relative(entry.path(), files).generic_string();
      if (relative.rfind("Log", 0) == 0 || !entry.is_regular_file()) continue;
      tree[relative] = ReadFile(entry.path());
    }
    return tree;
  }

  fs::path Book(const std::string& relative) const { return root_ / "files" / relative; }

  fs::path root_;
  fs::path package_;
  Recorder recorder_;
  std::unique_ptr<TProjectOpener> opener_;
  std::function<void(TProjectOpener&)> beforeSplit_;
};

// The "Finish" lines of a split in which nothing fails, pages excluded.
inline std::vector<std::string> FinishLinesBeforePages() {
  return {"Finish SplitProjBg",    "Finish SplitProjNavBtn",    "Finish SplitProjNavBarBg",
          "Finish SplitPreloader", "Finish SplitLogo",          "Finish SplitSearchFile",
          "Finish SplitToc",       "Finish SplitDownloadFiles", "Finish SplitLanguageXMLs",
          "Finish SplitFlag"};
}

}  // namespace splittest
