#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/FormLogic.h"

void PrintTo(const Size& size, std::ostream* os) {
  *os << size.width << 'x' << size.height;
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

class FullscreenToggle : public testing::TestWithParam<Size> {};

TEST_P(FullscreenToggle, BorderedGoesFullScreenAtOrigin) {
  const Size screen = GetParam();
  EXPECT_EQ(ToggleFullscreen(true, screen),
            (WindowPlacement{false, {0, 0, screen.width, screen.height}}));
}

TEST_P(FullscreenToggle, FullScreenBecomesCentredBookWindow) {
  const Size screen = GetParam();
  const WindowPlacement windowed = ToggleFullscreen(false, screen);
  EXPECT_TRUE(windowed.bordered);
  EXPECT_EQ(windowed.frame.width, 900);
  EXPECT_EQ(windowed.frame.height, 600);
  // Halves truncated toward zero, also when the screen is smaller than the window.
  EXPECT_EQ(windowed.frame.x, (screen.width - 900) / 2);
  EXPECT_EQ(windowed.frame.y, (screen.height - 600) / 2);
}

TEST_P(FullscreenToggle, TwoTogglesFromFullScreenReturnToFullScreen) {
  const Size screen = GetParam();
  const WindowPlacement first = ToggleFullscreen(false, screen);
  const WindowPlacement second = ToggleFullscreen(first.bordered, screen);
  EXPECT_EQ(second, (WindowPlacement{false, {0, 0, screen.width, screen.height}}));
}

INSTANTIATE_TEST_SUITE_P(Screens, FullscreenToggle,
                         testing::Values(Size{1920, 1080}, Size{1366, 768}, Size{1025, 769},
                                         Size{900, 600}, Size{800, 600}, Size{641, 479}));

TEST(FullscreenToggleGeometry, OddScreenHalvesAreTruncated) {
  EXPECT_EQ(ToggleFullscreen(false, {1025, 769}).frame, (Rect{62, 84, 900, 600}));
  EXPECT_EQ(ToggleFullscreen(false, {641, 479}).frame, (Rect{-129, -60, 900, 600}));
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
  EXPECT_EQ(CentredOrigin(kLoadingClientSize, {1920, 1080}), (Point{843, 527}));
}

}  // namespace
