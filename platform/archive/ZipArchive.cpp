// Zip unpacking over libarchive.
// Implements: UnzipAll of platform/Zip.h for PKWARE zip archives (stored, deflated and whatever
//   else libarchive's zip reader decodes); folders recreated, existing files replaced, files
//   and folders created with default permissions (0644 / 0755 less the umask), modification
//   times kept. Entry names written with "\" separators are taken as folders; names are
//   read as UTF-8 whatever the process locale.
// Does not: read other archive formats, restore owners, permission bits, ACLs or extended
//   attributes, create links or special files, or ask for passwords (encrypted entries fail
//   the unpacking).
//
// Limits: the entry names and announced sizes are read once before anything is written, so an
// archive with too many entries or folders or an announced bomb costs one pass over its headers
// (and memory for at most maxFolders folder names); the bytes really unpacked are counted again
// while they are written, and an archive caught past a limit then has everything it wrote
// removed.
//
// Safety: every entry name is checked here before libarchive sees it (absolute names, drive
// letters, ".." segments, links and special files are skipped, as is any entry whose path
// inside the folder passes through an existing symbolic link), and libarchive's own checks
// (secure symlinks, no "..") stay on as a second line. Its no-absolute-paths check cannot be
// used: libarchive has no target-folder option, so the checked relative name is joined to the
// canonical target folder and handed over as an absolute path, which that flag would refuse.

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "platform/Zip.h"
#include "util/Error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kExtractFlags =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT;
constexpr size_t kReadBlockSize = size_t{64} * 1024;

struct ReaderDeleter {
  void operator()(archive* a) const { archive_read_free(a); }
};
struct WriterDeleter {
  void operator()(archive* a) const { archive_write_free(a); }
};
using ArchiveReader = std::unique_ptr<archive, ReaderDeleter>;
using ArchiveWriter = std::unique_ptr<archive, WriterDeleter>;

std::string ArchiveMessage(archive* a) {
  const char* message = archive_error_string(a);
  return message ? message : "unknown error";
}

[[noreturn]] void Fail(const fs::path& zip, const std::string& what) {
  throw Error("Cannot unpack " + zip.string() + ": " + what);
}

std::string EntryName(archive_entry* entry) {
  if (const char* utf8 = archive_entry_pathname_utf8(entry)) return utf8;
  if (const char* native = archive_entry_pathname(entry)) return native;
  return {};
}

// The entry's name as relative path segments, or nothing when the name is unsafe.
std::optional<std::vector<std::string>> SafeSegments(std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty() || name.front() == '/') return std::nullopt;
  if (name.size() >= 2 && name[1] == ':') return std::nullopt;  // drive letter
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    std::string segment = name.substr(start, end - start);
    if (segment == "..") return std::nullopt;
    if (!segment.empty() && segment != ".") segments.push_back(std::move(segment));
    start = end + 1;
  }
  if (segments.empty()) return std::nullopt;
  return segments;
}

bool IsPlainFileOrFolder(archive_entry* entry) {
  if (archive_entry_hardlink(entry) != nullptr || archive_entry_symlink(entry) != nullptr)
    return false;
  const auto type = archive_entry_filetype(entry);
  return type == AE_IFREG || type == AE_IFDIR;
}

// Where a checked entry goes: its full path, and how many of its leading segments already
// existed (the rest, folders included, are created by the unpacking).
struct Target {
  fs::path path;
  size_t existing = 0;
};

// The entry's target under `folder`, or nothing when an existing link lies on the way.
// An existing link at the end of the path is removed, so the entry replaces the link itself
// rather than writing where it points.
std::optional<Target> TargetPath(const fs::path& folder, const std::vector<std::string>& segments) {
  Target target{folder, 0};
  bool checking = true;  // no need to look further once a part of the path does not exist
  for (size_t i = 0; i < segments.size(); ++i) {
    target.path /= segments[i];
    if (!checking) continue;
    std::error_code ec;
    const auto status = fs::symlink_status(target.path, ec);
    if (!fs::exists(status)) {
      checking = false;
      continue;
    }
    if (fs::is_symlink(status)) {
      const bool last = i + 1 == segments.size();
      if (!last || !fs::remove(target.path, ec)) return std::nullopt;
      continue;
    }
    target.existing = i + 1;
  }
  return target;
}

// Counts one archive's entries and unpacked bytes against its limits.
class Budget {
 public:
  Budget(const UnzipLimits& limits, std::uint64_t archiveSize) : limits_(limits) {
    const std::uint64_t ratio = limits.bytesPerArchiveByte;
    maxBytes_ =
        ratio != 0 && archiveSize > limits.maxBytes / ratio ? limits.maxBytes : archiveSize * ratio;
    maxBytes_ = std::min(maxBytes_, limits.maxBytes);
  }

  // Counts one more entry; false when it goes past a limit.
  bool Enter(const std::string& name, bool isFolder) {
    if (++entries_ > limits_.maxEntries)
      return Exceed("more than " + std::to_string(limits_.maxEntries) + " entries");
    if (name.size() > limits_.maxNameBytes)
      return Exceed("an entry name longer than " + std::to_string(limits_.maxNameBytes) + " bytes");
    if (Depth(name) > limits_.maxDepth)
      return Exceed("an entry name deeper than " + std::to_string(limits_.maxDepth) + " levels");
    return CountFolders(name, isFolder);
  }

  // Counts bytes about to be written (or announced); false when they go past the limit.
  bool Add(std::uint64_t bytes) {
    if (bytes > maxBytes_ - bytes_)
      return Exceed("more than " + std::to_string(maxBytes_) + " unpacked bytes");
    bytes_ += bytes;
    return true;
  }

  // The limit gone past.
  const std::string& Exceeded() const { return exceeded_; }

 private:
  static size_t Depth(const std::string& name) {
    size_t depth = 0;
    bool inSegment = false;
    for (char c : name) {
      const bool separator = c == '/' || c == '\\';
      if (!separator && !inSegment) ++depth;
      inSegment = !separator;
    }
    return depth;
  }

  // Adds the folders `name` makes, deepest first, stopping at the first one already counted:
  // its parents were counted with it. So an entry in a known folder costs one look-up. An
  // unsafe name makes none: it is skipped.
  bool CountFolders(const std::string& name, bool isFolder) {
    const auto segments = SafeSegments(name);
    if (!segments) return true;
    std::string normal;
    for (const std::string& segment : *segments) normal += (normal.empty() ? "" : "/") + segment;
    size_t end = isFolder ? normal.size() : normal.rfind('/');
    while (end != std::string::npos && end > 0) {
      if (!folders_.insert(normal.substr(0, end)).second) break;
      if (folders_.size() > limits_.maxFolders)
        return Exceed("more than " + std::to_string(limits_.maxFolders) + " folders");
      end = normal.rfind('/', end - 1);
    }
    return true;
  }

  bool Exceed(std::string what) {
    exceeded_ = std::move(what);
    return false;
  }

  const UnzipLimits& limits_;
  std::string exceeded_;
  std::uint64_t maxBytes_ = 0;
  std::uint64_t entries_ = 0;
  std::uint64_t bytes_ = 0;
  std::unordered_set<std::string> folders_;
};

// What one unpacking created, so that it can be taken back: at most a path per entry and per
// folder the budget lets through.
class WrittenPaths {
 public:
  void Add(const Target& target, const std::vector<std::string>& segments, bool isFolder) {
    fs::path path = target.path;
    for (size_t i = segments.size(); i > target.existing; --i) {
      if (i < segments.size() || isFolder) folders_.push_back(path);
      path = path.parent_path();
    }
    if (!isFolder) files_.push_back(target.path);
  }
  // Files first, then the folders, deepest first; a folder that is not empty stays.
  void RemoveAll() const {
    std::error_code ec;
    for (auto it = files_.rbegin(); it != files_.rend(); ++it) fs::remove(*it, ec);
    std::vector<fs::path> folders = folders_;
    std::sort(folders.begin(), folders.end(),
              [](const fs::path& a, const fs::path& b) { return a.native() > b.native(); });
    for (const fs::path& folder : folders) fs::remove(folder, ec);
  }

 private:
  std::vector<fs::path> files_;
  std::vector<fs::path> folders_;
};

// libarchive converts entry names through the calling thread's character set. Under the "C"
// locale a program starts in, a non-ASCII name cannot be converted and comes back empty, and the
// entry would be passed over. Names are read under a UTF-8 character set instead, for this
// thread and for the length of one unpacking.
class Utf8NamesScope {
 public:
  Utf8NamesScope() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {
    if (utf8_ != locale_t{}) previous_ = uselocale(utf8_);
  }
  ~Utf8NamesScope() {
    if (utf8_ == locale_t{}) return;
    uselocale(previous_);
    freelocale(utf8_);
  }
  Utf8NamesScope(const Utf8NamesScope&) = delete;
  Utf8NamesScope& operator=(const Utf8NamesScope&) = delete;

 private:
  locale_t utf8_;
  locale_t previous_{};
};

ArchiveReader OpenZip(const fs::path& zip) {
  ArchiveReader reader(archive_read_new());
  if (!reader) Fail(zip, "out of memory");
  archive_read_support_format_zip(reader.get());
  if (archive_read_open_filename(reader.get(), zip.c_str(), kReadBlockSize) != ARCHIVE_OK)
    Fail(zip, ArchiveMessage(reader.get()));
  return reader;
}

ArchiveWriter OpenDiskWriter() {
  ArchiveWriter writer(archive_write_disk_new());
  archive_write_disk_set_options(writer.get(), kExtractFlags);
  archive_write_disk_set_standard_lookup(writer.get());
  return writer;
}

enum class Outcome { Written, Refused, OverLimit };

// Copies the entry's data, counting it against the budget; Error when the archive is damaged.
Outcome CopyData(const fs::path& zip, archive* reader, archive* writer, Budget& budget) {
  for (;;) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    const int status = archive_read_data_block(reader, &block, &size, &offset);
    if (status == ARCHIVE_EOF) return Outcome::Written;
    if (status < ARCHIVE_WARN) Fail(zip, ArchiveMessage(reader));
    if (!budget.Add(size)) return Outcome::OverLimit;
    if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_WARN)
      return Outcome::Refused;
  }
}

// Writes one checked entry to `target`.
Outcome ExtractEntry(const fs::path& zip, archive* reader, archive* writer, archive_entry* entry,
                     const fs::path& target, Budget& budget) {
  const bool isFolder = archive_entry_filetype(entry) == AE_IFDIR;
  archive_entry_set_pathname(entry, target.c_str());
  archive_entry_set_perm(entry, isFolder ? 0755 : 0644);
  if (archive_write_header(writer, entry) < ARCHIVE_WARN) return Outcome::Refused;
  Outcome outcome = isFolder ? Outcome::Written : CopyData(zip, reader, writer, budget);
  if (archive_write_finish_entry(writer) < ARCHIVE_WARN && outcome == Outcome::Written)
    outcome = Outcome::Refused;
  return outcome;
}

void RemoveUnlessFolder(const fs::path& target) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(target, ec))) fs::remove(target, ec);
}

// As ExtractEntry, but a file left incomplete (refused by the disk or cut short by a damaged
// archive, which raises Error) is removed.
Outcome ExtractEntryOrRemove(const fs::path& zip, archive* reader, ArchiveWriter& writer,
                             archive_entry* entry, const fs::path& target, Budget& budget) {
  try {
    const Outcome outcome = ExtractEntry(zip, reader, writer.get(), entry, target, budget);
    if (outcome == Outcome::Refused) RemoveUnlessFolder(target);
    return outcome;
  } catch (const Error&) {
    writer.reset();  // closes the partial file
    RemoveUnlessFolder(target);
    throw;
  }
}

// Reads the entry names and announced sizes only: the limit the archive goes past, if any.
// A damaged archive is left for the unpacking to report.
std::optional<std::string> CheckAnnounced(const fs::path& zip, const UnzipLimits& limits,
                                          std::uint64_t archiveSize) {
  ArchiveReader reader = OpenZip(zip);
  Budget budget(limits, archiveSize);
  archive_entry* entry = nullptr;
  for (int status = archive_read_next_header(reader.get(), &entry);
       status == ARCHIVE_OK || status == ARCHIVE_WARN;
       status = archive_read_next_header(reader.get(), &entry)) {
    const la_int64_t announced = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
    if (!budget.Enter(EntryName(entry), archive_entry_filetype(entry) == AE_IFDIR) ||
        !budget.Add(static_cast<std::uint64_t>(std::max<la_int64_t>(announced, 0))))
      return budget.Exceeded();
  }
  return std::nullopt;
}

UnzipReport OverLimit(std::string what) {
  UnzipReport report;
  report.overLimit = std::move(what);
  return report;
}

}  // namespace

UnzipReport UnzipAll(const fs::path& zip, const fs::path& folder, const UnzipLimits& limits) {
  const Utf8NamesScope utf8Names;
  std::error_code ec;
  const std::uint64_t archiveSize = fs::file_size(zip, ec);
  if (ec) Fail(zip, ec.message());
  if (auto over = CheckAnnounced(zip, limits, archiveSize)) return OverLimit(std::move(*over));

  ArchiveReader reader = OpenZip(zip);
  fs::create_directories(folder, ec);
  const fs::path root = fs::canonical(folder, ec);
  if (ec) Fail(zip, "cannot create folder " + folder.string() + ": " + ec.message());
  ArchiveWriter writer = OpenDiskWriter();

  UnzipReport report;
  Budget budget(limits, archiveSize);
  WrittenPaths written;
  archive_entry* entry = nullptr;
  for (;;) {
    const int status = archive_read_next_header(reader.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN) Fail(zip, ArchiveMessage(reader.get()));
    const std::string name = EntryName(entry);
    const bool isFolder = archive_entry_filetype(entry) == AE_IFDIR;
    const bool within = budget.Enter(name, isFolder);
    const auto segments = SafeSegments(name);
    const auto target = within && segments && IsPlainFileOrFolder(entry)
                            ? TargetPath(root, *segments)
                            : std::nullopt;
    if (target) written.Add(*target, *segments, isFolder);
    const Outcome outcome =
        target ? ExtractEntryOrRemove(zip, reader.get(), writer, entry, target->path, budget)
               : Outcome::Refused;
    if (!within || outcome == Outcome::OverLimit) {
      writer.reset();  // closes a partial file before it is removed
      written.RemoveAll();
      return OverLimit(budget.Exceeded());
    }
    if (outcome == Outcome::Refused) {
      report.skipped.push_back(name);
      continue;
    }
    if (!isFolder) ++report.filesWritten;
  }
  return report;
}

}  // namespace platform
