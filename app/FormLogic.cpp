#include "app/FormLogic.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "package/uPathGetter.h"
#include "util/AsciiCase.h"

namespace {

// From the last "." of the file name on, dot included; empty when the name has no dot.
std::string_view FileExtension(std::string_view path) {
  const auto nameStart = path.find_last_of("/\\");
  const std::string_view name =
      nameStart == std::string_view::npos ? path : path.substr(nameStart + 1);
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

}  // namespace

RunMode DecideRunMode(std::string_view executable, std::string_view argument1) {
  if (AsciiLowerCase(FileExtension(executable)) != ".scr") return RunMode::Window;
  const std::string switchText = AsciiUpperCase(argument1.substr(0, 2));
  return switchText == "/S" ? RunMode::ScreenSaver : RunMode::NoWindow;
}

Point CentredOrigin(Size size, const Rect& screen) {
  return {screen.x + (screen.width - size.width) / 2, screen.y + (screen.height - size.height) / 2};
}

WindowPlacement ToggleFullscreen(bool bordered, const Rect& screen) {
  if (bordered) return {false, screen};
  const Point origin = CentredOrigin(kBookWindowSize, screen);
  return {true, {origin.x, origin.y, kBookWindowSize.width, kBookWindowSize.height}};
}

Rect ClientForFrame(const Rect& frame, const Margins& margins) {
  return {frame.x + margins.left, frame.y + margins.top, frame.width - margins.left - margins.right,
          frame.height - margins.top - margins.bottom};
}

Rect LoadingClientRect(const Rect& screen, const Margins& margins) {
  const Size outer{kLoadingClientSize.width + margins.left + margins.right,
                   kLoadingClientSize.height + margins.top + margins.bottom};
  const Point origin = CentredOrigin(outer, screen);
  return ClientForFrame({origin.x, origin.y, outer.width, outer.height}, margins);
}

bool KeyLeavesFullscreen(int virtualKey, bool bordered) {
  return virtualKey == kEscapeKey && !bordered;
}

bool ScreenSaverClosesOn(InputKind kind, Point pointer, Point start) {
  switch (kind) {
    case InputKind::MouseMove:
      return pointer.x != start.x && pointer.y != start.y;
    case InputKind::KeyDown:
    case InputKind::KeyUp:
    case InputKind::SysKeyDown:
    case InputKind::SysKeyUp:
    case InputKind::LeftButtonDown:
    case InputKind::RightButtonDown:
    case InputKind::MiddleButtonDown:
      return true;
    case InputKind::Other:
      return false;
  }
  return false;
}

std::optional<std::string> DownloadFileName(std::string_view bookPath) {
  constexpr std::size_t kMaxNameBytes = 255;
  const std::string_view folder = kDownloadsFolder;
  if (!bookPath.starts_with(folder)) return std::nullopt;
  const std::string_view name = bookPath.substr(folder.size());
  if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..")
    return std::nullopt;
  const bool plain = std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F;
  });
  if (!plain) return std::nullopt;
  return std::string(name);
}
