#include "util/ZanUtils.h"

#include <cmath>
#include <limits>
#include <system_error>

#include "platform/Os.h"

namespace fs = std::filesystem;

namespace {

// A folder without write or search permission for its owner blocks the removal of its entries.
void MakeFolderWritable(const fs::path& folder) {
  std::error_code ec;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
}

// Removes one entry that is not a real folder. Only regular files get their permissions touched:
// changing permissions through a symbolic link would change the link's target.
bool RemoveNonFolder(const fs::path& entry, fs::file_type type) {
  std::error_code ec;
  if (type == fs::file_type::regular)
    fs::permissions(entry, fs::perms::owner_write, fs::perm_options::add, ec);
  return fs::remove(entry, ec) && !ec;
}

// Deletes the entries of `folder` and then the folder; returns false when the enumeration was
// stopped by an entry that could not be deleted.
bool DeleteEntries(const fs::path& folder) {
  MakeFolderWritable(folder);
  bool complete = true;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const fs::file_type type = entry.symlink_status().type();
    const bool removed = type == fs::file_type::directory ? DeleteEntries(entry.path())
                                                          : RemoveNonFolder(entry.path(), type);
    if (!removed) {
      complete = false;
      break;
    }
  }
  std::error_code ec;
  fs::remove(folder, ec);  // a failure here is ignored
  return complete;
}

}  // namespace

bool DeleteFolderTree(const fs::path& folder) {
  try {
    const fs::file_type type = fs::symlink_status(folder).type();
    if (type == fs::file_type::not_found) return true;
    if (type == fs::file_type::symlink) {
      fs::remove(folder);  // the link itself, never its target
      return true;
    }
    if (type != fs::file_type::directory) return true;
    DeleteEntries(folder);
    return true;
  } catch (...) {
    return false;
  }
}

fs::path TempFolder() {
  return platform::TempPath() / "";
}

std::string NewGuidText() {
  return platform::NewGuid();
}

std::uint32_t SwapRedBlue(std::uint32_t colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

std::string ReadIniText(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view fallback) {
  try {
    std::error_code ec;
    if (!fs::exists(file, ec)) return std::string(fallback);
    return platform::ReadIniValue(file, section, key, fallback);
  } catch (...) {
    return std::string(fallback);
  }
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
