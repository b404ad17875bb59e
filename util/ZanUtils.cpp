#include "util/ZanUtils.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Os.h"
#include "util/IniText.h"

namespace fs = std::filesystem;

namespace {

struct FolderOnTheWay {
  std::string name;  // in the folder below it on the way
  platform::FolderIdentity identity;
  std::vector<platform::FolderEntry> entriesLeft;
};

// Empties the real folder `name` of `parent` and removes it, depth first, holding one folder
// open at a time: the way down is remembered by name and identity, and the way up goes through
// each folder's parent, checked against the identity. An entry that cannot be removed is
// passed over and the walk goes on. False when anything stayed.
bool RemoveTreeIn(platform::OpenFolder& parent, const std::string& name) {
  std::unique_ptr<platform::OpenFolder> current = parent.OpenSubfolder(name);
  if (!current) return parent.Remove(name, true);  // may still be an empty, unreadable folder
  bool complete = true;
  std::vector<FolderOnTheWay> way;
  way.push_back({name, current->Identity(), current->Entries()});
  for (;;) {
    FolderOnTheWay& here = way.back();
    if (!here.entriesLeft.empty()) {
      const platform::FolderEntry entry = std::move(here.entriesLeft.back());
      here.entriesLeft.pop_back();
      if (entry.folder) {
        if (auto child = current->OpenSubfolder(entry.name)) {
          way.push_back({entry.name, child->Identity(), child->Entries()});
          current = std::move(child);
          continue;
        }
      }
      complete = current->Remove(entry.name, entry.folder) && complete;
      continue;
    }
    const std::string emptied = std::move(here.name);
    way.pop_back();
    if (way.empty()) break;
    current = current->OpenContaining();
    // A folder moved away during the walk: going on would remove entries somewhere else.
    if (!current || current->Identity() != way.back().identity) return false;
    complete = current->Remove(emptied, true) && complete;
  }
  current.reset();
  return parent.Remove(name, true) && complete;
}

// `folder` without trailing separators: "link/" names the folder a link points to, the walk
// must see the link itself.
fs::path WithoutTrailingSeparators(fs::path folder) {
  while (!folder.has_filename() && folder.has_relative_path()) folder = folder.parent_path();
  return folder;
}

}  // namespace

bool DeleteFolderTree(const fs::path& folder) {
  try {
    const fs::path path = WithoutTrailingSeparators(folder);
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") return false;
    const std::unique_ptr<platform::OpenFolder> parent =
        platform::OpenFolderAt(path.has_parent_path() ? path.parent_path() : fs::path("."));
    if (!parent) {
      std::error_code ec;
      return fs::symlink_status(path, ec).type() == fs::file_type::not_found;
    }
    switch (parent->KindOf(name)) {
      case platform::EntryKind::Missing:
      case platform::EntryKind::Other:
        return true;
      case platform::EntryKind::Link:
        return parent->Remove(name, false);  // the link itself, never its target
      case platform::EntryKind::Folder:
        return RemoveTreeIn(*parent, name);
    }
    return false;
  } catch (...) {
    return false;
  }
}

std::uint32_t SwapRedBlue(std::uint32_t colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

namespace {

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return std::move(content).str();
}

}  // namespace

std::string ReadIniText(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view fallback) {
  return ReadIniTexts(file, section, std::span(&key, 1), fallback).front();
}

std::vector<std::string> ReadIniTexts(const fs::path& file, std::string_view section,
                                      std::span<const std::string_view> keys,
                                      std::string_view fallback) {
  try {
    if (const auto bytes = ReadWholeFile(file))
      return FindIniValues(*bytes, section, keys, fallback);
  } catch (...) {
  }
  return std::vector<std::string>(keys.size(), std::string(fallback));
}

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMax = std::numeric_limits<int>::max();
  constexpr double kMin = std::numeric_limits<int>::min();
  if (value >= kMax) return std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  const double floor = std::floor(value);
  const double fraction = value - floor;
  double rounded = floor;
  if (fraction > 0.5)
    rounded = floor + 1;
  else if (fraction == 0.5)
    rounded = std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
  return static_cast<int>(rounded);
}
