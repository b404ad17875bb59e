#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "app/FormLogic.h"

void PrintTo(const Rect& rect, std::ostream* os) {
  *os << rect.width << 'x' << rect.height << (rect.x < 0 ? "" : "+") << rect.x
      << (rect.y < 0 ? "" : "+") << rect.y;
}

namespace {

struct RunModeCase {
  const char* label;
  std::string executable;
  std::string argument1;
  RunMode expected;
};

// Keeps test listings to the label instead of the struct's raw bytes.
void PrintTo(const RunModeCase& c, std::ostream* os) {
  *os << c.label;
}

class RunModeDecision : public testing::TestWithParam<RunModeCase> {};

TEST_P(RunModeDecision, FollowsExtensionAndFirstArgument) {
  EXPECT_EQ(DecideRunMode(GetParam().executable, GetParam().argument1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, RunModeDecision,
    testing::Values(RunModeCase{"PlainExecutable", "/opt/book/player", "", RunMode::Window},
                    RunModeCase{"ExeWithSwitch", "/opt/book/player.exe", "/S", RunMode::Window},
                    RunModeCase{"ScrWithS", "/opt/book/x.scr", "/S", RunMode::ScreenSaver},
                    RunModeCase{"UpperScrLowerS", "/opt/book/X.SCR", "/s", RunMode::ScreenSaver},
                    RunModeCase{"SwitchWithSuffix", "x.scr", "/save", RunMode::ScreenSaver},
                    RunModeCase{"WindowsPath", "C:\\Books\\x.Scr", "/S", RunMode::ScreenSaver},
                    RunModeCase{"ScrNoArgument", "x.scr", "", RunMode::NoWindow},
                    RunModeCase{"ScrConfigure", "x.scr", "/c:1234", RunMode::NoWindow},
                    RunModeCase{"ScrPreview", "x.scr", "/p", RunMode::NoWindow},
                    RunModeCase{"ScrSOnly", "x.scr", "S", RunMode::NoWindow},
                    RunModeCase{"DotInFolderOnly", "/opt/my.scr/player", "/S", RunMode::Window},
                    RunModeCase{"ScrNotLast", "/opt/x.scr.bak", "/S", RunMode::Window}),
    [](const testing::TestParamInfo<RunModeCase>& info) { return info.param.label; });

// Primary screens at the origin and away from it (a monitor right of or above another).
class FullscreenToggle : public testing::TestWithParam<Rect> {};

TEST_P(FullscreenToggle, BorderedGoesFullScreenOnTheScreensOwnRectangle) {
  EXPECT_EQ(ToggleFullscreen(true, GetParam()), (WindowPlacement{false, GetParam()}));
}

TEST_P(FullscreenToggle, FullScreenBecomesCentredBookWindow) {
  const Rect screen = GetParam();
  const WindowPlacement windowed = ToggleFullscreen(false, screen);
  EXPECT_TRUE(windowed.bordered);
  // Halves truncated toward zero, also when the screen is smaller than the window.
  EXPECT_EQ(windowed.frame, (Rect{screen.x + (screen.width - 900) / 2,
                                  screen.y + (screen.height - 600) / 2, 900, 600}));
}

TEST_P(FullscreenToggle, TwoTogglesFromFullScreenReturnToFullScreen) {
  const WindowPlacement first = ToggleFullscreen(false, GetParam());
  EXPECT_EQ(ToggleFullscreen(first.bordered, GetParam()), (WindowPlacement{false, GetParam()}));
}

INSTANTIATE_TEST_SUITE_P(Screens, FullscreenToggle,
                         testing::Values(Rect{0, 0, 1920, 1080}, Rect{0, 0, 1366, 768},
                                         Rect{0, 0, 1025, 769}, Rect{0, 0, 900, 600},
                                         Rect{0, 0, 641, 479}, Rect{1280, 0, 1280, 1024},
                                         Rect{-1920, 0, 1920, 1080}, Rect{0, -768, 1025, 769}));

TEST(FullscreenToggleGeometry, OddScreenHalvesAreTruncatedAndTheOriginKept) {
  EXPECT_EQ(ToggleFullscreen(false, {0, 0, 1025, 769}).frame, (Rect{62, 84, 900, 600}));
  EXPECT_EQ(ToggleFullscreen(false, {0, 0, 641, 479}).frame, (Rect{-129, -60, 900, 600}));
  EXPECT_EQ(ToggleFullscreen(false, {1280, 0, 1280, 1024}).frame, (Rect{1470, 212, 900, 600}));
  EXPECT_EQ(ToggleFullscreen(false, {-1025, -769, 1025, 769}).frame, (Rect{-963, -685, 900, 600}));
}

struct BorderCase {
  const char* label;
  Margins margins;
};

void PrintTo(const BorderCase& c, std::ostream* os) {
  *os << c.label;
}

// No window manager (no border), a title bar with thin borders, and an uneven one.
class WindowBorder : public testing::TestWithParam<BorderCase> {};

TEST_P(WindowBorder, BookWindowsOuterRectangleIsTheFrameAsked) {
  const Margins m = GetParam().margins;
  const Rect frame{190, 212, 900, 600};
  const Rect client = ClientForFrame(frame, m);
  EXPECT_EQ((Rect{client.x - m.left, client.y - m.top, client.width + m.left + m.right,
                  client.height + m.top + m.bottom}),
            frame);
}

TEST_P(WindowBorder, LoadingWindowIsCentredByItsOuterSize) {
  const Margins m = GetParam().margins;
  for (const Rect screen : {Rect{0, 0, 1280, 1024}, Rect{1280, 0, 1280, 1024}}) {
    const Rect client = LoadingClientRect(screen, m);
    EXPECT_EQ(client.width, 234);
    EXPECT_EQ(client.height, 25);
    const int outerWidth = 234 + m.left + m.right;
    const int outerHeight = 25 + m.top + m.bottom;
    EXPECT_EQ(client.x - m.left, screen.x + (screen.width - outerWidth) / 2);
    EXPECT_EQ(client.y - m.top, screen.y + (screen.height - outerHeight) / 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Borders, WindowBorder,
                         testing::Values(BorderCase{"None", {0, 0, 0, 0}},
                                         BorderCase{"TitleBar", {1, 20, 1, 5}},
                                         BorderCase{"Uneven", {4, 31, 9, 2}}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WindowBorderGeometry, LoadingWindowUnderATitleBar) {
  // Outer 236 x 50 centred on 1280 x 1024 starts at (522, 487).
  EXPECT_EQ(LoadingClientRect({0, 0, 1280, 1024}, {1, 20, 1, 5}), (Rect{523, 507, 234, 25}));
}

TEST(EscapeKey, LeavesFullScreenOnly) {
  EXPECT_TRUE(KeyLeavesFullscreen(kEscapeKey, /*bordered=*/false));
  EXPECT_FALSE(KeyLeavesFullscreen(kEscapeKey, /*bordered=*/true));
  EXPECT_FALSE(KeyLeavesFullscreen('A', /*bordered=*/false));
  EXPECT_FALSE(KeyLeavesFullscreen(13, /*bordered=*/false));
}

struct FilterCase {
  const char* label;
  InputKind kind;
  Point pointer;
  bool closes;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
  *os << c.label;
}

class ScreenSaverFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(ScreenSaverFilter, ClosesOnInputButNotOnOneAxisMoves) {
  const Point start{400, 300};
  EXPECT_EQ(ScreenSaverClosesOn(GetParam().kind, GetParam().pointer, start), GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ScreenSaverFilter,
    testing::Values(FilterCase{"MoveDiagonal", InputKind::MouseMove, {401, 301}, true},
                    FilterCase{"MoveFarDiagonal", InputKind::MouseMove, {0, 0}, true},
                    FilterCase{"MoveHorizontal", InputKind::MouseMove, {500, 300}, false},
                    FilterCase{"MoveVertical", InputKind::MouseMove, {400, 10}, false},
                    FilterCase{"MoveNone", InputKind::MouseMove, {400, 300}, false},
                    FilterCase{"KeyDown", InputKind::KeyDown, {400, 300}, true},
                    FilterCase{"KeyUp", InputKind::KeyUp, {400, 300}, true},
                    FilterCase{"SysKeyDown", InputKind::SysKeyDown, {400, 300}, true},
                    FilterCase{"SysKeyUp", InputKind::SysKeyUp, {400, 300}, true},
                    FilterCase{"LeftButton", InputKind::LeftButtonDown, {400, 300}, true},
                    FilterCase{"RightButton", InputKind::RightButtonDown, {400, 300}, true},
                    FilterCase{"MiddleButton", InputKind::MiddleButtonDown, {400, 300}, true},
                    FilterCase{"Other", InputKind::Other, {1, 1}, false}),
    [](const testing::TestParamInfo<FilterCase>& info) { return info.param.label; });

TEST(CentredOrigin, CentresTheLoadingWindow) {
  EXPECT_EQ(CentredOrigin(kLoadingClientSize, {0, 0, 1920, 1080}), (Point{843, 527}));
  EXPECT_EQ(CentredOrigin(kLoadingClientSize, {1920, -200, 1920, 1080}), (Point{2763, 327}));
}

struct DownloadCase {
  const char* label;
  std::string bookPath;
  std::optional<std::string> name;
};

void PrintTo(const DownloadCase& c, std::ostream* os) {
  *os << c.label;
}

class DownloadFiles : public testing::TestWithParam<DownloadCase> {};

TEST_P(DownloadFiles, SavesOnlyPlainFilesOfTheDownloadsFolder) {
  EXPECT_EQ(DownloadFileName(GetParam().bookPath), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DownloadFiles,
    testing::Values(DownloadCase{"BookFile", "res/downloads/book.pdf", "book.pdf"},
                    DownloadCase{"PageFile", "res/downloads/page_0003.zip", "page_0003.zip"},
                    DownloadCase{"SpacesAndUtf8", "res/downloads/My \xC3\xA9t\xC3\xA9 1.pdf",
                                 "My \xC3\xA9t\xC3\xA9 1.pdf"},
                    DownloadCase{"DotsInTheName", "res/downloads/..book.pdf", "..book.pdf"},
                    DownloadCase{"FolderOnly", "res/downloads/", std::nullopt},
                    DownloadCase{"Dot", "res/downloads/.", std::nullopt},
                    DownloadCase{"DotDot", "res/downloads/..", std::nullopt},
                    DownloadCase{"ClimbsOut", "res/downloads/../book.xml", std::nullopt},
                    DownloadCase{"SubFolder", "res/downloads/sub/a.pdf", std::nullopt},
                    DownloadCase{"Backslash", "res/downloads/..\\book.xml", std::nullopt},
                    DownloadCase{"BackslashFolder", "res\\downloads\\a.pdf", std::nullopt},
                    DownloadCase{"OtherFolder", "res/other/toc.xml", std::nullopt},
                    DownloadCase{"Absolute", "/etc/passwd", std::nullopt},
                    DownloadCase{"AbsoluteDownloads", "/res/downloads/a.pdf", std::nullopt},
                    DownloadCase{"FolderCase", "res/Downloads/a.pdf", std::nullopt},
                    DownloadCase{"Colon", "res/downloads/c:a.pdf", std::nullopt},
                    DownloadCase{"NewLine", "res/downloads/a\nb.pdf", std::nullopt},
                    DownloadCase{"Nul", std::string("res/downloads/a\0b", 17), std::nullopt},
                    DownloadCase{"LongestName", "res/downloads/" + std::string(255, 'a'),
                                 std::string(255, 'a')},
                    DownloadCase{"TooLong", "res/downloads/" + std::string(256, 'a'), std::nullopt},
                    DownloadCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<DownloadCase>& info) { return info.param.label; });

}  // namespace
