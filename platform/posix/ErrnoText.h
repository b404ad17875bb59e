#pragma once
// The system's description of an errno value, for error messages raised on any thread:
// strerror shares one buffer between threads, strerror_r writes into the caller's.

#include <string.h>

#include <array>
#include <string>

namespace platform::posix {

inline std::string ErrnoText(int error) {
  std::array<char, 256> buffer{};
  // The GNU strerror_r: the text is in `buffer` or a constant string, returned either way.
  return strerror_r(error, buffer.data(), buffer.size());
}

}  // namespace platform::posix
