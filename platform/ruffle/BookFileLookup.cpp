#include "platform/ruffle/BookFileLookup.h"

#include <utility>

namespace platform {

BookFileLookup::BookFileLookup(const std::filesystem::path& root,
                               const std::vector<std::filesystem::path>& hiddenFolders)
    : resolver_(std::in_place, root, hiddenFolders), worker_([this] { Work(); }) {}

BookFileLookup::BookFileLookup() : worker_([this] { Work(); }) {}

BookFileLookup::~BookFileLookup() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.clear();
  }
  wake_.notify_all();
  worker_.join();
}

bool BookFileLookup::Find(std::string relativePath, Answer answer) {
  {
    const std::lock_guard lock(mutex_);
    if (stopping_ || waiting_.size() >= kMaxWaiting) return false;
    waiting_.push_back({std::move(relativePath), std::move(answer)});
  }
  wake_.notify_one();
  return true;
}

bool BookFileLookup::Open(const std::filesystem::path& root,
                          const std::vector<std::filesystem::path>& hiddenFolders) {
  {
    const std::lock_guard lock(mutex_);
    if (resolver_) return false;
    resolver_.emplace(root, hiddenFolders);
  }
  wake_.notify_one();
  return true;
}

void BookFileLookup::Work() {
  for (;;) {
    Request request;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || (resolver_ && !waiting_.empty()); });
      if (stopping_) return;
      request = std::move(waiting_.front());
      waiting_.pop_front();
    }
    request.answer(resolver_->Resolve(request.relativePath));
  }
}

}  // namespace platform
