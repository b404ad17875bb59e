#pragma once
// The per-run working folder and the paths inside it.
//
// Root R = temporary folder / run identifier / ; book root F = R / "files" / . Relative paths
// stored in the documents are relative to F and use "\" as delimiter; on this platform "\" maps
// to "/". Every builder takes `absolute`: false gives the path relative to F (folders end in a
// separator, e.g. "res/pages/"), true gives F joined with it. The builders need a prepared run
// folder for the absolute form and raise Error before that.

#include <filesystem>
#include <string>
#include <string_view>

// The layout below the book root F, as relative texts (folders end in a separator). The
// builders below and the split's destinations are made from these; PrepareRunFolder creates
// the folders.
inline constexpr const char* kJsFolder = "js/";
inline constexpr const char* kResFolder = "res/";
inline constexpr const char* kDownloadsFolder = "res/downloads/";
inline constexpr const char* kNavBarFolder = "res/navbar/";
inline constexpr const char* kNavBtnFolder = "res/navbtn/";
inline constexpr const char* kOtherFolder = "res/other/";
inline constexpr const char* kPagesFolder = "res/pages/";
inline constexpr const char* kThumbnailsFolder = "res/thumbnails/";
inline constexpr const char* kMobileFolder = "res/mobile/";
inline constexpr const char* kSoundsFolder = "res/sounds/";
inline constexpr const char* kLanguagesFolder = "res/languages/";
inline constexpr const char* kFlagsFolder = "res/flags/";
inline constexpr const char* kLogFolder = "Log/";
// The framework movie, directly in F.
inline constexpr const char* kFrameworkFile = "framework.swf";
// In R, beside F: locked while the run lives, so that a later run knows a folder whose player
// was killed.
inline constexpr const char* kRunLockFile = "run.lock";

// Working-folder state (the one process-wide state beside the log).
const std::filesystem::path& TempFolderOfRun();  // with trailing separator
const std::string& RunIdentifier();              // "{XXXXXXXX-...}" for a prepared temp run
bool RunFolderReady();

// Sets the temporary folder and a new run identifier, then creates the layout one folder at a
// time: R, files, files/js, files/res, and under res: downloads, navbar, navbtn, other, pages,
// thumbnails, mobile, sounds, languages, flags, each open to the current user only, and the run
// lock in R, held until RemoveRunFolder (or the process's end). R must be new: when anything is
// in its place, or it cannot be made (no temporary folder either), raises Error and the run has
// no folder. Errors below R are swallowed (a run without its lock is never taken for
// abandoned); a later write into a missing folder fails instead. The log folder is created by
// whoever starts the log.
void PrepareRunFolder();
// The same layout with R = `root` (created with its parents when missing); the run identifier
// becomes the last name of `root`. No run lock: a folder the tools write (split, export) is the
// user's output, never taken for a killed player's, wherever it is and whatever its name.
void PrepareRunFolderAt(const std::filesystem::path& root);
// Deletes R with everything in it (read-only files included, links not followed).
void RemoveRunFolder();

// Whether `name` has the form of a run identifier: a braced GUID in upper-case registry form.
bool IsRunIdentifier(std::string_view name);
// Removes the run folders in the temporary folder that players killed before left behind: those
// named like a run identifier whose run lock nobody holds, owned by the current user and open to
// that user only (see platform::TakeAbandonedFolder); never a link, never another user's folder,
// never a folder whose player still runs (this one's included). Returns how many went.
int RemoveAbandonedRunFolders();

// R (absolute) or the run identifier + separator (relative).
std::filesystem::path GetRootPath(bool absolute);
// root / "files" / .
std::filesystem::path GetBookRoot(const std::filesystem::path& root);

// Book-root relative builders.
std::filesystem::path GetFilesPath(bool absolute);  // relative form "./"
std::filesystem::path GetBookSwfPath(bool absolute);
std::filesystem::path GetJsPath(bool absolute);
std::filesystem::path GetLogFolderPath(bool absolute);
std::filesystem::path GetLogFilePath(bool absolute);
std::filesystem::path GetResPath(bool absolute);
std::filesystem::path GetPagesPath(bool absolute);
std::filesystem::path GetThumbnailsPath(bool absolute);
std::filesystem::path GetOtherPath(bool absolute);
std::filesystem::path GetNavBarPath(bool absolute);
std::filesystem::path GetNavBtnPath(bool absolute);
std::filesystem::path GetSoundsPath(bool absolute);
std::filesystem::path GetLanguagesPath(bool absolute);
std::filesystem::path GetFlagsPath(bool absolute);
std::filesystem::path GetDownloadsPath(bool absolute);
std::filesystem::path GetMobilePath(bool absolute);
std::filesystem::path GetNavBarIniPath(bool absolute);
std::filesystem::path GetNavBtnIniPath(bool absolute);
std::filesystem::path GetMagPath(bool absolute);
std::filesystem::path GetInputPath(bool absolute);
// The framework movie: relative to R ("files/framework.swf"), absolute R/files/framework.swf.
std::filesystem::path GetFrameworkPath(bool absolute);

// Every "/" replaced by "\" (the documents' delimiter).
std::string ReplaceSeparators(std::string_view text);
// Every "\" replaced by "/" (this platform's delimiter), for paths taken from the documents.
std::string ToPlatformSeparators(std::string_view text);

// Joins a document path to the book root ("\" mapped to "/") and returns the lexically normal
// result. Raises Error naming the path when it is absolute, carries a root name, holds a NUL
// character, climbs out of `bookRoot` with "..", or, when `requireFileName` is set, names no
// file (empty, or ending in a separator or "." / "..").
std::filesystem::path JoinBookPath(const std::filesystem::path& bookRoot, std::string_view relative,
                                   bool requireFileName = true);
// A document path joined safely below this run's book root (absolute), as JoinBookPath does.
std::filesystem::path GetBookFilePath(std::string_view relative);
