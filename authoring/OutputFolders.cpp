#include "authoring/OutputFolders.h"

#include <fstream>
#include <string>
#include <system_error>

#include "platform/Os.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

}  // namespace

void WriteWholeFile(const fs::path& file, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error("Cannot write " + Quoted(file));
}

void RequireMissingOrEmptyFolder(const fs::path& folder) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(folder, ec))) return;
  if (!fs::is_directory(folder, ec)) throw Error(Quoted(folder) + " exists and is no folder");
  if (!fs::is_empty(folder, ec)) throw Error(Quoted(folder) + " exists and is not empty");
}

TScratchFolder::TScratchFolder(const fs::path& output, std::string_view kind)
    : path_(output.parent_path() / ("." + output.filename().string() + "." + std::string(kind) +
                                    "-" + platform::NewGuid())) {
  std::error_code ec;
  if (!fs::create_directory(path_, ec))
    throw Error("Cannot create the folder " + Quoted(path_) + ": " + ec.message());
}

TScratchFolder::~TScratchFolder() {
  if (!moved_) DeleteFolderTree(path_);
}

void TScratchFolder::MoveTo(const fs::path& output) {
  std::error_code ec;
  fs::rename(path_, output, ec);
  if (ec) throw Error("Cannot put the folder in place of " + Quoted(output) + ": " + ec.message());
  moved_ = true;
}
