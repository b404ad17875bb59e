#include "package/ProSaver.h"

#include <array>
#include <exception>
#include <map>
#include <optional>
#include <string_view>

#include "log/ZanLog.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/BookBlobs.h"
#include "package/PackageReader.h"
#include "package/PageSplitter.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "platform/Zip.h"
#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxArchiveUnpackedBytes = 32u << 20;

// Both numbers of a package address set: the blob is in the package.
bool Present(std::uint32_t pos, std::uint32_t size) {
  return pos != 0 && size != 0;
}

}  // namespace

TProjectOpener::TProjectOpener(BookMessageTarget* window) : window_(window) {}

TProjectOpener::~TProjectOpener() = default;

void TProjectOpener::Send(unsigned id, std::int32_t wParam, std::int32_t lParam, std::string text) {
  if (window_) window_->Send(BookMessage{id, wParam, lParam, std::move(text)});
}

void TProjectOpener::WriteBySize(std::uint32_t pos, std::uint32_t size, const fs::path& dest) {
  stream_->CopyToFile(stream_->BySize(pos, size), dest);
}

void TProjectOpener::WriteBySuffix(std::uint32_t pos, const fs::path& dest) {
  stream_->CopyToFile(stream_->BySuffix(pos), dest);
}

// --- Open -----------------------------------------------------------------------------------

void TProjectOpener::Open(const fs::path& path) {
  fileName_ = path;
  stream_.reset();
  stream_ = std::make_unique<TPackageReader>(path);
  book_ = std::make_unique<TMBook>();
  project_ = std::make_unique<TLMProject>();
  // An empty document is reported and leaves its defaults; the split then decides what follows.
  if (!SplitProj()) LogMessage("Failed to SplitProj");
  if (!SplitMagProj()) LogMessage("Failed to SplitMagProj");
}

// The project settings document: the last blob of the file. An empty document is reported as
// a failure (nothing to load); read and parse errors are raised.
bool TProjectOpener::SplitProj() {
  const BlobRange project = stream_->LocateProjectDocument();
  cursor_ = project.start;
  if (project.length == 0) return false;
  project_->LoadFromStream(stream_->ReadBytes(project));
  Send(WM_BOOK_TITLE, 0, 0, project_->exetitle);
  return true;
}

// The book document: the blob that ends 4 bytes before the project settings document.
bool TProjectOpener::SplitMagProj() {
  const BlobRange book = stream_->LocateBookDocument(cursor_);
  if (book.length == 0) return false;
  book_->LoadFromStream(stream_->ReadBytes(book));
  return true;
}

// --- Split ----------------------------------------------------------------------------------

void TProjectOpener::SplitAll() {
  extras_ = true;
  Split();
}

void TProjectOpener::Split() {
  try {
    if (RunSteps() == TRunState::Finished) Send(WM_BOOK_LOADED, 0, 0);
  } catch (const Error& e) {
    LogMessage(std::string("[ProSaver.Split]: Error:") + e.what());
    throw Error(e.what());
  }
}

TProjectOpener::TRunState TProjectOpener::RunSteps() {
  if (!stream_) throw Error("No package is open");
  SplitProjBg();
  LogMessage("Finish SplitProjBg");
  SplitProjNavBtn();
  LogMessage("Finish SplitProjNavBtn");
  SplitProjNavBarBg();
  LogMessage("Finish SplitProjNavBarBg");
  SplitPreloader();
  LogMessage("Finish SplitPreloader");
  SplitLogo();
  LogMessage("Finish SplitLogo");
  SplitSearchFile();
  LogMessage("Finish SplitSearchFile");
  SplitToc();
  LogMessage("Finish SplitToc");
  SplitBgSound();
  SendProgress(5);
  if (AbortRequested()) return TRunState::Stopped;

  SplitDownloadFiles();
  SendProgress(10);
  if (AbortRequested()) return TRunState::Stopped;

  SplitLanguageXMLs();
  LogMessage("Finish SplitLanguageXMLs");
  SplitFlag();
  LogMessage("Finish SplitFlag");
  if (SplitPages() == TRunState::Stopped) return TRunState::Stopped;
  LogMessage("Finish SplitPages");
  if (extras_) SplitExtras();
  return TRunState::Finished;
}

void TProjectOpener::SplitProjBg() {
  auto& background = *project_->background;
  if (IsBlank(background.filename) || background.pos_ <= 0 || background.size_ == 0) return;
  const fs::path dest = GetBookFilePath(kOtherFolder + std::string("background") +
                                        FileExtension(background.filename));
  WriteBySuffix(static_cast<std::uint32_t>(background.pos_), dest);
  background.filename = dest.string();
}

void TProjectOpener::SplitProjNavBtn() {
  const auto& navbtn = *project_->navbtn;
  if (!Present(navbtn.pos_, navbtn.size_)) return;
  TGroupWalker group = stream_->WalkGroup(navbtn.pos_, navbtn.size_);
  const fs::path ini = GetBookFilePath(GetNavBtnIniPath(false).string());
  stream_->CopyToFile(group.Head(), ini);
  // Read once: a group may hold far more members than the file has keys.
  const std::vector<std::string> names = ReadIniTexts(ini, "info", kNavButtonKeys, "");
  WriteGroupMembers(navbtn.pos_, navbtn.size_,
                    [&](const GroupMember& member) -> std::optional<fs::path> {
                      if (member.type >= kNavButtonKeys.size()) return std::nullopt;
                      const std::string& name = names[member.type];
                      if (IsBlank(name)) return std::nullopt;
                      return GetBookFilePath(kNavBtnFolder + name);
                    });
}

// Only types 0 (top) and 1 (bottom) have a file name; any other type, like an empty name,
// names the folder itself, and the write fails.
void TProjectOpener::SplitProjNavBarBg() {
  const auto& navbar = *project_->navbar;
  if (navbar.pos_ == 0 || navbar.size_ == 0) return;
  const auto pos = static_cast<std::uint32_t>(navbar.pos_);
  TGroupWalker group = stream_->WalkGroup(pos, navbar.size_);
  stream_->CopyToFile(group.Head(), GetBookFilePath(GetNavBarIniPath(false).string()));
  WriteGroupMembers(pos, navbar.size_, [&](const GroupMember& member) -> std::optional<fs::path> {
    std::string name;
    if (member.type == kNavBarTopType) name = navbar.topfile;
    if (member.type == kNavBarBottomType) name = navbar.bottomfile;
    return GetBookFilePath(kNavBarFolder + name);
  });
}

// Writes the group's members in walk order, each to the file `destination` names for it (none:
// passed over). Only the last member for each file is written: the earlier ones would be
// overwritten anyway, and a group may hold far more members than there are files. A member that
// cannot be located stops the walk as before: the members ahead of it are written first.
void TProjectOpener::WriteGroupMembers(std::uint32_t pos, std::uint32_t size,
                                       const GroupDestination& destination) {
  std::map<fs::path, std::uint64_t> last;  // file -> index of the last member written to it
  std::uint64_t located = 0;
  std::exception_ptr failure;
  try {
    TGroupWalker group = stream_->WalkGroup(pos, size);
    for (GroupMember member; group.Next(member); ++located)
      if (const auto file = destination(member)) last[*file] = located;
  } catch (const Error&) {
    failure = std::current_exception();
  }
  TGroupWalker group = stream_->WalkGroup(pos, size);
  GroupMember member;
  for (std::uint64_t i = 0; i < located && group.Next(member); ++i) {
    const auto file = destination(member);
    if (file && last[*file] == i) stream_->CopyToFile(member.data, *file);
  }
  if (failure) std::rethrow_exception(failure);
}

void TProjectOpener::SplitPreloader() {
  const auto& preloader = *project_->preloader;
  if (IsBlank(preloader.filename) || !Present(preloader.pos_, preloader.size_)) return;
  WriteBySize(preloader.pos_, preloader.size_, GetBookFilePath(GetBookSwfPath(false).string()));
}

void TProjectOpener::SplitLogo() {
  const auto& logo = *project_->logo;
  if (IsBlank(logo.filename) || !Present(logo.pos_, logo.size_)) return;
  WriteBySize(logo.pos_, logo.size_,
              GetBookFilePath(kOtherFolder + std::string("logo") +
                              AsciiLowerCase(FileExtension(logo.filename))));
}

void TProjectOpener::SplitSearchFile() {
  const TMBook& book = *book_;
  if (IsBlank(book.searchindex) || !Present(book.pos_search_, book.size_search_)) return;
  WriteBySize(book.pos_search_, book.size_search_,
              GetBookFilePath(kOtherFolder + FileNamePart(book.searchindex)));
}

void TProjectOpener::SplitToc() {
  const auto& toc = *project_->toc;
  if (IsBlank(toc.filename) || !Present(toc.pos_, toc.size_)) return;
  WriteBySize(toc.pos_, toc.size_, GetBookFilePath(kOtherFolder + FileNamePart(toc.filename)));
}

// Only the book's first chapter is looked at; a sound name without an address fails the read.
void TProjectOpener::SplitBgSound() {
  const TMChapter& chapter = book_->Chapters->Items(0);
  if (IsBlank(chapter.bgsound)) return;
  WriteBySuffix(chapter.pos_, GetBookFilePath(kSoundsFolder + std::string("bg.mp3")));
}

void TProjectOpener::SplitDownloadFiles() {
  try {
    const TMBook& book = *book_;
    const bool allowed = !extras_ || project_->navbtn->download;
    if (book.pos_download_ > 0 && allowed)
      WriteBySize(book.pos_download_, book.size_download_,
                  GetBookFilePath(kDownloadsFolder + FileNamePart(book.download)));
    LogMessage("Finish SplitDownloadFiles");
  } catch (const Error& e) {
    LogMessage(std::string("[ProSaver.SplitDownloadFiles]: Error:") + e.what());
    throw Error(e.what());
  }
}

void TProjectOpener::SplitLanguageXMLs() {
  const TMBook& book = *book_;
  if (!Present(book.pos_langs_, book.size_langs_)) return;
  SplitZipArchive(book.pos_langs_, GetBookFilePath(kLanguagesFolder + std::string("langs.zip")));
}

void TProjectOpener::SplitFlag() {
  const TMBook& book = *book_;
  if (!Present(book.pos_flag_, book.size_flag_)) return;
  SplitZipArchive(book.pos_flag_, GetBookFilePath(kFlagsFolder + std::string("flag.zip")));
}

// Writes the archive, unpacks it beside itself and deletes it; an unpacking failure is swallowed.
// An archive past its limits is left out as one that cannot be read, with one log line. Language
// and flag archives hold small text and picture files, so their unpacked size is capped well
// below the general limit.
void TProjectOpener::SplitZipArchive(std::uint32_t pos, const fs::path& archive) {
  WriteBySuffix(pos, archive);
  platform::UnzipLimits limits;
  limits.maxBytes = kMaxArchiveUnpackedBytes;
  try {
    const platform::UnzipReport report = platform::UnzipAll(archive, archive.parent_path(), limits);
    if (report.overLimit)
      LogMessage("Archive " + archive.filename().string() + " left out: " + *report.overLimit);
  } catch (const std::exception&) {
  }
  std::error_code ec;
  fs::remove(archive, ec);
}

TProjectOpener::TRunState TProjectOpener::SplitPages() {
  TPageSplitter pages(*stream_, *book_, project_->navbtn->download);
  const bool finished = pages.SplitAll([this](int done, int count) {
    SendProgress(10 + (done * 90) / count);
    return !AbortRequested();
  });
  return finished ? TRunState::Finished : TRunState::Stopped;
}

void TProjectOpener::SplitExtras() {
  for (const TBookBlob& movie : ListSharedMovies(*project_))
    if (Present(movie.pos, movie.size))
      WriteBySize(movie.pos, movie.size, GetBookFilePath(movie.name));
}
