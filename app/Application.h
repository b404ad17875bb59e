#pragma once
// The player's run from its window's creation to the end of its event loop, and the one place
// that reports what stops it.

#include "app/Main.h"

class Error;

// Creates the window, starts it and runs the event loop; a termination request closes the
// window. An Error raised on the way is logged as "[Application]: Error:" + message while the
// window, and with it the log, still exists; then the window goes (and its working folder with
// it), the message is shown in the "Application Error" box, and the result is EXIT_FAILURE.
// A book that cannot be opened or split is reported the same way, its loading window on screen
// under the box while the working folder is gone already. Errors of other kinds pass through
// unchanged. Needs the application object.
int RunMainWindow(TMainFormOptions options);

// The two halves of that report, also for errors raised before the window exists.
void LogApplicationError(const Error& error);
void ShowApplicationError(const Error& error);
