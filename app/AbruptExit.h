#pragma once
// A clean-up for the ways out of the process that skip the window's destructor: std::exit
// (Qt calls it when the display connection breaks) and std::terminate (an error nobody caught).
// Holds the one clean-up of the process; the window arms it once its working folder exists and
// disarms it when it removes the folder itself.

#include <functional>

// `cleanUp` runs at most once, on whichever abrupt exit comes first, on the thread that took it.
// Replaces a clean-up armed before.
void ArmAbruptExitCleanUp(std::function<void()> cleanUp);
void DisarmAbruptExitCleanUp();
