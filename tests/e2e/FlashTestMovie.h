#pragma once
// The movie that the Flash host tests play: it loads a page picture by a relative path into a
// clip centred on the stage, waits until the picture has arrived, reports it with an external
// call carrying every kind of argument, then calls "fullscreen_error" and stops.

#include <string>

namespace e2e {

inline constexpr char kTestPagePath[] = "res/pages/page_0000.png";
inline constexpr int kTestPageWidth = 300;
inline constexpr int kTestPageHeight = 200;
inline constexpr int kTestStageWidth = 900;
inline constexpr int kTestStageHeight = 600;

// `delayFrames` empty frames (at 10 per second) come before the calls, so that the state
// before them can be observed from outside.
std::string FlashTestMovie(int delayFrames);

// The request XML of the movie's report call and of its "fullscreen_error" call.
std::string ExpectedPageLoadedRequest();
std::string ExpectedFullscreenRequest();

}  // namespace e2e
