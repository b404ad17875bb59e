// Zip writing over libarchive.
// Implements: ZipFolder of platform/Zip.h: a PKWARE zip with deflated file entries and folder
//   entries, names in UTF-8 whatever the process locale, sizes known up front (Zip64 where a
//   file needs it), modification times kept, permissions 0644 / 0755.
// Does not: follow or store links, store owners, permission bits or extended attributes, or
//   encrypt.

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Zip.h"
#include "util/Error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlockSize = 1 << 20;

struct WriterDeleter {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// Entry names are handed over as UTF-8; libarchive converts them through the thread's character
// set, which under the "C" locale cannot hold a non-ASCII name.
class Utf8Scope {
 public:
  Utf8Scope() : utf8_(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {
    if (utf8_ != locale_t{}) previous_ = uselocale(utf8_);
  }
  ~Utf8Scope() {
    if (utf8_ == locale_t{}) return;
    uselocale(previous_);
    freelocale(utf8_);
  }
  Utf8Scope(const Utf8Scope&) = delete;
  Utf8Scope& operator=(const Utf8Scope&) = delete;

 private:
  locale_t utf8_;
  locale_t previous_{};
};

la_ssize_t WriteToStream(archive*, void* client, const void* buffer, size_t length) {
  auto& out = *static_cast<std::ostream*>(client);
  out.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(length));
  return out ? static_cast<la_ssize_t>(length) : -1;
}

[[noreturn]] void Fail(const fs::path& path, const std::string& what) {
  throw Error("Cannot zip " + path.string() + ": " + what);
}

std::string Message(archive* a) {
  const char* message = archive_error_string(a);
  return message ? message : "unknown error";
}

// Every entry below `folder`, links not followed, in the order of their relative names.
std::vector<fs::directory_entry> Entries(const fs::path& folder) {
  std::vector<fs::directory_entry> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) entries.push_back(entry);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path() < b.path(); });
  return entries;
}

void WriteData(archive* zip, const fs::path& file, char* block) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(file, "cannot read the file");
  while (in) {
    in.read(block, kBlockSize);
    const auto got = static_cast<size_t>(in.gcount());
    if (got > 0 && archive_write_data(zip, block, got) != static_cast<la_ssize_t>(got))
      Fail(file, Message(zip));
  }
  if (in.bad()) Fail(file, "cannot read the file");
}

void AddEntry(archive* zip, const fs::path& folder, const fs::directory_entry& item, char* block) {
  const fs::file_status status = item.symlink_status();
  const bool isFolder = fs::is_directory(status);
  if (!isFolder && !fs::is_regular_file(status))
    Fail(item.path(), "only files and folders can be zipped");
  struct stat info {};
  if (::lstat(item.path().c_str(), &info) != 0) Fail(item.path(), "cannot read its attributes");
  std::string name = item.path().lexically_relative(folder).generic_string();
  if (isFolder) name += '/';

  const std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
  archive_entry_set_pathname_utf8(entry.get(), name.c_str());
  archive_entry_set_filetype(entry.get(), isFolder ? AE_IFDIR : AE_IFREG);
  archive_entry_set_perm(entry.get(), isFolder ? 0755 : 0644);
  archive_entry_set_size(entry.get(), isFolder ? 0 : info.st_size);
  archive_entry_set_mtime(entry.get(), info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  if (archive_write_header(zip, entry.get()) < ARCHIVE_WARN) Fail(item.path(), Message(zip));
  if (!isFolder) WriteData(zip, item.path(), block);
  if (archive_write_finish_entry(zip) < ARCHIVE_WARN) Fail(item.path(), Message(zip));
}

}  // namespace

void ZipFolder(const fs::path& folder, std::ostream& out) {
  const Utf8Scope utf8;
  const std::unique_ptr<archive, WriterDeleter> zip(archive_write_new());
  if (!zip) Fail(folder, "out of memory");
  if (archive_write_set_format_zip(zip.get()) != ARCHIVE_OK ||
      archive_write_set_options(zip.get(), "zip:compression=deflate") != ARCHIVE_OK ||
      archive_write_set_bytes_in_last_block(zip.get(), 1) != ARCHIVE_OK ||
      archive_write_open2(zip.get(), &out, nullptr, &WriteToStream, nullptr, nullptr) != ARCHIVE_OK)
    Fail(folder, Message(zip.get()));
  const auto block = std::make_unique_for_overwrite<char[]>(kBlockSize);
  for (const fs::directory_entry& item : Entries(folder))
    AddEntry(zip.get(), folder, item, block.get());
  if (archive_write_close(zip.get()) != ARCHIVE_OK) Fail(folder, Message(zip.get()));
  if (!out) Fail(folder, "cannot write the archive");
}

}  // namespace platform
