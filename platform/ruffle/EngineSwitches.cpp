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
