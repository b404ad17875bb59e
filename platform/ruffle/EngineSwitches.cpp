#include "platform/ruffle/EngineSwitches.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <vector>

namespace platform {
namespace {

constexpr std::string_view kDisableFeatures = "--disable-features=";

// The audio service runs without a sandbox in its own process; inside the browser process it
// saves that process and the zygote kept only to start unsandboxed helpers like it. Renderers
// keep their zygote and their sandbox.
constexpr std::string_view kDisabledFeature = "AudioServiceOutOfProcess";
constexpr std::string_view kSwitch = "--no-unsandboxed-zygote";
// The emulator's WebAssembly is compiled function by function as the movie first calls each,
// not all of it (14 MB) before the emulator can start: it starts sooner, and the code of
// functions no movie calls takes no memory.
constexpr std::string_view kJsFlags = "--js-flags=";
constexpr std::string_view kOurJsFlags = "--wasm-lazy-compilation";

std::vector<std::string> Words(std::string_view text) {
  std::istringstream in{std::string(text)};
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

std::string EngineSwitches(std::string_view userSwitches) {
  std::vector<std::string> switches = Words(userSwitches);
  // The engine takes the last of repeated switches: the user's feature list gets ours appended.
  auto features = std::find_if(switches.rbegin(), switches.rend(), [](const std::string& word) {
    return word.starts_with(kDisableFeatures);
  });
  if (features == switches.rend()) {
    switches.push_back(std::string(kDisableFeatures) + std::string(kDisabledFeature));
  } else if (features->size() == kDisableFeatures.size()) {
    *features += kDisabledFeature;
  } else {
    *features += "," + std::string(kDisabledFeature);
  }
  if (std::find(switches.begin(), switches.end(), kSwitch) == switches.end()) {
    switches.emplace_back(kSwitch);
  }
  // The engine's flags for its script engine are one switch whose value would need a space to
  // hold two flags, and the engine splits its switches at spaces: flags the user gave replace
  // ours.
  if (std::none_of(switches.begin(), switches.end(),
                   [](const std::string& word) { return word.starts_with(kJsFlags); })) {
    switches.push_back(std::string(kJsFlags) + std::string(kOurJsFlags));
  }
  std::string joined;
  for (const std::string& word : switches) joined += (joined.empty() ? "" : " ") + word;
  return joined;
}

bool IsSoftwareRenderer(std::string_view glRenderer) {
  // Mesa's CPU rasterisers by their renderer strings: "llvmpipe (LLVM 15.0.6, 256 bits)" (also
  // inside "zink (llvmpipe ...)"), "softpipe" and the classic "Software Rasterizer".
  static constexpr std::array<std::string_view, 3> kSoftware = {"llvmpipe", "softpipe",
                                                                "software rasterizer"};
  const std::string renderer = Lower(glRenderer);
  if (renderer.empty()) return true;
  return std::any_of(kSoftware.begin(), kSoftware.end(), [&](std::string_view name) {
    return renderer.find(name) != std::string::npos;
  });
}

}  // namespace platform
