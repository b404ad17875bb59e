#pragma once
// The player's "Open a book" file dialog, with Qt Widgets' own dialog (not the desktop's, whose
// filters cannot look at a file's permissions).
// Implements: a modal dialog for one existing file, starting in `folder`; its first filter shows
// folders and the files a book can be (executables and files named *.exe or *.scr, whatever the
// letter case), its second every file.
// Does not: tell whether the chosen file carries a book, or show anything where
// platform::CanShowDialogs() is false (the caller reports the start's message instead).

#include <filesystem>
#include <optional>

namespace platform {

// The chosen file, or nothing when the user cancelled.
std::optional<std::filesystem::path> AskForBookFile(const std::filesystem::path& folder);

}  // namespace platform
