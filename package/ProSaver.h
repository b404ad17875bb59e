#pragma once
// TProjectOpener: splits the book package appended to an executable into the working folder.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "package/BookMessages.h"

class TLMProject;
class TMBook;
class TPackageReader;
struct GroupMember;

class TProjectOpener {
 public:
  // `window` receives the progress, title and loaded messages; it may be null.
  explicit TProjectOpener(BookMessageTarget* window);
  ~TProjectOpener();
  TProjectOpener(const TProjectOpener&) = delete;
  TProjectOpener& operator=(const TProjectOpener&) = delete;

  // Opens the package file, loads the project settings (sends WM_BOOK_TITLE) and the book.
  void Open(const std::filesystem::path& path);
  // Writes every blob into the working folder; sends WM_BOOK_LOADED at the end.
  void Split();
  // Split with the extras (shared movies, download gate): what the player runs.
  void SplitAll();
  // May be called from another thread; the split stops at its next check.
  void SetAbort(bool abort) { abortRequested_ = abort; }

  TLMProject& Project() { return *project_; }
  TMBook& Book() { return *book_; }

 private:
  // Open
  bool SplitProj();
  bool SplitMagProj();

  // Split steps, in their order; each returns when its condition does not hold.
  enum class TRunState { Finished, Stopped };
  TRunState RunSteps();
  void SplitProjBg();
  void SplitProjNavBtn();
  void SplitProjNavBarBg();
  void SplitPreloader();
  void SplitLogo();
  void SplitSearchFile();
  void SplitToc();
  void SplitBgSound();
  void SplitDownloadFiles();
  void SplitLanguageXMLs();
  void SplitFlag();
  void SplitExtras();
  void SplitZipArchive(std::uint32_t pos, const std::filesystem::path& archive);
  using GroupDestination = std::function<std::optional<std::filesystem::path>(const GroupMember&)>;
  void WriteGroupMembers(std::uint32_t pos, std::uint32_t size,
                         const GroupDestination& destination);

  TRunState SplitPages();

  // Blob writing: the destination is created anew, replacing an existing file.
  void WriteBySize(std::uint32_t pos, std::uint32_t size, const std::filesystem::path& dest);
  void WriteBySuffix(std::uint32_t pos, const std::filesystem::path& dest);
  void Send(unsigned id, std::int32_t wParam, std::int32_t lParam, std::string text = {});
  void SendProgress(std::int32_t position) { Send(WM_BOOK_PROGRESS, position, 100); }
  bool AbortRequested() const { return abortRequested_; }

  std::unique_ptr<TLMProject> project_;
  std::unique_ptr<TMBook> book_;
  std::filesystem::path fileName_;
  std::unique_ptr<TPackageReader> stream_;
  std::uint64_t cursor_ = 0;  // start of the project settings document
  BookMessageTarget* window_ = nullptr;
  std::atomic<bool> abortRequested_{false};
  bool extras_ = false;
};
