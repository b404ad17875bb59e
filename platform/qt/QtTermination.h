#pragma once
// Termination requests (SIGTERM, SIGINT, SIGHUP) turned into a call on the Qt event loop, so the
// player closes its window and deletes its working folder instead of dying with it in place.
// Implements: a self-pipe written by the signal handler and read by a QSocketNotifier.
// Does not: handle SIGKILL or crashes (nothing can), or restore the previous handlers.

#include <functional>

namespace platform {

// Call once, after the application object exists; `onTerminate` runs on the GUI thread.
void CallOnTerminationRequest(std::function<void()> onTerminate);

}  // namespace platform
