#pragma once
// The OpenGL context through which the browser engine's views share what they draw with the
// window. Qt makes it while the application object is built, and making it loads the system's
// OpenGL driver: most of the time before the first window could be on screen. The player's
// loading window comes first; the context is made when the engine starts.

namespace platform {

// Before the application object exists: holds the context's place, so that neither Qt nor the
// browser engine makes it while the application object is built. Asks for shared contexts, as
// the engine needs.
void ReserveFlashHostShareContext();

// On the window's thread, before the engine's first object and once the scene's way of drawing
// is decided (PrepareFlashHostDrawing): makes the reserved context when the scene draws with
// OpenGL. Does nothing when no context was reserved or it is made already; when no OpenGL
// context can be made, the engine draws in software, as it would had Qt failed to make it.
void CreateFlashHostShareContext();

}  // namespace platform
