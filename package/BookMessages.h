#pragma once
// The three messages the package opener sends to its window. Sending is synchronous: Send
// returns only when the receiver has handled the message.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr unsigned WM_USER_BASE = 0x0400;
inline constexpr unsigned WM_BOOK_PROGRESS = WM_USER_BASE + 600;  // 0x658
inline constexpr unsigned WM_BOOK_LOADED = WM_USER_BASE + 601;    // 0x659
inline constexpr unsigned WM_BOOK_TITLE = WM_USER_BASE + 602;     // 0x65A

struct BookMessage {
  unsigned id = 0;
  std::int32_t wParam = 0;
  std::int32_t lParam = 0;
  std::string text;  // WM_BOOK_TITLE: the caption that lParam points to
};

class BookMessageTarget {
 public:
  virtual ~BookMessageTarget() = default;
  virtual void Send(const BookMessage& message) = 0;
};

// The percent a WM_BOOK_PROGRESS message stands for: wParam * 100 / lParam, computed without
// overflow and clamped to 0..100; none when lParam is not positive.
inline std::optional<int> ProgressPercent(std::int32_t wParam, std::int32_t lParam) {
  if (lParam <= 0) return std::nullopt;
  const std::int64_t percent = std::int64_t{wParam} * 100 / lParam;
  return static_cast<int>(std::clamp<std::int64_t>(percent, 0, 100));
}
