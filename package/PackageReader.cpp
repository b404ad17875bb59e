#include "package/PackageReader.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <system_error>

#include "platform/FileCopy.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void FailRead() {
  throw Error(kStreamReadError);
}

// Blobs of books made by other tools start anywhere in a page. Where the kernel copies between
// the two files, its copy is the cheapest for such a blob too (a mapping written out costs three
// times as much, reads and writes through a buffer as much or more). Where it refuses (the
// working folder on another file system), the buffer's reads start on the source's page
// boundaries, into memory that starts on one: written to ext4, reads from mid-page cost twice
// the processor time (scripts/bench, the copies phase).
constexpr std::uint64_t kSourcePage = 4096;

struct FreeMemory {
  void operator()(char* memory) const { std::free(memory); }
};

}  // namespace

TPackageReader::TPackageReader(const fs::path& file, KernelCopy kernelCopy)
    : file_(file), kernelCopy_(std::move(kernelCopy)) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) throw Error("Cannot open file \"" + file.string() + "\"");
  size_ = fs::file_size(file, ec);
  if (ec) throw Error("Cannot open file \"" + file.string() + "\": " + ec.message());
  stream_.open(file, std::ios::binary);
  if (!stream_) throw Error("Cannot open file \"" + file.string() + "\"");
}

void TPackageReader::CheckRange(const BlobRange& range) const {
  // Both values are at most a file size, so the sum cannot wrap.
  if (range.start > size_ || range.length > size_ - range.start) FailRead();
}

void TPackageReader::ReadInto(std::uint64_t offset, char* buffer, std::size_t length) {
  CheckRange({offset, length});
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(buffer, static_cast<std::streamsize>(length));
  if (static_cast<std::size_t>(stream_.gcount()) != length) FailRead();
}

std::uint32_t TPackageReader::ReadUInt32At(std::uint64_t offset) {
  unsigned char bytes[4];
  ReadInto(offset, reinterpret_cast<char*>(bytes), sizeof bytes);
  return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
         (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

DocumentRanges TPackageReader::LocateDocuments() {
  const BlobRange project = LocateProjectDocument();
  return {project, LocateBookDocument(project.start)};
}

BlobRange TPackageReader::LocateProjectDocument() {
  if (size_ < 4) FailRead();
  const std::uint64_t projectLength = ReadUInt32At(size_ - 4);
  if (projectLength > size_ - 4) FailRead();
  return {size_ - 4 - projectLength, projectLength};
}

BlobRange TPackageReader::LocateBookDocument(std::uint64_t projectStart) {
  if (projectStart < 4 || projectStart > size_) FailRead();
  const std::uint64_t bookLength = ReadUInt32At(projectStart - 4);
  if (bookLength > projectStart - 4) FailRead();
  return {projectStart - 4 - bookLength, bookLength};
}

BlobRange TPackageReader::BySuffix(std::uint32_t pos) {
  if (pos < 4 || pos > size_) FailRead();
  const std::uint64_t length = ReadUInt32At(pos - 4);
  if (length > pos - 4u) FailRead();
  return {pos - 4 - length, length};
}

BlobRange TPackageReader::BySize(std::uint32_t pos, std::uint32_t size) const {
  if (size < 4 || size > pos || pos > size_) FailRead();
  const BlobRange range{std::uint64_t{pos} - size, std::uint64_t{size} - 4};
  CheckRange(range);
  return range;
}

TGroupWalker TPackageReader::WalkGroup(std::uint32_t pos, std::uint32_t size) {
  return TGroupWalker(*this, pos, size);
}

TGroupWalker::TGroupWalker(TPackageReader& reader, std::uint32_t pos, std::uint32_t size)
    : reader_(reader), limit_(0), cursor_(0) {
  if (size > pos) FailRead();
  limit_ = std::uint64_t{pos} - size;
  head_ = reader_.BySuffix(pos);
  cursor_ = head_.start;
}

bool TGroupWalker::Next(GroupMember& member) {
  if (cursor_ <= limit_) return false;
  if (cursor_ < 8) FailRead();
  const std::uint64_t length = reader_.ReadUInt32At(cursor_ - 4);
  const std::uint32_t type = reader_.ReadUInt32At(cursor_ - 8);
  if (length > cursor_ - 8) FailRead();
  cursor_ = cursor_ - 8 - length;
  member.type = type;
  member.data = {cursor_, length};
  return true;
}

std::string TPackageReader::ReadBytes(const BlobRange& range) {
  CheckRange(range);
  std::string bytes(static_cast<std::size_t>(range.length), '\0');
  if (!bytes.empty()) ReadInto(range.start, bytes.data(), bytes.size());
  return bytes;
}

void TPackageReader::CopyToFile(const BlobRange& range, const fs::path& destination) {
  CheckRange(range);
  try {
    const std::uint64_t done = kernelCopy_(file_, range.start, range.length, destination);
    if (done < range.length)
      AppendToFile({range.start + done, range.length - done}, destination, done > 0);
  } catch (...) {
    std::error_code ec;
    fs::remove(destination, ec);
    throw;
  }
}

// The part of a blob the kernel did not copy, through a bounded buffer; the destination is
// created anew unless the kernel wrote its start. Every read but the first starts on a page
// boundary of the source.
void TPackageReader::AppendToFile(const BlobRange& range, const fs::path& destination,
                                  bool append) {
  std::ofstream out(destination, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (!out) throw Error("Cannot create file \"" + destination.string() + "\"");
  const std::uint64_t bufferSize = std::min<std::uint64_t>(range.length, kCopyBufferSize);
  const std::size_t allocated = (bufferSize + kSourcePage - 1) / kSourcePage * kSourcePage;
  const std::unique_ptr<char, FreeMemory> buffer(
      static_cast<char*>(std::aligned_alloc(kSourcePage, std::max(allocated, kSourcePage))));
  if (!buffer) throw std::bad_alloc();
  std::uint64_t done = 0;
  while (done < range.length) {
    const std::uint64_t toBoundary = kCopyBufferSize - (range.start + done) % kSourcePage;
    const auto chunk =
        static_cast<std::size_t>(std::min({range.length - done, bufferSize, toBoundary}));
    ReadInto(range.start + done, buffer.get(), chunk);
    out.write(buffer.get(), static_cast<std::streamsize>(chunk));
    if (!out) throw Error("Cannot write file \"" + destination.string() + "\"");
    done += chunk;
  }
  out.close();
  if (!out) throw Error("Cannot write file \"" + destination.string() + "\"");
}
