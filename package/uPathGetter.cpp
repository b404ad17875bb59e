#include "package/uPathGetter.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "platform/Os.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

struct RunFolderState {
  fs::path tempFolder;
  std::string runIdentifier;
  fs::path root;  // R, with trailing separator
  bool ready = false;
  std::unique_ptr<platform::FileLock> lock;  // the run lock of a prepared temp run
};

RunFolderState& State() {
  static RunFolderState state;
  return state;
}

const fs::path& PreparedRoot() {
  if (State().root.empty()) throw Error("The working folder has not been prepared");
  return State().root;
}

fs::path FromBookRoot(bool absolute, const fs::path& relative) {
  if (!absolute) return fs::path(relative);
  return GetBookRoot(PreparedRoot()) / relative;
}

// Folders below F, parents before children; F itself first.
constexpr const char* kLayout[] = {"",
                                   kJsFolder,
                                   kResFolder,
                                   kDownloadsFolder,
                                   kNavBarFolder,
                                   kNavBtnFolder,
                                   kOtherFolder,
                                   kPagesFolder,
                                   kThumbnailsFolder,
                                   kMobileFolder,
                                   kSoundsFolder,
                                   kLanguagesFolder,
                                   kFlagsFolder};

void CreateLayout(const fs::path& root) {
  std::error_code ec;
  fs::create_directories(root, ec);
  for (const char* folder : kLayout) fs::create_directory(GetBookRoot(root) / folder, ec);
}

// The run's own folder: made anew, open to this user only, so nobody else can read the book
// or slip an entry into it. An existing entry at R (whoever made it) ends the preparation.
void CreatePrivateLayout(const fs::path& root) {
  platform::CreatePrivateFolder(root.parent_path());
  for (const char* folder : kLayout) {
    try {
      platform::CreatePrivateFolder(fs::path(GetBookRoot(root) / folder).parent_path());
    } catch (const Error&) {
      // a later write into the missing folder fails instead
    }
  }
}

std::string Replace(std::string_view text, char from, char to) {
  std::string result(text);
  std::replace(result.begin(), result.end(), from, to);
  return result;
}

[[noreturn]] void Refuse(std::string_view relative, const char* reason) {
  throw Error("Refused path \"" + std::string(relative) + "\": " + reason);
}

}  // namespace

const fs::path& TempFolderOfRun() {
  return State().tempFolder;
}
const std::string& RunIdentifier() {
  return State().runIdentifier;
}
bool RunFolderReady() {
  return State().ready;
}

void PrepareRunFolder() {
  RunFolderState& state = State();
  state.root.clear();
  state.ready = false;
  try {
    state.tempFolder = platform::TempPath() / "";
    state.runIdentifier = platform::NewGuid();
  } catch (const std::exception& error) {
    throw Error(std::string("No temporary folder for the working folder: ") + error.what());
  }
  const fs::path root = state.tempFolder / state.runIdentifier / "";
  CreatePrivateLayout(root);
  state.root = root;
  state.ready = true;
  try {
    state.lock = platform::HoldFolderLock(root, kRunLockFile);
  } catch (const Error&) {
    // Without its lock file the folder is never taken for abandoned.
    state.lock.reset();
  }
}

void PrepareRunFolderAt(const fs::path& root) {
  RunFolderState& state = State();
  const fs::path folder = root.filename().empty() ? root.parent_path() : root;
  state.tempFolder = folder.parent_path() / "";
  state.runIdentifier = folder.filename().string();
  state.root = folder / "";
  state.ready = true;
  CreateLayout(state.root);
}

void RemoveRunFolder() {
  RunFolderState& state = State();
  if (!state.ready) return;
  DeleteFolderTree(state.root);
  state.ready = false;
  state.lock.reset();  // only now: until the folder is gone, it is not abandoned
}

bool IsRunIdentifier(std::string_view name) {
  constexpr std::string_view kForm = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  if (name.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (kForm[i] == 'X' ? !hex : c != kForm[i]) return false;
  }
  return true;
}

int RemoveAbandonedRunFolders() {
  fs::path temp;
  try {
    temp = platform::TempPath();
  } catch (const std::exception&) {
    return 0;
  }
  const std::unique_ptr<platform::OpenFolder> folder = platform::OpenFolderAt(temp);
  if (!folder) return 0;
  int removed = 0;
  for (const platform::FolderEntry& entry : folder->Entries()) {
    if (!entry.folder || !IsRunIdentifier(entry.name)) continue;
    // Held while the folder goes: no other player removes it alongside.
    const auto lock = platform::TakeAbandonedFolder(temp, entry.name, kRunLockFile);
    if (lock && DeleteFolderTree(temp / entry.name)) ++removed;
  }
  return removed;
}

fs::path GetRootPath(bool absolute) {
  if (!absolute) return fs::path(State().runIdentifier) / "";
  return PreparedRoot();
}

fs::path GetBookRoot(const fs::path& root) {
  return root / "files" / "";
}

fs::path GetFilesPath(bool absolute) {
  return FromBookRoot(absolute, "./");
}
fs::path GetBookSwfPath(bool absolute) {
  return FromBookRoot(absolute, "book.swf");
}
fs::path GetJsPath(bool absolute) {
  return FromBookRoot(absolute, kJsFolder);
}
fs::path GetLogFolderPath(bool absolute) {
  return FromBookRoot(absolute, kLogFolder);
}
fs::path GetLogFilePath(bool absolute) {
  return FromBookRoot(absolute, fs::path(kLogFolder) / "log1.txt");
}
fs::path GetResPath(bool absolute) {
  return FromBookRoot(absolute, kResFolder);
}
fs::path GetPagesPath(bool absolute) {
  return FromBookRoot(absolute, kPagesFolder);
}
fs::path GetThumbnailsPath(bool absolute) {
  return FromBookRoot(absolute, kThumbnailsFolder);
}
fs::path GetOtherPath(bool absolute) {
  return FromBookRoot(absolute, kOtherFolder);
}
fs::path GetNavBarPath(bool absolute) {
  return FromBookRoot(absolute, kNavBarFolder);
}
fs::path GetNavBtnPath(bool absolute) {
  return FromBookRoot(absolute, kNavBtnFolder);
}
fs::path GetSoundsPath(bool absolute) {
  return FromBookRoot(absolute, kSoundsFolder);
}
fs::path GetLanguagesPath(bool absolute) {
  return FromBookRoot(absolute, kLanguagesFolder);
}
fs::path GetFlagsPath(bool absolute) {
  return FromBookRoot(absolute, kFlagsFolder);
}
fs::path GetDownloadsPath(bool absolute) {
  return FromBookRoot(absolute, kDownloadsFolder);
}
fs::path GetMobilePath(bool absolute) {
  return FromBookRoot(absolute, kMobileFolder);
}
fs::path GetNavBarIniPath(bool absolute) {
  return FromBookRoot(absolute, fs::path(kNavBarFolder) / "info.ini");
}
fs::path GetNavBtnIniPath(bool absolute) {
  return FromBookRoot(absolute, fs::path(kNavBtnFolder) / "info.ini");
}
fs::path GetMagPath(bool absolute) {
  return FromBookRoot(absolute, fs::path(kOtherFolder) / "mag.swf");
}
fs::path GetInputPath(bool absolute) {
  return FromBookRoot(absolute, fs::path(kOtherFolder) / "input.png");
}

fs::path GetFrameworkPath(bool absolute) {
  if (!absolute) return fs::path("files") / kFrameworkFile;
  return GetBookRoot(PreparedRoot()) / kFrameworkFile;
}

std::string ReplaceSeparators(std::string_view text) {
  return Replace(text, '/', '\\');
}
std::string ToPlatformSeparators(std::string_view text) {
  return Replace(text, '\\', '/');
}

fs::path JoinBookPath(const fs::path& bookRoot, std::string_view relative, bool requireFileName) {
  if (relative.find('\0') != std::string_view::npos) Refuse(relative, "contains a NUL character");
  const fs::path path(ToPlatformSeparators(relative));
  if (path.is_absolute() || path.has_root_name() || path.has_root_directory())
    Refuse(relative, "absolute path");
  int depth = 0;
  for (const fs::path& segment : path) {
    if (segment == "..")
      --depth;
    else if (!segment.empty() && segment != ".")
      ++depth;
    if (depth < 0) Refuse(relative, "leaves the book folder");
  }
  if (requireFileName) {
    const fs::path name = path.filename();
    if (name.empty() || name == "." || name == ".." || depth == 0)
      Refuse(relative, "names no file");
  }
  return (bookRoot / path).lexically_normal();
}

fs::path GetBookFilePath(std::string_view relative) {
  return JoinBookPath(GetBookRoot(GetRootPath(true)), relative);
}
