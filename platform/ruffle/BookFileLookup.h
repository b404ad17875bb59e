#pragma once
// Resolves the book file requests of the Flash host's URL scheme on a thread of its own, so that
// the window's thread never searches a folder, whatever a movie asks for.
// Implements: one worker with a bounded queue in front of a BookFileResolver; answers in the
// order asked. A lookup made before its book exists keeps its requests until it is opened.
// Does not: open or serve files, or know about the browser engine (FlashHostSchemeHandler.cpp
// hands the answers back to the window's thread).

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ruffle/BookFileResolver.h"

namespace platform {

class BookFileLookup {
 public:
  // Requests waiting beyond this are refused at once: a movie asking faster than files are found
  // gets failures, not a growing queue.
  static constexpr std::size_t kMaxWaiting = 1024;

  using Answer = std::function<void(std::optional<std::filesystem::path> file)>;

  BookFileLookup(const std::filesystem::path& root,
                 const std::vector<std::filesystem::path>& hiddenFolders);
  // A lookup for a book still being written: requests wait (within the same bound) for Open.
  BookFileLookup();
  // Waits for the request being resolved; answers not yet given are dropped.
  ~BookFileLookup();
  BookFileLookup(const BookFileLookup&) = delete;
  BookFileLookup& operator=(const BookFileLookup&) = delete;

  // Queues `relativePath`; `answer` runs on the worker with what BookFileResolver::Resolve
  // gives. False, and no answer, when the queue is full.
  bool Find(std::string relativePath, Answer answer);

  // Answers the waiting requests and every later one from `root`; once only, on a lookup made
  // without a root. False when it already has one.
  bool Open(const std::filesystem::path& root,
            const std::vector<std::filesystem::path>& hiddenFolders);

 private:
  struct Request {
    std::string relativePath;
    Answer answer;
  };

  void Work();

  std::optional<BookFileResolver> resolver_;  // set once under the mutex, then the worker's alone
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Request> waiting_;
  bool stopping_ = false;
  std::thread worker_;  // last: starts once the rest exists
};

}  // namespace platform
