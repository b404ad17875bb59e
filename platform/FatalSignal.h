#pragma once
// Work done while the process dies of a signal: a fault (a bad memory access, a bus error, an
// illegal instruction, an arithmetic fault), an abort, or any other signal whose default action
// ends the process (a quit request, a user signal, a timer, a CPU or file-size limit, a broken
// pipe, ...) while nothing else handles it. It runs inside a signal handler, where nothing may
// allocate, take a lock or write through a stream: only async-signal-safe calls. Implemented per
// platform (platform/posix/ here).

#include <filesystem>
#include <memory>

namespace platform {

// Called with no argument: whatever it needs is prepared beforehand.
using FatalSignalWork = void (*)();

// From now on `work` runs, on the thread that took the signal, when one of those signals is
// about to end the process; then the process dies of that same signal, as it would have without
// `work` (a handler installed before runs as before, a core dump is written as before). `work`
// runs at most once: a fatal signal on another thread meanwhile waits for it. Work that takes
// longer than `limitSeconds` is cut short, the process dying of its signal all the same. Install
// it before anything that installs handlers of its own for these signals (those then see the
// faults first). A later call replaces `work`.
void RunOnFatalSignal(FatalSignalWork work, unsigned limitSeconds);

// Sleeps, also inside a signal handler.
void PauseInSignalHandler(int milliseconds);

// A folder tree that can be removed from inside a signal handler: what the removal needs is
// made ready when it is prepared; Remove then allocates nothing and makes only async-signal-safe
// calls. Removed as DeleteFolderTree removes it: never through a link (a link, also the folder
// itself given as one, goes without its target), never above the folder, past entries that fail.
class SignalSafeFolderRemoval {
 public:
  virtual ~SignalSafeFolderRemoval() = default;
  // False when anything stayed.
  virtual bool Remove() noexcept = 0;
};

// Raises Error when `folder` is too long a path to prepare.
std::unique_ptr<SignalSafeFolderRemoval> PrepareSignalSafeFolderRemoval(
    const std::filesystem::path& folder);

}  // namespace platform
