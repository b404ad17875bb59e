#pragma once
// Decides which of the movie's links leave the player for the user's browser or mail program.
// Implements: web and mail addresses only (http, https, mailto, any letter case), one link per
// click or key press of the user and only shortly after it, so that a movie cannot open
// windows on its own or flood the desktop with them.
// Does not: watch the input itself or open anything (RuffleFlashHost.cpp does both).

#include <chrono>
#include <optional>
#include <string_view>

namespace platform {

class ExternalLinkGate {
 public:
  using Clock = std::chrono::steady_clock;

  // As long as a browser counts a click as the reason for a script's pop-up window; the
  // emulator answers a click a frame or more later, and a loaded machine adds to that.
  static constexpr std::chrono::milliseconds kGestureLifetime{5000};

  // The schemes that a link may open outside the player.
  static bool IsExternalScheme(std::string_view scheme);

  // A click or key press of the user at `now`; it replaces an unused earlier one.
  void OnUserGesture(Clock::time_point now);

  // True when a link with `scheme` may open at `now`; such a link uses up the gesture.
  // A link of another scheme never opens and leaves the gesture for the next one.
  bool TakeLink(std::string_view scheme, Clock::time_point now);

 private:
  std::optional<Clock::time_point> gestureAt_;
};

}  // namespace platform
