#pragma once
// Lets the movie do something only because the user just asked for it: one action per click or
// key press of the user, and only shortly after it, so that a movie cannot act on its own (open
// windows, switch the window between full screen and back) or repeat an action in a burst.
// Does not: watch the input itself (the window and the Flash host tell it about each gesture).

#include <chrono>
#include <optional>

class UserGestureGate {
 public:
  using Clock = std::chrono::steady_clock;

  // As long as a browser counts a click as the reason for a script's pop-up window; the
  // emulator answers a click a frame or more later, and a loaded machine adds to that.
  static constexpr std::chrono::milliseconds kGestureLifetime{5000};

  // A click or key press of the user at `now`; it replaces an unused earlier one (gestures do
  // not add up).
  void OnUserGesture(Clock::time_point now) { gestureAt_ = now; }

  // True when an unused gesture is at most kGestureLifetime old at `now`; it is used up.
  bool Take(Clock::time_point now);

  // The user has since asked for something else: an unused gesture no longer counts.
  void Withdraw() { gestureAt_.reset(); }

 private:
  std::optional<Clock::time_point> gestureAt_;
};
