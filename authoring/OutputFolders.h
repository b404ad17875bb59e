#pragma once
// The folders and files that making and converting books write: a result folder that must be
// missing or empty, the hidden scratch folder beside an output in which a result is built before
// it takes the output's place (so that a failure leaves nothing behind), and whole files.

#include <filesystem>
#include <string_view>

// Writes `bytes` as the whole of `file`, creating its folder when missing; raises Error naming
// the file when it cannot be written.
void WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);

// Raises Error when `folder` exists and is not an empty folder.
void RequireMissingOrEmptyFolder(const std::filesystem::path& folder);

// A hidden folder ".NAME.KIND-GUID" beside `output` (NAME its last name), so that the output's
// disk holds it; deleted with everything in it when it goes, unless it was moved into place.
class TScratchFolder {
 public:
  TScratchFolder(const std::filesystem::path& output, std::string_view kind);
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Puts the folder in the place of `output`, which must be missing or an empty folder.
  void MoveTo(const std::filesystem::path& output);

 private:
  std::filesystem::path path_;
  bool moved_ = false;
};
