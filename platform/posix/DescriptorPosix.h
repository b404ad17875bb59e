#pragma once
// POSIX back-end helper for the back-ends that open files and folders by descriptor.
// Implements: one owned descriptor, closed when it goes or is replaced.
// Does not: retry close(2), or report its failure (nothing is written through these).

#include <unistd.h>

#include <utility>

namespace platform::posix {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int Get() const { return fd_; }
  // Closes the descriptor held and holds `fd` instead.
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  // Gives the descriptor up to the caller.
  int Release() { return std::exchange(fd_, -1); }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
  }

  int fd_;
};

}  // namespace platform::posix
