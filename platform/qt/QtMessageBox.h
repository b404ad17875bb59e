#pragma once
// A modal error box with Qt Widgets.
// Implements: QMessageBox on a display; on the offscreen and minimal platforms, or before the
// application object exists, the text goes to platform::ShowMessageBox (stderr) instead, so a
// headless run never waits for a click.
// Does not: return the user's choice.

#include <string_view>

namespace platform {

void ShowErrorBox(std::string_view text, std::string_view title);

}  // namespace platform
