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
// before them can be observed from outside. With `repeatFullscreen`, "fullscreen_error" is
// called again every frame, forever, as a movie that tries to make the window flash would.
std::string FlashTestMovie(int delayFrames, bool repeatFullscreen = false);

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

// Names inside the containment movie's book: a private folder of the book (its log, which the
// host is told not to serve) with a file of "secret=..." in it, a file of "secret=own" the movie
// may read, and a second movie that calls "hijacked" if it ever plays.
inline constexpr char kPrivateLogPath[] = "Log/log1.txt";
inline constexpr char kOwnVariablesPath[] = "vars.txt";
inline constexpr char kOtherMoviePath[] = "other.swf";

// The movie at kOtherMoviePath.
std::string HijackTestMovie();

// A movie that tries every way out it has: script links (which would set the page's title to
// "script ran"), loads of local files, of a folder, of the listener and of the book's log (by its
// name and in other letter case), navigations and pop-ups to them, a burst of web and mail links
// (plain, and as forms the emulator submits, one mail link asking to attach a file), and a
// reload of the host page naming the other movie. About two seconds later it reports what its
// loads brought ("probed": the text file's, the listener's, the listing's, the two log loads'
// and its own file's "secret" variable, the widths of the local and the remote picture), then
// tries one more web link and calls "tick" every other frame, forever.
std::string ContainmentTestMovie(const ContainmentTargets& targets);

// The "probed" request of a movie that reached nothing.
std::string ExpectedProbedRequest();

}  // namespace e2e
