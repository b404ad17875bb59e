#pragma once
// What the player does with how it was started, in plain code so that tests drive it without a
// window. A player with its book appended plays that book and reads no argument but the
// screen-saver switch. A bare player (the one installed, nothing appended) plays the book
// appended to the file its argument names, which may be a book executable made for another
// platform, or answers --version and --help; started with nothing at all (from the desktop's
// menu) it asks for a book file; anything else is an error it reports before a working folder
// exists.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/FormLogic.h"
#include "package/PackageProbe.h"

struct TPlayerStart {
  enum class TAction {
    Play,          // open `book` in `mode`
    Exit,          // end at once with `exitCode` (a screen saver asked for no window)
    PrintVersion,  // print the version and end successfully
    PrintHelp,     // print the help and end successfully
    Fail,          // show `message` and end with `exitCode`
    ChooseBook,    // ask the user for a book file on the display; without one, as Fail
  };
  TAction action = TAction::Exit;
  RunMode mode = RunMode::Window;
  std::filesystem::path book;
  std::string message;
  int exitCode = 0;
};

inline constexpr int kPlayerExitNoBook = 1;
inline constexpr int kPlayerExitUsage = 2;

using PackageProbeFunction = std::function<TPackageProbe(const std::filesystem::path&)>;

// `ownFile` is the running executable's file, `executableName` argument 0 (its extension picks
// the run mode), `arguments` the arguments after it. `probe` tells whether a file carries a book.
TPlayerStart DecidePlayerStart(const std::filesystem::path& ownFile,
                               std::string_view executableName,
                               const std::vector<std::string>& arguments,
                               const PackageProbeFunction& probe);

// What a book file the user named (on the command line or in the file dialog) gives: Play in
// window mode, or Fail with the reason it cannot be played.
TPlayerStart DecideBookFile(const std::filesystem::path& book, const PackageProbeFunction& probe);

// The text of --help.
std::string PlayerHelpText();
