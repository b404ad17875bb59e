#pragma once
// The application log: one file of time-stamped lines, opened and closed for every line.
// No error of the log ever reaches a caller.

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class TZanLog {
 public:
  // Stores the path and creates the file empty when it does not exist yet.
  explicit TZanLog(std::filesystem::path fileName);

  // Appends "YYYY-MM-DD HH:NN:SS" + four spaces + text + CR LF; errors lose the line.
  void AddLine(std::string_view text) const;

  const std::filesystem::path& FileName() const { return fileName_; }

 private:
  std::filesystem::path fileName_;
  bool active_ = true;
};

// The process-wide log; absent until the main window (or the command-line tool) starts it.
extern std::unique_ptr<TZanLog> AppLog;

// Starts AppLog on `logFile`: creates its folder, rotates the logs already there, and opens the
// log when the folder exists. Does nothing while AppLog runs.
void StartAppLog(const std::filesystem::path& logFile);

// AddLine on AppLog when it exists, nothing otherwise.
void LogMessage(std::string_view text);

// In `logFolder`: deletes log10.txt, then renames logN.txt to log(N+1).txt for N = 9 .. 1.
void RotateLogFiles(const std::filesystem::path& logFolder);

// The line as written, without CR LF (exposed for tests).
std::string FormatLogLine(const std::tm& time, std::string_view text);
