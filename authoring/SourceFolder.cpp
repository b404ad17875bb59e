#include "authoring/SourceFolder.h"

#include <string>
#include <system_error>

#include "util/Error.h"

namespace fs = std::filesystem;

TSourceFolder::TSourceFolder(const fs::path& folder) : folder_(folder) {
  std::error_code ec;
  real_ = fs::canonical(folder, ec);
  if (ec) real_ = fs::absolute(folder, ec).lexically_normal();
}

bool TSourceFolder::Inside(const fs::path& real) const {
  const fs::path relative = real.lexically_relative(real_);
  return !relative.empty() && *relative.begin() != "..";
}

std::optional<fs::path> TSourceFolder::RealPath(const fs::path& path) {
  std::error_code ec;
  fs::path at = folder_;
  for (const fs::path& part : path.lexically_relative(folder_)) {
    at /= part;
    if (!fs::is_symlink(fs::symlink_status(at, ec))) continue;
    const fs::path target = fs::weakly_canonical(at, ec);
    if (ec || !Inside(target)) {
      linksOut_.emplace(at, ec ? fs::read_symlink(at, ec) : target);
      return std::nullopt;
    }
  }
  const fs::path real = fs::canonical(path, ec);
  if (ec) return path;
  if (!Inside(real)) {
    linksOut_.emplace(path, real);
    return std::nullopt;
  }
  return real;
}

void TSourceFolder::RefuseLinksLeadingOut() const {
  if (linksOut_.empty()) return;
  std::string message = "Links lead out of \"" + folder_.string() +
                        "\" and would put files from elsewhere into the book:";
  const char* separator = " ";
  for (const auto& [link, target] : linksOut_) {
    message += separator + ("\"" + link.string() + "\" leads to \"" + target.string() + "\"");
    separator = ", ";
  }
  throw Error(message);
}
