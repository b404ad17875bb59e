#include "bridge/UserGestureGate.h"

bool UserGestureGate::Take(Clock::time_point now) {
  if (!gestureAt_) return false;
  const auto age = now - *gestureAt_;
  if (age < Clock::duration::zero() || age > kGestureLifetime) return false;
  gestureAt_.reset();
  return true;
}
