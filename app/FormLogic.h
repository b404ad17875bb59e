#pragma once
// The main window's decisions in plain code: run mode, window geometry, the Esc key, the
// screen-saver exit rules and the progress percent. The Qt window only applies them, so they are
// tested without a display.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "util/Geometry.h"

enum class RunMode {
  Window,       // any extension other than ".scr"
  ScreenSaver,  // ".scr" started with "/S..." in either case
  NoWindow,     // ".scr" with any other argument or none: end at once
};

// `executable` is argument 0; `argument1` is empty when there is none.
RunMode DecideRunMode(std::string_view executable, std::string_view argument1);

// The border a window manager puts around a window's client area.
struct Margins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Margins&, const Margins&) = default;
};

// Where the window goes after one full-screen toggle; `frame` is the outer rectangle.
struct WindowPlacement {
  bool bordered = true;
  Rect frame;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

inline constexpr Size kBookWindowSize{900, 600};
inline constexpr Size kLoadingClientSize{234, 25};
inline constexpr int kEscapeKey = 27;

// `screen` is the primary screen's rectangle, its origin included (it need not be at (0, 0)).
// A bordered window goes full screen (no border, the screen's rectangle); a borderless one
// becomes a sizeable 900 x 600 window centred on the screen, halves truncated toward zero. The
// previous windowed placement is never restored.
WindowPlacement ToggleFullscreen(bool bordered, const Rect& screen);

// The top-left corner of `size` centred on `screen` (halves truncated toward zero).
Point CentredOrigin(Size size, const Rect& screen);

// The client rectangle whose outer rectangle, with `margins` around it, is `frame`.
Rect ClientForFrame(const Rect& frame, const Margins& margins);

// The loading window's client rectangle: 234 x 25, placed so that the window, `margins`
// included, is centred on `screen`.
Rect LoadingClientRect(const Rect& screen, const Margins& margins);

// Esc leaves full screen and does nothing else.
bool KeyLeavesFullscreen(int virtualKey, bool bordered);

enum class InputKind {
  MouseMove,
  KeyDown,
  KeyUp,
  SysKeyDown,
  SysKeyUp,
  LeftButtonDown,
  RightButtonDown,
  MiddleButtonDown,
  Other,
};

// The screen saver closes on any key, on the left, right or middle button, and on a pointer
// move that changed both coordinates from `start`. A move along one axis alone does not close.
bool ScreenSaverClosesOn(InputKind kind, Point pointer, Point start);

// The file a download request of the movie may save: `bookPath` is the downloads folder
// ("res/downloads/") and a plain file name in it, which is returned. Anything else (another
// folder, a sub-folder, "..", a separator of either kind, control characters, an empty or
// overlong name) gives nothing.
std::optional<std::string> DownloadFileName(std::string_view bookPath);
