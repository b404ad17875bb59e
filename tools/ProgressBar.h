#pragma once
// The progress bar the tool draws on a terminal: one line, redrawn in place.

#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>

// Draws "[####    ] 42%" and `suffix` over the current line of `out`.
inline void DrawProgressBar(std::ostream& out, int percent, std::string_view suffix = {}) {
  constexpr int kWidth = 40;
  const int shown = std::clamp(percent, 0, 100);
  const int filled = shown * kWidth / 100;
  out << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << shown
      << "%" << suffix << std::flush;
}
