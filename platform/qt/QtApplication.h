#pragma once
// The application object of a program with windows and its display: a display that cannot be
// opened ends the process with a line of ours instead of the toolkit's abort (and core dump), and
// a display that went away can be noticed before anything touches it that would not survive it.
// Implements: a Qt message handler, installed while the object is made, that holds back the
// toolkit's messages and, on its fatal one, writes one line on stderr and ends the process with
// _exit (the messages held back go to the handler before once the object is made); on X11 a
// round trip to the display server through the toolkit's XCB connection.
// Does not: tell why the display cannot be opened (the toolkit does not say in a form to pass
// on), try another platform, or ask a display of another platform than X11.

#include <QApplication>

#include <memory>
#include <string>

namespace platform {

// What a program that cannot open its display writes (one line on stderr) and its exit status.
struct WithoutDisplay {
  std::string message;  // empty: "Bookstub: cannot open the display ..." naming the display
  int exitCode = 1;
};

// Makes the application object; `argc` must outlive it. Returns only when the display could be
// opened: otherwise the process ends as `withoutDisplay` says, before anything of the program's
// own exists to clean up.
std::unique_ptr<QApplication> OpenApplication(int& argc, char** argv,
                                              WithoutDisplay withoutDisplay = {});

// The line written when the display cannot be opened, for the display the environment names.
std::string CannotOpenDisplayMessage();

// Whether the display still answers. The toolkit hears of a display server gone only when it
// next handles its events, which may come after work already queued; OpenGL drivers crash on a
// dead connection. On X11 a round trip to the server tells (and marks the connection broken for
// the toolkit too); other platforms are taken to answer. Needs the application object.
bool DisplayAnswers();

}  // namespace platform
