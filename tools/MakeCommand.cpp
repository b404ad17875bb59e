// `bookstub make`: a book executable from page pictures and PDFs, made by authoring/BookMaker with
// the viewer movie this tool carries.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/BookMaker.h"
#include "platform/Os.h"
#include "tools/Commands.h"
#include "tools/ProgressBar.h"
#include "util/Error.h"
#include "util/FileName.h"

// Defined in the source generated from the viewer movie (tools/CMakeLists.txt).
std::string_view ViewerMovie();

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlayerName = "bookstub-player";

bool IsProgram(const fs::path& file) {
  std::error_code ec;
  return fs::is_regular_file(file, ec) && access(file.c_str(), X_OK) == 0;
}

// The installed player: beside this tool, else the one built with it (app/ beside tools/ in the
// build folder), else the first on PATH.
fs::path InstalledPlayer() {
  const fs::path own = platform::RunningExecutablePath().parent_path();
  if (IsProgram(own / kPlayerName)) return own / kPlayerName;
  fs::path built = own.parent_path() / "app" / kPlayerName;
  if (own.filename() == "tools" && IsProgram(built)) return built;
  const std::string_view path = std::getenv("PATH") ? std::getenv("PATH") : "";
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find(':', start), path.size());
    const std::string_view folder = path.substr(start, end - start);
    fs::path candidate = fs::path(folder.empty() ? "." : folder) / kPlayerName;
    if (IsProgram(candidate)) return candidate;
    start = end + 1;
  }
  throw Error(std::string("No ") + kPlayerName +
              " found beside bookstub, in its build folder or on PATH; name the player with "
              "--player");
}

// The names of the files left out, on one line: the first few, then how many more.
std::string LeftOutLine(const std::vector<fs::path>& files) {
  constexpr std::size_t kNamed = 10;
  std::string line;
  for (std::size_t i = 0; i < std::min(files.size(), kNamed); ++i)
    line += (i ? ", " : "") + files[i].filename().string();
  if (files.size() > kNamed) line += " and " + std::to_string(files.size() - kNamed) + " more";
  return line;
}

}  // namespace

int RunMakeCommand(const MakeOptions& options) {
  TMakeRequest request;
  request.title = options.title;
  request.sources = ListSources(options.pictures);
  const std::vector<fs::path> leftOut = FilesLeftOut(options.pictures, request.sources);
  if (!leftOut.empty()) std::cerr << "bookstub: left out: " << LeftOutLine(leftOut) << '\n';
  request.player = options.player.empty() ? InstalledPlayer() : options.player;
  request.output =
      options.output.empty() ? fs::path(FileNameFromTitle(options.title)) : options.output;
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
