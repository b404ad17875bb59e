#pragma once
// A clean-up for the ways out of the process that skip the window's destructor: std::exit
// (Qt calls it when the display connection breaks), std::terminate (an error nobody caught),
// and a crash (a fatal signal: a bad memory access, an abort, ...). Holds the one clean-up of the
// process; the window arms it once its working folder exists and disarms it when it removes the
// folder itself.

#include <filesystem>
#include <functional>

// `cleanUp` runs at most once, on whichever abrupt exit comes first, on the thread that took it.
// Replaces a clean-up armed before. An exit that ran it ends the process at once, with
// EXIT_FAILURE, rather than going on to destroy static objects that threads still running (the
// browser engine's) use; unless a crash is ending the process meanwhile, which then does.
void ArmAbruptExitCleanUp(std::function<void()> cleanUp);
void DisarmAbruptExitCleanUp();

// An exit runs the handlers registered last first, and destroys static objects made after the
// clean-up was armed before it. Once something with threads and static objects of its own has
// started (the browser engine), this puts the exit clean-up before everything made so far.
void PutExitCleanUpFirst();

// A crash runs none of the above: the process is in a signal handler, where only a removal made
// ready beforehand can run. From now on a crash removes `folder` (replacing a folder armed
// before), then the process dies of its signal as it would have. Never alongside the clean-up
// above running on another thread: the crash waits for it (bounded), then removes what is left.
// Disarm once the folder is gone.
void ArmCrashRemoval(const std::filesystem::path& folder);
void DisarmCrashRemoval();
