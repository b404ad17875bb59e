// Starts a windowed program on the current X display and reports, in seconds from the moment
// before it was started, what a user sees of it:
//   mapped      its first window is mapped (a top-level, not a menu or tool tip)
//   fullscreen  a window of it covers the whole screen (the player shows the book)
//   frame       the pixel at the probe point has the probe colour (the movie drew its first frame)
//   page        the pixel at the page probe point has its colour (the first page's picture is
//               on screen: a point inside it, where neither the stage nor a page still loading
//               has that colour)
//   tree_kib    the resident memory of the program's whole process tree, summed, RSS_AFTER
//               seconds after the frame (or after the mapping when there is no probe)
//   tree_pss_kib the same tree's proportional set size: shared pages (the browser engine's
//               library is mapped by each of its processes) counted once over their sharers
// then ends the program (SIGTERM, SIGKILL after 10 s). A figure that never came is left out.
// With --table, one line per process of the tree goes to stderr with the totals: pid, RSS, PSS
// (KiB) and its kind (the browser engine's --type and utility sub-type).
//
//   bench_player_watch [--probe X,Y,RRGGBB] [--page-probe X,Y,RRGGBB] [--fullscreen]
//                      [--rss-after S] [--table] [--timeout S] -- CMD...
//
// Events come from the root window's substructure (no window manager: top-levels are its
// children); the probe pixel is read from the root window every 5 ms.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Probe {
  bool set = false;
  int x = 0, y = 0;
  unsigned long colour = 0;
};

bool ParseProbe(const char* value, Probe& probe) {
  unsigned colour = 0;
  if (std::sscanf(value, "%d,%d,%x", &probe.x, &probe.y, &colour) != 3) return false;
  probe.set = true;
  probe.colour = colour;
  return true;
}

struct Options {
  Probe frame;
  Probe page;
  bool fullscreen = false;
  double rssAfter = 0;
  bool table = false;
  double timeout = 60;
  std::vector<char*> command;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::string(argv[i]) != "--"; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (arg == "--probe" || arg == "--page-probe") {
      if (!ParseProbe(value, arg == "--probe" ? options.frame : options.page)) break;
      ++i;
    } else if (arg == "--fullscreen") {
      options.fullscreen = true;
    } else if (arg == "--rss-after") {
      options.rssAfter = std::atof(value);
      ++i;
    } else if (arg == "--table") {
      options.table = true;
    } else if (arg == "--timeout") {
      options.timeout = std::atof(value);
      ++i;
    } else {
      break;
    }
  }
  if (i >= argc || std::string(argv[i]) != "--" || i + 1 >= argc) {
    std::fprintf(stderr,
                 "usage: bench_player_watch [--probe X,Y,RRGGBB] [--page-probe X,Y,RRGGBB] "
                 "[--fullscreen] [--rss-after S] [--table] [--timeout S] -- COMMAND...\n");
    std::exit(2);
  }
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  options.command.push_back(nullptr);
  return options;
}

bool CloseColour(unsigned long a, unsigned long b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > 8 || d < -8) return false;
  }
  return true;
}

unsigned long RootPixel(Display* display, Window root, int x, int y) {
  XImage* image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return ~0ul;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// The processes of `pid`'s tree, `pid` first.
std::vector<pid_t> ProcessTree(pid_t pid) {
  std::map<pid_t, std::vector<pid_t>> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream status(entry.path() / "status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("PPid:", 0) == 0) {
        children[std::atoi(line.c_str() + 5)].push_back(std::atoi(name.c_str()));
        break;
      }
    }
  }
  std::vector<pid_t> tree;
  std::vector<pid_t> pending{pid};
  while (!pending.empty()) {
    const pid_t next = pending.back();
    pending.pop_back();
    tree.push_back(next);
    for (pid_t child : children[next]) pending.push_back(child);
  }
  return tree;
}

struct Memory {
  long rss = 0, pss = 0;  // KiB
};

Memory ProcessMemory(pid_t pid) {
  Memory memory;
  std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
  for (std::string line; std::getline(rollup, line);) {
    if (line.rfind("Rss:", 0) == 0) memory.rss = std::atol(line.c_str() + 4);
    if (line.rfind("Pss:", 0) == 0) memory.pss = std::atol(line.c_str() + 4);
  }
  return memory;
}

// The browser engine names a process's role in its arguments; others go by their program name.
std::string ProcessKind(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::vector<std::string> args;
  for (std::string arg; std::getline(file, arg, '\0');) args.push_back(arg);
  if (args.empty()) return "?";
  std::string kind = std::filesystem::path(args.front()).filename().string();
  for (const std::string& arg : args) {
    if (arg.rfind("--type=", 0) == 0) kind = arg.substr(7);
  }
  for (const std::string& arg : args) {
    if (arg.rfind("--utility-sub-type=", 0) == 0) kind += " " + arg.substr(19);
    if (arg == "--zygote") kind += " (zygote)";
  }
  return kind;
}

void ReportTree(pid_t pid, bool table) {
  Memory sum;
  for (pid_t process : ProcessTree(pid)) {
    const Memory memory = ProcessMemory(process);
    sum.rss += memory.rss;
    sum.pss += memory.pss;
    if (table) {
      std::fprintf(stderr, "%8d %9ld %9ld  %s\n", process, memory.rss, memory.pss,
                   ProcessKind(process).c_str());
    }
  }
  if (table) std::fprintf(stderr, "%8s %9ld %9ld  (KiB)\n", "total", sum.rss, sum.pss);
  std::printf("tree_kib %ld\ntree_pss_kib %ld\n", sum.rss, sum.pss);
}

// A window may be gone by the time its event is looked at: not an error here.
int IgnoreXError(Display*, XErrorEvent*) {
  return 0;
}

void EndProgram(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 1000; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

class Watch {
 public:
  Watch(Display* display, const Options& options) : display_(display), options_(options) {
    root_ = DefaultRootWindow(display);
    screenWidth_ = DisplayWidth(display, DefaultScreen(display));
    screenHeight_ = DisplayHeight(display, DefaultScreen(display));
    XSelectInput(display, root_, SubstructureNotifyMask);
    XSync(display, False);
  }

  int Run() {
    start_ = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      execvp(options_.command[0], options_.command.data());
      _exit(127);
    }
    const bool done = WaitForFigures(pid);
    if (done && options_.rssAfter > 0) {
      std::this_thread::sleep_for(std::chrono::duration<double>(options_.rssAfter));
      ReportTree(pid, options_.table);
    }
    EndProgram(pid);
    return done ? 0 : 1;
  }

 private:
  double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

  bool Done() const {
    if (!mapped_) return false;
    if (options_.fullscreen && !fullscreen_) return false;
    return (!options_.frame.set || frame_) && (!options_.page.set || page_);
  }

  void Report(const char* figure, bool& flag) {
    if (flag) return;
    flag = true;
    std::printf("%s %.3f\n", figure, Elapsed());
    std::fflush(stdout);
  }

  void Handle(const XEvent& event) {
    Window window = 0;
    if (event.type == MapNotify && !event.xmap.override_redirect) {
      window = event.xmap.window;
      mappedWindows_.insert(window);
      Report("mapped", mapped_);
    } else if (event.type == ConfigureNotify && !event.xconfigure.override_redirect) {
      window = event.xconfigure.window;
    } else if (event.type == UnmapNotify || event.type == DestroyNotify) {
      mappedWindows_.erase(event.type == UnmapNotify ? event.xunmap.window
                                                     : event.xdestroywindow.window);
    }
    if (window == 0 || !mappedWindows_.contains(window)) return;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return;
    if (attributes.width == screenWidth_ && attributes.height == screenHeight_ &&
        attributes.map_state == IsViewable)
      Report("fullscreen", fullscreen_);
  }

  bool Shows(const Probe& probe) const {
    return probe.set && CloseColour(RootPixel(display_, root_, probe.x, probe.y), probe.colour);
  }

  bool WaitForFigures(pid_t pid) {
    while (!Done()) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Handle(event);
      }
      if (fullscreen_ || !options_.fullscreen) {
        if (Shows(options_.frame)) Report("frame", frame_);
        if (Shows(options_.page)) Report("page", page_);
      }
      if (Elapsed() > options_.timeout || waitpid(pid, nullptr, WNOHANG) == pid) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  Display* display_;
  const Options& options_;
  Window root_ = 0;
  int screenWidth_ = 0, screenHeight_ = 0;
  Clock::time_point start_;
  std::set<Window> mappedWindows_;
  bool mapped_ = false, fullscreen_ = false, frame_ = false, page_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "bench_player_watch: no X display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreXError);
  const int result = Watch(display, options).Run();
  XCloseDisplay(display);
  return result;
}
