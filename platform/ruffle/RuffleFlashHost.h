#pragma once
// The Flash host that plays the viewer movie with the Ruffle emulator's web build inside a
// Qt WebEngine view.
// Implements: the view as a child control, the movie and its book folder served through the
// "bookstub" URL scheme from the executable's own resources and the movie's folder, external
// calls raised as request XML, the window's context menu, keyboard focus for the movie.
// Does not: return values to the movie, call into the movie, set flash variables.

#include <memory>

#include "platform/qt/QtFlashHost.h"

namespace platform {

// The host that plays movies with the embedded emulator.
std::unique_ptr<QtFlashHost> CreateRuffleFlashHost(QWidget* parent, QMenu* contextMenu);

// Call first in main(), before the QApplication exists: registers the host's URL scheme (the
// browser engine accepts schemes only before it starts), holds the place of the OpenGL context
// the engine shares (made with the first host, not while the QApplication is built), sets the
// engine's switches and, when the process runs as root, turns off the browser sandbox, which
// refuses to start as root.
void PrepareFlashHostProcess();

// Call once the QApplication exists and before the first host: draws on the CPU where OpenGL
// does too. CreateRuffleFlashHost calls it.
void PrepareFlashHostDrawing();

}  // namespace platform
