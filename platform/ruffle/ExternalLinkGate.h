#pragma once
// Decides which of the movie's links leave the player for the user's browser or mail program,
// and what of them.
// Implements: web and mail addresses only (http, https, mailto, any letter case), one link per
// click or key press of the user and only shortly after it (UserGestureGate), so that a movie
// cannot open windows on its own or flood the desktop with them; a mail link keeps its
// recipients, subject and body only, so that it cannot ask the mail program to attach files.
// Does not: watch the input itself or open anything (RuffleFlashHost.cpp does both).

#include <chrono>
#include <string>
#include <string_view>

#include "bridge/UserGestureGate.h"

namespace platform {

class ExternalLinkGate {
 public:
  using Clock = UserGestureGate::Clock;
  static constexpr auto kGestureLifetime = UserGestureGate::kGestureLifetime;

  // The schemes that a link may open outside the player.
  static bool IsExternalScheme(std::string_view scheme);

  // What is handed to the user's programs for `url` (fully encoded, of an external scheme):
  // a mail address with only its recipients and the "to", "cc", "bcc", "subject" and "body"
  // fields, each encoded afresh (none when nothing of it is left); a web address as it is,
  // without the empty query a form of the page leaves on it ("https://host/path?").
  static std::string LinkToOpen(std::string_view url);

  // A click or key press of the user at `now`; it replaces an unused earlier one.
  void OnUserGesture(Clock::time_point now) { gestures_.OnUserGesture(now); }

  // True when a link with `scheme` may open at `now`; such a link uses up the gesture.
  // A link of another scheme never opens and leaves the gesture for the next one.
  bool TakeLink(std::string_view scheme, Clock::time_point now);

 private:
  UserGestureGate gestures_;
};

}  // namespace platform
