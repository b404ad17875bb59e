#include "authoring/WebExport.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "authoring/CompressedCopies.h"
#include "authoring/OutputFolders.h"
#include "model/settings/LMProjects.h"
#include "package/BookMessages.h"
#include "package/ProSaver.h"
#include "package/uPathGetter.h"
#include "platform/Compression.h"
#include "site/SiteLayout.h"
#include "util/Error.h"
#include "util/XmlChars.h"

namespace fs = std::filesystem;

namespace {

// Progress: the split up to here, then the compressed copies of the book's files.
constexpr int kSplitShare = 80;

// The split's messages, as a share of the whole export.
class TSplitProgress : public BookMessageTarget {
 public:
  explicit TSplitProgress(const std::function<void(int)>& progress) : progress_(progress) {}

  void Send(const BookMessage& message) override {
    if (message.id == WM_BOOK_LOADED) loaded_ = true;
    if (message.id != WM_BOOK_PROGRESS) return;
    if (const auto percent = ProgressPercent(message.wParam, message.lParam))
      progress_(*percent * kSplitShare / 100);
  }
  bool Loaded() const { return loaded_; }

 private:
  const std::function<void(int)>& progress_;
  bool loaded_ = false;
};

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) throw Error("Cannot read " + file.string());
  return bytes;
}

// Writes the compressed copies of `file` that are given; returns their bytes.
std::uintmax_t WriteCopies(const fs::path& file, std::string_view gzip, std::string_view brotli) {
  if (!gzip.empty()) WriteWholeFile(fs::path(file) += kGzipSuffix, gzip);
  if (!brotli.empty()) WriteWholeFile(fs::path(file) += kBrotliSuffix, brotli);
  return gzip.size() + brotli.size();
}

// `text` for an HTML element's content.
std::string HtmlText(std::string_view text) {
  std::string html;
  for (const char c : XmlSafeText(text)) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      default:
        html += c;
    }
  }
  return html;
}

// Whether `text` is UTF-8 (a name the page can be told in JSON and ask for in a URL).
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      json += "\\u00";
      json += kHex[(c >> 4) & 0xF];
      json += kHex[c & 0xF];
    } else {
      json += c;
    }
  }
  return json + '"';
}

// Removes the folders of the split's layout that the book left empty, deepest first.
void RemoveEmptyFolders(const fs::path& folder) {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_directory() && !entry.is_symlink()) folders.push_back(entry.path());
  std::sort(folders.rbegin(), folders.rend());
  std::error_code error;
  for (const fs::path& inner : folders)
    if (fs::is_empty(inner, error)) fs::remove(inner, error);
}

// The book's regular files, relative to `bookFolder`, "/" separated, sorted. Names that are
// not UTF-8 could not be asked for by the page and are left out.
std::vector<std::string> ListBookFiles(const fs::path& bookFolder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(bookFolder)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    std::string name = entry.path().lexically_relative(bookFolder).generic_string();
    if (IsUtf8(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Splits the book into `root`/files/ as the player splits it into its working folder.
std::string SplitBook(const fs::path& book, const fs::path& root,
                      const std::function<void(int)>& progress) {
  PrepareRunFolderAt(root);
  TSplitProgress messages(progress);
  TProjectOpener opener(&messages);
  opener.Open(book);
  opener.SplitAll();
  if (!messages.Loaded()) throw Error("The book " + book.string() + " was not split whole");
  return opener.Project().exetitle;
}

}  // namespace

std::string BookFileList(const std::vector<std::string>& names) {
  std::string json = "{\"version\":1,\"files\":[";
  for (std::size_t i = 0; i < names.size(); ++i) json += (i ? ",\n" : "\n") + JsonString(names[i]);
  return json + "\n]}\n";
}

std::string PageWithTitle(std::string_view page, std::string_view title) {
  constexpr std::string_view kPlaceholder = "<title>Book</title>";
  std::string text(page);
  const auto at = text.find(kPlaceholder);
  if (at == std::string::npos || title.empty()) return text;
  return text.replace(at, kPlaceholder.size(), "<title>" + HtmlText(title) + "</title>");
}

TWebExportReport ExportWebSite(const TWebExportRequest& request,
                               const std::function<void(int)>& progress) {
  // "site/" and "site/." name the folder "site": the scratch folder goes beside it.
  fs::path site = fs::weakly_canonical(fs::absolute(request.site));
  if (!site.has_filename()) site = site.parent_path();
  RequireMissingOrEmptyFolder(site);
  std::error_code error;
  fs::create_directories(site.parent_path(), error);
  TScratchFolder scratch(site, "export");
  const fs::path& root = scratch.Path();

  TWebExportReport report;
  report.title = SplitBook(request.book, root, progress);
  const fs::path bookFolder = root / kSiteBookFolder;
  RemoveEmptyFolders(bookFolder);
  const std::vector<std::string> names = ListBookFiles(bookFolder);
  report.bookFiles = names.size();

  // The files the export writes itself get their copies here; the others carry theirs.
  const auto writeMade = [&](const fs::path& file, const std::string& bytes) {
    const TCompressedCopies copies =
        request.compressedCopies ? CompressedCopies(bytes) : TCompressedCopies{};
    WriteWholeFile(file, bytes);
    report.copyBytes += WriteCopies(file, copies.gzip, copies.brotli);
  };
  writeMade(root / kSiteFileList, BookFileList(names));
  for (const TSiteFile& file : request.siteFiles) {
    const std::string bytes = file.bytes.empty() && !file.gzip.empty()
                                  ? platform::GunzipBytes(file.gzip, kMaxSiteFileBytes)
                                  : std::string(file.bytes);
    const fs::path target = root / fs::path(file.name);
    if (file.name == kSitePage) {
      writeMade(target, PageWithTitle(bytes, report.title));
    } else {
      WriteWholeFile(target, bytes);
      if (request.compressedCopies) report.copyBytes += WriteCopies(target, file.gzip, file.brotli);
    }
  }

  if (request.compressedCopies) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      const fs::path file = bookFolder / fs::path(names[i]);
      const std::uintmax_t size = fs::file_size(file);
      std::string head(3, '\0');
      std::ifstream(file, std::ios::binary).read(head.data(), 3);
      if (WorthCompressing(file, head, size)) {
        const TCompressedCopies copies = CompressedCopies(ReadFile(file));
        report.copyBytes += WriteCopies(file, copies.gzip, copies.brotli);
      }
      progress(kSplitShare + static_cast<int>((i + 1) * (100 - kSplitShare) / names.size()));
    }
  }
  progress(100);

  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) report.siteBytes += entry.file_size();
  report.siteBytes -= report.copyBytes;
  scratch.MoveTo(site);
  return report;
}
