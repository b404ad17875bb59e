#include "log/ZanLog.h"

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/Os.h"

std::unique_ptr<TZanLog> AppLog;

namespace {

std::filesystem::path NumberedLog(const std::filesystem::path& folder, int n) {
  return folder / ("log" + std::to_string(n) + ".txt");
}

}  // namespace

TZanLog::TZanLog(std::filesystem::path fileName) : fileName_(std::move(fileName)) {
  try {
    std::error_code ec;
    if (!std::filesystem::exists(fileName_, ec)) std::ofstream(fileName_, std::ios::binary);
  } catch (...) {
  }
}

std::string FormatLogLine(const std::tm& time, std::string_view text) {
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", time.tm_year + 1900,
                time.tm_mon + 1, time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
  std::string line(stamp);
  line += "  ";
  line += "  ";
  line += text;
  return line;
}

void TZanLog::AddLine(std::string_view text) const {
  if (!active_) return;
  try {
    std::string line = FormatLogLine(platform::LocalTimeNow(), text) + "\r\n";
    std::ofstream out(fileName_, std::ios::binary | std::ios::app);
    if (out) out.write(line.data(), static_cast<std::streamsize>(line.size()));
  } catch (...) {
  }
}

void StartAppLog(const std::filesystem::path& logFile) {
  if (AppLog) return;
  const std::filesystem::path folder = logFile.parent_path();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  RotateLogFiles(folder);
  if (std::filesystem::is_directory(folder, ec)) AppLog = std::make_unique<TZanLog>(logFile);
}

void LogMessage(std::string_view text) {
  if (AppLog) AppLog->AddLine(text);
}

void RotateLogFiles(const std::filesystem::path& logFolder) {
  for (int n = 10; n >= 1; --n) {
    std::error_code ec;
    const auto file = NumberedLog(logFolder, n);
    if (!std::filesystem::exists(file, ec)) continue;
    if (n == 10)
      std::filesystem::remove(file, ec);
    else
      std::filesystem::rename(file, NumberedLog(logFolder, n + 1), ec);
  }
}
