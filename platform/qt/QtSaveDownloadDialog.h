#pragma once
// The dialog in which the user picks where a file the book offers for download is saved, with
// Qt Widgets' own dialog (the same on every desktop, as the "Open a book" dialog).
// Implements: a modal dialog over `parent`, starting in the user's Downloads folder (the home
// folder where there is none) with `name` as the file's name; it asks before replacing a file.
// Does not: copy anything, or decide which files may be offered (the window does both).

#include <filesystem>
#include <optional>
#include <string>

class QWidget;

namespace platform {

// The chosen file, or nothing when the user cancelled.
std::optional<std::filesystem::path> AskWhereToSaveDownload(QWidget* parent,
                                                            const std::string& name);

}  // namespace platform
