#pragma once
// Qt side of the Flash host: the control is a child widget of the main window that fills its
// client area. Implementations: the empty host (here) and the Ruffle host
// (platform/ruffle/RuffleFlashHost.h).
//
// Contract with the main window:
// - Widget() is placed by the window in its client area and follows every resize.
// - The host shows no context menu of its own: a right click shows `contextMenu` (the window's
//   "Fullscreen" / "Exit" menu) at the pointer.
// - Key presses are not swallowed before the window sees them: the window watches keys with an
//   application-wide event filter (key preview), so Esc works while the host has focus.

#include <memory>

#include "platform/FlashHost.h"

class QMenu;
class QWidget;

namespace platform {

class QtFlashHost : public FlashHost {
 public:
  virtual QWidget* Widget() = 0;
};

// A host that shows nothing: the book window stays empty, the rest of the player works.
std::unique_ptr<QtFlashHost> CreateEmptyFlashHost(QWidget* parent, QMenu* contextMenu);

}  // namespace platform
