// `bookstub info` and `bookstub book`: load the two documents of a package without splitting it.

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/PackageReader.h"
#include "tools/BlobInventory.h"
#include "tools/Commands.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

struct LoadedPackage {
  TLMProject project;
  TMBook book;
};

// The same reads the opener does, without sending messages.
void Load(TPackageReader& reader, LoadedPackage& loaded) {
  const DocumentRanges documents = reader.LocateDocuments();
  loaded.project.LoadFromStream(reader.ReadBytes(documents.project));
  loaded.book.LoadFromStream(reader.ReadBytes(documents.book));
}

int FirstChapterPageCount(const TMBook& book) {
  return book.Chapters->Count() == 0 ? 0 : book.Chapters->Items(0).Pages->Count();
}

std::string JsonString(const std::string& text) {
  std::ostringstream out;
  out << '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\')
      out << '\\' << c;
    else if (c < 0x20)
      out << "\\u" << std::hex << std::setw(4) << std::setfill('0') << int(c) << std::dec;
    else
      out << c;
  }
  out << '"';
  return out.str();
}

void PrintJson(const LoadedPackage& p, const std::vector<TBlobEntry>& blobs) {
  std::cout << "{\"title\":" << JsonString(p.project.exetitle)
            << ",\"bookTitle\":" << JsonString(p.book.title)
            << ",\"chapters\":" << p.book.Chapters->Count()
            << ",\"pages\":" << FirstChapterPageCount(p.book) << ",\"blobs\":[";
  const char* separator = "";
  for (const auto& [b, inside] : blobs) {
    std::cout << separator << "{\"document\":" << JsonString(DocumentName(b.document))
              << ",\"property\":" << JsonString(b.property) << ",\"read\":\""
              << ReadStyleName(b.style) << "\",\"pos\":" << b.pos << ",\"size\":" << b.size
              << ",\"present\":" << (b.Present() ? "true" : "false")
              << ",\"inside\":" << (inside ? "true" : "false") << "}";
    separator = ",";
  }
  std::cout << "]}\n";
}

void PrintText(const LoadedPackage& p, const std::vector<TBlobEntry>& blobs) {
  std::cout << "Title: " << p.project.exetitle << '\n'
            << "Book title: " << p.book.title << '\n'
            << "Chapters: " << p.book.Chapters->Count() << '\n'
            << "Pages (first chapter): " << FirstChapterPageCount(p.book) << '\n'
            << "Blobs:\n";
  for (const auto& [b, inside] : blobs) {
    std::cout << "  " << std::left << std::setw(8) << DocumentName(b.document) << std::setw(44)
              << b.property << std::setw(7) << ReadStyleName(b.style) << "pos " << std::setw(11)
              << b.pos << "size " << std::setw(11) << b.size
              << (b.Present() ? (inside ? "present  inside" : "present  OUTSIDE THE FILE")
                              : "absent")
              << '\n';
  }
}

}  // namespace

bool CheckPackageReadable(const fs::path& package) {
  std::error_code ec;
  if (!fs::exists(package, ec)) {
    std::cerr << "bookstub: package not found: " << package.string() << '\n';
    return false;
  }
  if (fs::is_directory(package, ec)) {
    std::cerr << "bookstub: package is a folder, not a file: " << package.string() << '\n';
    return false;
  }
  if (!std::ifstream(package, std::ios::binary)) {
    std::cerr << "bookstub: cannot read package: " << package.string() << '\n';
    return false;
  }
  return true;
}

int RunInfoCommand(const fs::path& package, bool json) {
  TPackageReader reader(package);
  auto loaded = std::make_unique<LoadedPackage>();
  Load(reader, *loaded);
  const std::vector<TBlobEntry> blobs = ListBlobs(loaded->project, loaded->book, reader);
  json ? PrintJson(*loaded, blobs) : PrintText(*loaded, blobs);
  return kExitOk;
}

int RunBookCommand(const fs::path& package) {
  TPackageReader reader(package);
  auto loaded = std::make_unique<LoadedPackage>();
  Load(reader, *loaded);
  std::cout << loaded->book.SaveToText();
  return kExitOk;
}
