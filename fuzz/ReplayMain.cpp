// Runs a fuzz harness without libFuzzer.
//   <harness>_replay                    every generated seed
//   <harness>_replay FILE|FOLDER ...    the given inputs (for example a crash file libFuzzer saved)
//   <harness>_replay --write-seeds DIR  writes the seeds as files, to start a libFuzzer corpus

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzHarness.h"

namespace fs = std::filesystem;

namespace {

void Run(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
}

std::string ReadFile(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

int WriteSeeds(const fs::path& folder) {
  fs::create_directories(folder);
  const std::vector<std::string> seeds = FuzzSeeds();
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    std::ofstream out(folder / ("seed-" + std::to_string(i)), std::ios::binary | std::ios::trunc);
    out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
    if (!out) {
      std::fprintf(stderr, "cannot write seeds into %s\n", folder.string().c_str());
      return 1;
    }
  }
  std::printf("%zu seeds written to %s\n", seeds.size(), folder.string().c_str());
  return 0;
}

std::size_t RunPath(const fs::path& path) {
  if (!fs::is_directory(path)) {
    Run(ReadFile(path));
    return 1;
  }
  std::size_t count = 0;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path))
    if (entry.is_regular_file()) {
      Run(ReadFile(entry.path()));
      ++count;
    }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--write-seeds") return WriteSeeds(fs::path(args[1]));

  std::size_t count = 0;
  if (args.empty()) {
    for (const std::string& seed : FuzzSeeds()) {
      Run(seed);
      ++count;
    }
  } else {
    for (const std::string_view arg : args) count += RunPath(fs::path(arg));
  }
  std::printf("%zu inputs replayed\n", count);
  return 0;
}
