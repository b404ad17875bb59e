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
#include <vector>

#include "platform/Zip.h"
#include "util/Error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kExtractFlags =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT;
constexpr size_t kReadBlockSize = 64 * 1024;

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

// The entry's full path under `folder`, or nothing when an existing link lies on the way.
// An existing link at the end of the path is removed, so the entry replaces the link itself
// rather than writing where it points.
std::optional<fs::path> TargetPath(const fs::path& folder,
                                   const std::vector<std::string>& segments) {
  fs::path path = folder;
  bool checking = true;  // no need to look further once a part of the path does not exist
  for (size_t i = 0; i < segments.size(); ++i) {
    path /= segments[i];
    if (!checking) continue;
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (!fs::exists(status)) {
      checking = false;
    } else if (fs::is_symlink(status)) {
      const bool last = i + 1 == segments.size();
      if (!last || !fs::remove(path, ec)) return std::nullopt;
    }
  }
  return path;
}

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

// Copies the entry's data; false when the writer refused it, Error when the archive is damaged.
bool CopyData(const fs::path& zip, archive* reader, archive* writer) {
  for (;;) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    const int status = archive_read_data_block(reader, &block, &size, &offset);
    if (status == ARCHIVE_EOF) return true;
    if (status < ARCHIVE_WARN) Fail(zip, ArchiveMessage(reader));
    if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_WARN) return false;
  }
}

// Writes one checked entry to `target`; false when the disk writer refused it.
bool ExtractEntry(const fs::path& zip, archive* reader, archive* writer, archive_entry* entry,
                  const fs::path& target) {
  const bool isFolder = archive_entry_filetype(entry) == AE_IFDIR;
  archive_entry_set_pathname(entry, target.c_str());
  archive_entry_set_perm(entry, isFolder ? 0755 : 0644);
  if (archive_write_header(writer, entry) < ARCHIVE_WARN) return false;
  bool written = isFolder || CopyData(zip, reader, writer);
  if (archive_write_finish_entry(writer) < ARCHIVE_WARN) written = false;
  return written;
}

void RemoveUnlessFolder(const fs::path& target) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(target, ec))) fs::remove(target, ec);
}

// As ExtractEntry, but a file left incomplete (refused by the disk or cut short by a damaged
// archive, which raises Error) is removed.
bool ExtractEntryOrRemove(const fs::path& zip, archive* reader, ArchiveWriter& writer,
                          archive_entry* entry, const fs::path& target) {
  try {
    if (ExtractEntry(zip, reader, writer.get(), entry, target)) return true;
    RemoveUnlessFolder(target);
    return false;
  } catch (const Error&) {
    writer.reset();  // closes the partial file
    RemoveUnlessFolder(target);
    throw;
  }
}

}  // namespace

UnzipReport UnzipAll(const fs::path& zip, const fs::path& folder) {
  const Utf8NamesScope utf8Names;
  ArchiveReader reader = OpenZip(zip);
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path root = fs::canonical(folder, ec);
  if (ec) Fail(zip, "cannot create folder " + folder.string() + ": " + ec.message());
  ArchiveWriter writer = OpenDiskWriter();

  UnzipReport report;
  archive_entry* entry = nullptr;
  for (;;) {
    const int status = archive_read_next_header(reader.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status < ARCHIVE_WARN) Fail(zip, ArchiveMessage(reader.get()));
    const std::string name = EntryName(entry);
    const auto segments = SafeSegments(name);
    const auto target =
        segments && IsPlainFileOrFolder(entry) ? TargetPath(root, *segments) : std::nullopt;
    if (!target || !ExtractEntryOrRemove(zip, reader.get(), writer, entry, *target)) {
      report.skipped.push_back(name);
      continue;
    }
    if (archive_entry_filetype(entry) == AE_IFREG) ++report.filesWritten;
  }
  return report;
}

}  // namespace platform
