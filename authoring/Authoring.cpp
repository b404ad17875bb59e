#include "authoring/Authoring.h"

#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <system_error>

#include "authoring/AddressedDocuments.h"
#include "authoring/ListedDocument.h"
#include "authoring/OutputFolders.h"
#include "authoring/PackageWriter.h"
#include "authoring/SourceFolder.h"
#include "authoring/TableOfContents.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/BookBlobs.h"
#include "package/PackageProbe.h"
#include "package/PackageReader.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "platform/FileRead.h"
#include "platform/Os.h"
#include "platform/Zip.h"
#include "util/Error.h"
#include "util/IniText.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kProjectDocument = "project.xml";
constexpr const char* kBookDocument = "book.xml";
constexpr const char* kPackageProject = "the package's project document";
constexpr const char* kPackageBook = "the package's book document";

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

// The whole file `file`, a path checked to lie inside the source folder, read without
// following a link.
std::string ReadDocument(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) throw Error("Missing document " + Quoted(file));
  const auto in = platform::OpenFileWithoutLinks(file);
  std::string bytes(static_cast<std::size_t>(in->Size()), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t got = in->Read(bytes.data() + done, bytes.size() - done);
    if (got == 0) throw Error("Cannot read document " + Quoted(file));
    done += got;
  }
  return bytes;
}

// The package file being written: a temporary file beside the output, renamed over it by
// Commit and removed when anything ends the writing before.
class TOutputFile {
 public:
  explicit TOutputFile(const fs::path& output)
      : output_(output),
        temp_(output.parent_path() /
              ("." + output.filename().string() + ".part-" + platform::NewGuid())) {
    if (output.filename().empty()) throw Error("No output file named: " + Quoted(output));
    stream_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!stream_) throw Error("Cannot create " + Quoted(temp_));
  }
  ~TOutputFile() {
    if (committed_) return;
    stream_.close();
    std::error_code ec;
    fs::remove(temp_, ec);
  }
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  std::ostream& Stream() { return stream_; }

  // Closes the file, gives it the run bits and puts it in place of the output.
  void Commit() {
    stream_.close();
    if (!stream_) throw Error("Cannot write " + Quoted(temp_));
    fs::permissions(temp_, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    std::error_code ec;
    fs::rename(temp_, output_, ec);
    if (ec) throw Error("Cannot write " + Quoted(output_) + ": " + ec.message());
    committed_ = true;
  }

 private:
  fs::path output_;
  fs::path temp_;
  std::ofstream stream_;
  bool committed_ = false;
};

// The player's bytes at the start of a new package; the writer continues after them.
std::unique_ptr<TPackageWriter> StartPackage(const fs::path& player, std::ostream& out) {
  std::error_code ec;
  const std::uint64_t length = fs::file_size(player, ec);
  std::ifstream in(player, std::ios::binary);
  if (ec || !in || !fs::is_regular_file(player, ec))
    throw Error("Cannot read the player " + Quoted(player));
  auto writer = std::make_unique<TPackageWriter>(out, 0);
  try {
    writer->CopyRaw(in, length);
  } catch (const Error& e) {
    throw Error("Cannot read the player " + Quoted(player) + ": " + e.what());
  }
  return writer;
}

std::string Describe(const TBookBlob& blob) {
  return std::string(DocumentName(blob.document)) + " " + blob.property;
}

bool IsWebAddress(std::string_view name) {
  return name.find("://") != std::string_view::npos;
}

// --- pack -----------------------------------------------------------------------------------

// Every file is taken from the source folder through `folder_`: one that a link leads to from
// outside the folder is left out and noted, and the packing goes on, so that PackBook can name
// every such link at once.
class TPacker {
 public:
  TPacker(const fs::path& source, TSourceFolder& folder, const TAddressedDocuments& documents,
          TPackageWriter& writer)
      : source_(source), folder_(folder), documents_(documents), writer_(writer) {}

  BlobAddress Pack(const TBookBlob& blob) {
    fs::path at = source_;
    try {
      const BlobAddress address = PackBlob(blob, at);
      if (address.pos > blob.PosLimit())
        throw Error("the blob would end at byte " + std::to_string(address.pos) +
                    ", past the 2 GiB its address can reach");
      return address;
    } catch (const Error& e) {
      throw Error(Describe(blob) + " (" + at.string() + "): " + e.what());
    }
  }

 private:
  BlobAddress PackBlob(const TBookBlob& blob, fs::path& at) {
    switch (blob.kind) {
      case TBlobKind::PagePrint:
      case TBlobKind::ElementThumb:
        return {};
      case TBlobKind::NavButtons:
        return PackNavButtons(at = source_ / kNavBtnFolder);
      case TBlobKind::NavBar:
        return PackNavBar(at = source_ / kNavBarFolder);
      case TBlobKind::Languages:
      case TBlobKind::Flags:
        return PackArchive(at = source_ / blob.name);
      case TBlobKind::Toc:
        return PackToc(blob.name, at);
      case TBlobKind::Framework:
      case TBlobKind::Magnifier:
      case TBlobKind::Toolbar:
      case TBlobKind::InputBox:
      case TBlobKind::VideoSkin:
      case TBlobKind::ThumbMovie:
        return PackFixedFile(at = source_ / blob.name);
      default:
        return PackNamedFile(blob.name, at);
    }
  }

  BlobAddress PackNamedFile(const std::string& name, fs::path& at) {
    if (IsBlank(name) || IsWebAddress(name)) return {};
    at = JoinBookPath(source_, name);
    return PackFile(at);
  }

  // A table of contents the project names but the source book lacks is written from the book
  // document, so that a source book written by hand needs no more than its pictures.
  BlobAddress PackToc(const std::string& name, fs::path& at) {
    if (IsBlank(name) || IsWebAddress(name)) return {};
    at = JoinBookPath(source_, name);
    if (Exists(at)) return PackFile(at);
    return writer_.AddBlob(
        WriteTableOfContents(documents_.Book(), TocExtrasOf(documents_.Project())));
  }

  BlobAddress PackFixedFile(const fs::path& file) {
    if (!Exists(file)) return {};
    return PackFile(file);
  }

  BlobAddress PackFile(const fs::path& file) {
    const auto in = OpenFile(file);
    return in ? writer_.AddFileBlob(*in) : BlobAddress{};
  }

  // The file, opened at the real path it was checked at; null when a link leads to it from
  // outside the folder.
  std::unique_ptr<platform::ReadableFile> OpenFile(const fs::path& file) {
    const auto real = folder_.RealPath(file);
    if (!real) return nullptr;
    std::error_code ec;
    if (!fs::is_regular_file(*real, ec)) throw Error("no such file");
    return platform::OpenFileWithoutLinks(*real);
  }

  static bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
  }

  // The group's info.ini, read once; nothing when there is none or a link leads out to it.
  std::optional<std::string> ReadIni(const fs::path& folder) {
    const fs::path ini = folder / kGroupIniName;
    if (!Exists(ini)) return std::nullopt;
    const auto real = folder_.RealPath(ini);
    if (!real) return std::nullopt;
    return ReadDocument(*real);
  }

  BlobAddress PackNavButtons(const fs::path& folder) {
    const auto ini = ReadIni(folder);
    if (!ini) return {};
    const std::vector<std::string> names =
        FindIniValues(*ini, "info", std::span(kNavButtonKeys), "");
    writer_.BeginGroup();
    for (std::uint32_t type = 0; type < names.size(); ++type) {
      if (IsBlank(names[type])) continue;
      AddMember(type, folder, names[type],
                "info.ini key \"" + std::string(kNavButtonKeys[type]) + "\"");
    }
    return writer_.EndGroup(*ini);
  }

  BlobAddress PackNavBar(const fs::path& folder) {
    const auto ini = ReadIni(folder);
    if (!ini) return {};
    const TLMNavBar& navbar = *documents_.Project().navbar;
    writer_.BeginGroup();
    if (!IsBlank(navbar.topfile)) AddMember(kNavBarTopType, folder, navbar.topfile, "topfile");
    if (!IsBlank(navbar.bottomfile))
      AddMember(kNavBarBottomType, folder, navbar.bottomfile, "bottomfile");
    return writer_.EndGroup(*ini);
  }

  void AddMember(std::uint32_t type, const fs::path& folder, const std::string& name,
                 const std::string& namedBy) {
    const fs::path file = JoinBookPath(folder, name);
    const auto real = folder_.RealPath(file);
    if (!real) return;
    std::error_code ec;
    if (!fs::is_regular_file(*real, ec))
      throw Error(namedBy + " names " + Quoted(file) + ", which is no file");
    writer_.AddMemberFile(type, *platform::OpenFileWithoutLinks(*real));
  }

  BlobAddress PackArchive(const fs::path& folder) {
    const auto real = folder_.RealPath(folder);
    std::error_code ec;
    if (!real || !fs::is_directory(*real, ec) || fs::is_empty(*real, ec)) return {};
    return writer_.AddProducedBlob([&](std::ostream& out) { platform::ZipFolder(*real, out); });
  }

  const fs::path& source_;
  TSourceFolder& folder_;
  const TAddressedDocuments& documents_;
  TPackageWriter& writer_;
};

bool IsPageBlob(TBlobKind kind) {
  switch (kind) {
    case TBlobKind::ElementFile:
    case TBlobKind::VideoPreview:
    case TBlobKind::MobileImage:
    case TBlobKind::PageSearch:
    case TBlobKind::PageDownload:
    case TBlobKind::PagePrint:
    case TBlobKind::ElementThumb:
      return true;
    default:
      return false;
  }
}

// Packs the page's files and gives the page's text with their addresses, as it stands in the
// book document at `depth`.
std::string PackPage(TPacker& packer, TMPage& page, std::size_t index, int depth) {
  const std::vector<TBookBlob> blobs =
      ListPageBlobs(page, "Chapters[0].Pages[" + std::to_string(index) + "]");
  std::vector<std::pair<std::uint32_t, std::uint32_t>> addresses;
  addresses.reserve(blobs.size());
  for (const TBookBlob& blob : blobs) {
    const BlobAddress address = packer.Pack(blob);
    addresses.emplace_back(address.pos, address.size);
  }
  SetPageAddresses(page, addresses);
  return ListItemText(depth, [&](platform::XmlNode parent) {
    page.SaveToXML(parent.AddChild(TMBasicObjects::ItemElementName(page)));
  });
}

// A file of the packing's own, removed when it goes: written, then read back from its start.
class TScratchFile {
 public:
  explicit TScratchFile(fs::path path) : path_(std::move(path)) {
    stream_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    if (!stream_) throw Error("Cannot create " + Quoted(path_));
  }
  ~TScratchFile() {
    stream_.close();
    std::error_code ec;
    fs::remove(path_, ec);
  }
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;

  std::ostream& Stream() { return stream_; }
  // What was written; asked before Reread, which moves the one position of the file.
  std::uint64_t Length() { return static_cast<std::uint64_t>(stream_.tellp()); }
  std::istream& Reread() {
    stream_.flush();
    if (!stream_) throw Error("Cannot write " + Quoted(path_));
    stream_.seekg(0);
    return stream_;
  }

 private:
  fs::path path_;
  std::fstream stream_;
};

// --- unpack ---------------------------------------------------------------------------------

class TUnpacker {
 public:
  TUnpacker(TPackageReader& reader, const fs::path& folder, const TLMProject& project,
            TUnpackReport& report)
      : reader_(reader), folder_(folder), project_(project), report_(report) {}

  // `file` holds `range` of the package already, written by `owner`: a blob naming it with other
  // bytes is refused rather than written over it.
  void Hold(const fs::path& file, const std::string& owner, const BlobRange& range) {
    written_.try_emplace(file.lexically_normal(), TWritten{owner, range, true});
  }

  void Unpack(const TBookBlob& blob) {
    if (!blob.Present() || blob.style == TReadStyle::Unread) return;
    try {
      switch (blob.kind) {
        case TBlobKind::NavButtons:
          return UnpackNavButtons(blob);
        case TBlobKind::NavBar:
          return UnpackNavBar(blob);
        case TBlobKind::Languages:
        case TBlobKind::Flags:
          return UnpackArchive(blob);
        default:
          return UnpackFile(blob);
      }
    } catch (const Error& e) {
      throw Error(Describe(blob) + ": " + e.what());
    }
  }

 private:
  BlobRange Range(const TBookBlob& blob) {
    return blob.style == TReadStyle::BySuffix ? reader_.BySuffix(blob.pos)
                                              : reader_.BySize(blob.pos, blob.size);
  }

  void UnpackFile(const TBookBlob& blob) {
    if (IsBlank(blob.name)) {
      report_.notes.push_back(Describe(blob) + " has a file in the package but no name: left out");
      return;
    }
    Write(JoinBookPath(folder_, blob.name), Range(blob), Describe(blob));
  }

  // Writes one file. A later blob for the same path with other bytes replaces it, as in the
  // player's split, with one note per path; a held file is never replaced. Blobs may share bytes,
  // but a package whose addresses name the same bytes over and over is refused before it fills
  // the disk.
  void Write(const fs::path& file, const BlobRange& range, const std::string& owner) {
    const auto [earlier, added] =
        written_.try_emplace(file.lexically_normal(), TWritten{owner, range});
    if (!added && earlier->second.range == range) return;
    Spend(range.length);
    if (!added) {
      if (SameBytes(file, range)) return;
      if (earlier->second.held)
        throw Error(Quoted(file) + " is named by " + earlier->second.owner +
                    " too, with different bytes");
      if (replaced_.insert(earlier->first).second)
        report_.notes.push_back(
            Quoted(file) + " is named by " + earlier->second.owner + " and by " + owner +
            " with different bytes: the later bytes kept, as the player's split keeps them");
      earlier->second = TWritten{owner, range};
    }
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    reader_.CopyToFile(range, file);
  }

  void Spend(std::uint64_t bytes) {
    const std::uint64_t budget = kBlobBytesPerPackageByte * reader_.FileSize();
    if (bytes > budget - spent_)
      throw Error("the package's addresses name its bytes more than " +
                  std::to_string(kBlobBytesPerPackageByte) + " times over");
    spent_ += bytes;
  }

  bool SameBytes(const fs::path& file, const BlobRange& range) {
    std::error_code ec;
    if (fs::file_size(file, ec) != range.length || ec) return false;
    std::ifstream in(file, std::ios::binary);
    constexpr std::uint64_t kChunk = 1 << 20;
    for (std::uint64_t done = 0; done < range.length; done += kChunk) {
      const std::uint64_t length = std::min(kChunk, range.length - done);
      std::string mine(static_cast<std::size_t>(length), '\0');
      in.read(mine.data(), static_cast<std::streamsize>(length));
      if (!in || mine != reader_.ReadBytes({range.start + done, length})) return false;
    }
    return true;
  }

  void UnpackNavButtons(const TBookBlob& blob) {
    const fs::path folder = folder_ / kNavBtnFolder;
    TGroupWalker group = reader_.WalkGroup(blob.pos, blob.size);
    const fs::path ini = folder / kGroupIniName;
    Write(ini, group.Head(), Describe(blob));
    std::vector<std::string> names;
    names.reserve(std::size(kNavButtonKeys));
    for (std::string_view key : kNavButtonKeys) names.push_back(ReadIniText(ini, "info", key, ""));
    UnpackMembers(blob, group, folder, [&](std::uint32_t type) {
      return type < names.size() ? names[type] : std::string();
    });
  }

  void UnpackNavBar(const TBookBlob& blob) {
    const fs::path folder = folder_ / kNavBarFolder;
    TGroupWalker group = reader_.WalkGroup(blob.pos, blob.size);
    Write(folder / kGroupIniName, group.Head(), Describe(blob));
    UnpackMembers(blob, group, folder, [&](std::uint32_t type) {
      if (type == kNavBarTopType) return project_.navbar->topfile;
      if (type == kNavBarBottomType) return project_.navbar->bottomfile;
      return std::string();
    });
  }

  // Each member whose type names a file; the others are counted in one note.
  template <class NameOf>
  void UnpackMembers(const TBookBlob& blob, TGroupWalker& group, const fs::path& folder,
                     NameOf nameOf) {
    GroupMember member;
    std::uint64_t unnamed = 0;
    while (group.Next(member)) {
      const std::string name = nameOf(member.type);
      if (IsBlank(name)) {
        ++unnamed;
        continue;
      }
      Write(JoinBookPath(folder, name), member.data, Describe(blob));
    }
    if (unnamed > 0)
      report_.notes.push_back(Describe(blob) + ": " + std::to_string(unnamed) +
                              " member(s) left out, their type names no file");
  }

  // The archive is written where the split writes it, unpacked beside itself and deleted; a
  // damaged archive leaves what it could unpack, as in the split.
  void UnpackArchive(const TBookBlob& blob) {
    const fs::path folder = folder_ / blob.name;
    const fs::path archive =
        folder / (blob.kind == TBlobKind::Languages ? "langs.zip" : "flag.zip");
    std::error_code ec;
    fs::create_directories(folder, ec);
    reader_.CopyToFile(reader_.BySuffix(blob.pos), archive);
    try {
      const platform::UnzipReport unzipped = platform::UnzipAll(archive, folder);
      if (!unzipped.skipped.empty())
        report_.notes.push_back(Describe(blob) + ": " + std::to_string(unzipped.skipped.size()) +
                                " entry(ies) left out as unsafe, the first \"" +
                                unzipped.skipped.front() + "\"");
    } catch (const Error& e) {
      report_.notes.push_back(Describe(blob) + " could not be unpacked whole: " + e.what());
    }
    fs::remove(archive, ec);
  }

  TPackageReader& reader_;
  const fs::path& folder_;
  const TLMProject& project_;
  TUnpackReport& report_;
  struct TWritten {
    std::string owner;
    BlobRange range;
    bool held = false;  // one of the documents: never written over
  };
  static constexpr std::uint64_t kBlobBytesPerPackageByte = 4;
  std::map<fs::path, TWritten> written_;
  std::set<fs::path> replaced_;  // paths a later blob wrote again with other bytes
  std::uint64_t spent_ = 0;
};

// Empties the unpacking folder unless the unpacking got to its end.
class TFolderGuard {
 public:
  explicit TFolderGuard(const fs::path& folder) : folder_(folder) {}
  ~TFolderGuard() {
    if (done_) return;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec))
      if (entry.is_directory(ec) && !entry.is_symlink(ec))
        DeleteFolderTree(entry.path());
      else
        fs::remove(entry.path(), ec);
  }
  TFolderGuard(const TFolderGuard&) = delete;
  TFolderGuard& operator=(const TFolderGuard&) = delete;
  void Done() { done_ = true; }

 private:
  const fs::path& folder_;
  bool done_ = false;
};

void PrepareEmptyFolder(const fs::path& folder) {
  RequireMissingOrEmptyFolder(folder);
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw Error("Cannot create " + Quoted(folder) + ": " + ec.message());
}

// --- restub ---------------------------------------------------------------------------------

// Where a present blob starts; Error when it reaches into the documents or out of the file.
std::uint64_t BlobStart(TPackageReader& reader, const TBookBlob& blob, std::uint64_t documents) {
  if (blob.pos > documents) throw Error(Describe(blob) + " overlaps the documents");
  try {
    switch (blob.style) {
      case TReadStyle::BySuffix:
        return reader.BySuffix(blob.pos).start;
      case TReadStyle::Group:
        if (blob.size > blob.pos) throw Error(kStreamReadError);
        return blob.pos - blob.size;
      default:
        return reader.BySize(blob.pos, blob.size).start;
    }
  } catch (const Error& e) {
    throw Error(Describe(blob) + " does not lie inside the package: " + e.what());
  }
}

// Refuses a file that carries no book as the player does, before its end is read as a package.
void RequireBook(const fs::path& file) {
  const TPackageProbe probe = ProbePackage(file);
  if (probe.kind == TPackageProbe::TKind::Unreadable) throw Error(probe.reason);
  if (probe.kind == TPackageProbe::TKind::None) throw Error(CarriesNoBookMessage(file));
}

}  // namespace

void PackBook(const fs::path& player, const fs::path& source, const fs::path& output) {
  TSourceFolder folder(source);
  const auto projectFile = folder.RealPath(source / kProjectDocument);
  const auto bookFile = folder.RealPath(source / kBookDocument);
  folder.RefuseLinksLeadingOut();  // nothing more can be read without the documents
  const TAddressedDocuments documents(
      ReadDocument(*projectFile), ReadDocument(*bookFile), (source / kProjectDocument).string(),
      (source / kBookDocument).string(), TAddressedDocuments::TUse::Fill);
  TOutputFile out(output);
  const auto writer = StartPackage(player, out.Stream());
  TPacker packer(source, folder, documents, *writer);
  std::vector<BlobAddress> addresses;
  for (const TBookBlob& blob : documents.Blobs()) addresses.push_back(packer.Pack(blob));
  folder.RefuseLinksLeadingOut();
  const TDocumentTexts texts = documents.WithAddresses(addresses);
  writer->Finish(texts.project, texts.book);
  out.Commit();
}

void PackPagedBook(const fs::path& player, const fs::path& source, const TPagedSourceBook& book,
                   const fs::path& output) {
  if (book.pages.count == 0) throw Error("A book needs at least one page");
  const int depth = TListedDocument(book.book).Depth();
  TSourceFolder folder(source);
  const TAddressedDocuments documents(book.project, book.book, (source / kProjectDocument).string(),
                                      (source / kBookDocument).string(),
                                      TAddressedDocuments::TUse::Fill);
  TOutputFile out(output);
  const auto writer = StartPackage(player, out.Stream());
  TPacker packer(source, folder, documents, *writer);
  TScratchFile pagesText(source / ".pages.xml");
  // The placeholder is the one page the documents hold: the pages take the place of its blobs.
  const std::vector<TBookBlob>& blobs = documents.Blobs();
  std::vector<BlobAddress> addresses(blobs.size());
  bool pagesPacked = false;
  for (std::size_t i = 0; i < blobs.size(); ++i) {
    if (!IsPageBlob(blobs[i].kind)) {
      addresses[i] = packer.Pack(blobs[i]);
    } else if (!pagesPacked) {
      for (std::size_t p = 0; p < book.pages.count; ++p)
        pagesText.Stream() << PackPage(packer, book.pages.page(p), p, depth);
      pagesPacked = true;
    }
  }
  if (!pagesPacked) throw Error("The book document has no place for its pages");
  folder.RefuseLinksLeadingOut();
  const std::uint64_t pagesLength = pagesText.Length();
  TDocumentTexts texts = documents.WithAddresses(addresses);
  const TListedDocument around(std::move(texts.book));
  writer->Finish(texts.project, [&] {
    writer->AddRaw(around.Before());
    writer->CopyRaw(pagesText.Reread(), pagesLength);
    writer->AddRaw(around.After());
  });
  out.Commit();
}

TUnpackReport UnpackBook(const fs::path& package, const fs::path& folder) {
  RequireBook(package);
  TPackageReader reader(package);
  PrepareEmptyFolder(folder);
  TFolderGuard guard(folder);
  const DocumentRanges ranges = reader.LocateDocuments();
  const std::string projectText = reader.ReadBytes(ranges.project);
  const std::string bookText = reader.ReadBytes(ranges.book);
  WriteWholeFile(folder / kProjectDocument, projectText);
  WriteWholeFile(folder / kBookDocument, bookText);
  const auto project = LoadProjectDocument(projectText, kPackageProject);
  const auto book = LoadBookDocument(bookText, kPackageBook);
  const std::vector<TBookBlob> blobs = ListBookBlobs(*project, *book);
  TUnpackReport report;
  TUnpacker unpacker(reader, folder, *project, report);
  // A page element named like a document must not replace it.
  unpacker.Hold(folder / kProjectDocument, kPackageProject, ranges.project);
  unpacker.Hold(folder / kBookDocument, kPackageBook, ranges.book);
  // The archives first, as in the split, so that a file named below their folders wins.
  for (const TBookBlob& blob : blobs)
    if (blob.IsArchive()) unpacker.Unpack(blob);
  for (const TBookBlob& blob : blobs)
    if (!blob.IsArchive()) unpacker.Unpack(blob);
  guard.Done();
  return report;
}

void RestubBook(const fs::path& player, const fs::path& input, const fs::path& output) {
  RequireBook(input);
  TPackageReader reader(input);
  const DocumentRanges ranges = reader.LocateDocuments();
  const TAddressedDocuments documents(reader.ReadBytes(ranges.project),
                                      reader.ReadBytes(ranges.book), kPackageProject, kPackageBook,
                                      TAddressedDocuments::TUse::Move);
  std::uint64_t start = ranges.book.start;
  for (const TBookBlob& blob : documents.Blobs())
    if (blob.Present()) start = std::min(start, BlobStart(reader, blob, ranges.book.start));

  std::error_code ec;
  const std::uint64_t stubLength = fs::file_size(player, ec);
  if (ec) throw Error("Cannot read the player " + Quoted(player));
  const TDocumentTexts texts = documents.WithMovedPositions(start, stubLength);

  TOutputFile out(output);
  const auto writer = StartPackage(player, out.Stream());
  std::ifstream in(input, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(start));
  if (!in) throw Error("Cannot read " + Quoted(input));
  writer->CopyRaw(in, ranges.book.start - start);
  writer->Finish(texts.project, texts.book);
  out.Commit();
}
