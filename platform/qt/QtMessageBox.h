#pragma once
// A modal error box with Qt Widgets.
// Implements: QMessageBox on a display; on the offscreen and minimal platforms, or before the
// application object exists, the text goes to platform::ShowMessageBox (stderr) instead, so a
// headless run never waits for a click.
// Does not: return the user's choice.

#include <string_view>

namespace platform {

void ShowErrorBox(std::string_view text, std::string_view title);

// Whether a dialog would be seen: the application object exists and its platform is a display
// (not offscreen or minimal).
bool CanShowDialogs();

}  // namespace platform
