#pragma once
// The progress bar the tool draws on stderr while it is a terminal: one line, redrawn in place,
// ended when the work is done or abandoned. Nothing is drawn for a pipe or a file.

#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>

class TerminalProgressBar {
 public:
  explicit TerminalProgressBar(bool wanted = true)
      : enabled_(wanted && isatty(STDERR_FILENO) == 1) {}
  ~TerminalProgressBar() { Finish(); }
  TerminalProgressBar(const TerminalProgressBar&) = delete;
  TerminalProgressBar& operator=(const TerminalProgressBar&) = delete;

  // Draws "[####    ] 42%" and `suffix` over the bar's line.
  void Draw(int percent, std::string_view suffix = {}) {
    if (!enabled_) return;
    constexpr int kWidth = 40;
    const int shown = std::clamp(percent, 0, 100);
    const int filled = shown * kWidth / 100;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] "
              << shown << "%" << suffix << std::flush;
    drawn_ = true;
  }

  // Ends the bar's line, so that what follows starts on a line of its own.
  void Finish() {
    if (drawn_) std::cerr << '\n';
    drawn_ = false;
  }

 private:
  bool enabled_;
  bool drawn_ = false;
};
