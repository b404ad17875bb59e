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

// What the containment movie tries to reach from inside the player.
struct ContainmentTargets {
  std::string secretTextUrl;   // file: URL of a text file of "secret=..." outside the book
  std::string secretImageUrl;  // file: URL of a picture outside the book
  std::string folderUrl;       // file: URL of the folder holding both (a listing)
  std::string listenerUrl;     // "http://127.0.0.1:<port>/" that the test listens on
};

// A movie that tries every way out it has: script links (which would set the page's title to
// "script ran"), loads of local files, of a folder and of the listener, navigations and pop-ups
// to them, and a burst of web and mail links. About two seconds later it reports what its loads
// brought ("probed": the text file's, the listener's and the listing's "secret" variable, the
// widths of the local and the remote picture), then tries one more web link and calls "tick" every
// other frame, forever.
std::string ContainmentTestMovie(const ContainmentTargets& targets);

// The "probed" request of a movie that reached nothing.
std::string ExpectedProbedRequest();

}  // namespace e2e
