// `bookstub make`: a book executable from page pictures and PDFs, made by authoring/BookMaker with
// the viewer movie this tool carries.

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "authoring/BookMaker.h"
#include "platform/Os.h"
#include "tools/Commands.h"
#include "tools/ProgressBar.h"
#include "util/Error.h"

// Defined in the source generated from the viewer movie (tools/CMakeLists.txt).
std::string_view ViewerMovie();

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlayerName = "bookstub-player";

bool IsProgram(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec) && access(file.c_str(), X_OK) == 0;
}

// The installed player: beside this tool, else the first on PATH.
fs::path InstalledPlayer() {
  const fs::path beside = platform::RunningExecutablePath().parent_path() / kPlayerName;
  if (IsProgram(beside)) return beside;
  const std::string_view path = std::getenv("PATH") ? std::getenv("PATH") : "";
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find(':', start), path.size());
    const std::string_view folder = path.substr(start, end - start);
    const fs::path candidate = fs::path(folder.empty() ? "." : folder) / kPlayerName;
    if (IsProgram(candidate)) return candidate;
    start = end + 1;
  }
  throw Error(std::string("No ") + kPlayerName +
              " found beside bookstub or on PATH; name the player with --player");
}

// The title as a file name: letters, digits, "-", "_" and "." kept, blanks as "-".
fs::path OutputFor(std::string_view title) {
  std::string name;
  for (const char c : title) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || (c == '.' && !name.empty());
    if (kept)
      name += c;
    else if ((c == ' ' || c == '\t') && !name.empty() && name.back() != '-')
      name += '-';
  }
  while (!name.empty() && (name.back() == '-' || name.back() == '.')) name.pop_back();
  return name.empty() ? fs::path("book") : fs::path(name);
}

}  // namespace

int RunMakeCommand(const MakeOptions& options) {
  TMakeRequest request;
  request.title = options.title;
  request.sources = ListSources(options.pictures);
  request.player = options.player.empty() ? InstalledPlayer() : options.player;
  request.output = options.output.empty() ? OutputFor(options.title) : options.output;
  request.viewerMovie = ViewerMovie();

  TerminalProgressBar bar(!options.quiet);
  const std::size_t pages = MakeBook(request, [&bar](std::size_t done, std::size_t total) {
    bar.Draw(static_cast<int>(done * 100 / total),
             " " + std::to_string(done) + "/" + std::to_string(total) + " pages");
  });
  bar.Finish();
  if (!options.quiet)
    std::cout << "Made " << request.output.string() << ": " << pages << " pages, played by "
              << request.player.string() << '\n';
  return kExitOk;
}
