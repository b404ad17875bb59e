#include "platform/ruffle/ExternalLinkGate.h"

#include <array>

#include "util/AsciiCase.h"

namespace platform {

bool ExternalLinkGate::IsExternalScheme(std::string_view scheme) {
  static constexpr std::array<std::string_view, 3> kSchemes{"http", "https", "mailto"};
  for (std::string_view known : kSchemes) {
    if (SameTextAscii(scheme, known)) return true;
  }
  return false;
}

void ExternalLinkGate::OnUserGesture(Clock::time_point now) {
  gestureAt_ = now;
}

bool ExternalLinkGate::TakeLink(std::string_view scheme, Clock::time_point now) {
  if (!IsExternalScheme(scheme) || !gestureAt_) return false;
  const auto age = now - *gestureAt_;
  if (age < Clock::duration::zero() || age > kGestureLifetime) return false;
  gestureAt_.reset();
  return true;
}

}  // namespace platform
