#pragma once
// TProjectOpener: splits the book package appended to an executable into the working folder.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "package/BookMessages.h"

class TLMProject;
class TMBook;
class TPackageReader;

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
  void SetAbort(bool abort) { FAbortRequested = abort; }

  TLMProject& Project() { return *FProject; }
  TMBook& Book() { return *FBook; }

 private:
  std::unique_ptr<TLMProject> FProject;
  std::unique_ptr<TMBook> FBook;
  std::filesystem::path FFileName;
  std::unique_ptr<TPackageReader> FStream;
  std::uint32_t FCursor = 0;
  BookMessageTarget* FWindow = nullptr;
  std::atomic<bool> FAbortRequested{false};
  bool FExtras = false;
};
