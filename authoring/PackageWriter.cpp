#include "authoring/PackageWriter.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "platform/FileRead.h"
#include "util/Error.h"
#include "util/LittleEndian.h"

namespace {

constexpr std::size_t kCopyBufferSize = 1 << 20;

// A file blob this large starts on a page boundary of the package file: the kernel then copies it
// out as fast as a whole file, where a blob starting mid-page costs it two thirds more. Smaller
// blobs are not worth the padding.
constexpr std::uint64_t kAlignedBlobMin = 1 << 20;
constexpr std::uint64_t kBlobAlignment = 4096;

}  // namespace

TPackageWriter::TPackageWriter(std::ostream& out, std::uint64_t offset)
    : out_(out),
      offset_(offset),
      buffer_(std::make_unique_for_overwrite<char[]>(kCopyBufferSize)) {}

TPackageWriter::~TPackageWriter() = default;

void TPackageWriter::Write(const char* bytes, std::uint64_t length) {
  out_.write(bytes, static_cast<std::streamsize>(length));
  if (!out_) throw Error("Cannot write the package");
  offset_ += length;
}

void TPackageWriter::WriteUInt32(std::uint64_t value) {
  if (value > 0xFFFFFFFFu)
    throw Error("A length of " + std::to_string(value) +
                " bytes does not fit a 32-bit length field");
  std::string bytes;
  Put32(bytes, static_cast<std::uint32_t>(value));
  Write(bytes.data(), bytes.size());
}

BlobAddress TPackageWriter::Address(std::uint64_t pos, std::uint64_t size) const {
  if (pos > kMaxPos)
    throw Error("The blob would end at byte " + std::to_string(pos) +
                ", past the 4 GiB that package addresses reach");
  return {static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(size)};
}

void TPackageWriter::AddRaw(std::string_view bytes) {
  Write(bytes.data(), bytes.size());
}

void TPackageWriter::CopyRaw(std::istream& in, std::uint64_t length) {
  while (length > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBufferSize));
    in.read(buffer_.get(), static_cast<std::streamsize>(chunk));
    if (static_cast<std::size_t>(in.gcount()) != chunk) throw Error(kStreamReadError);
    Write(buffer_.get(), chunk);
    length -= chunk;
  }
}

std::uint64_t TPackageWriter::CopyFile(platform::ReadableFile& file) {
  std::uint64_t copied = 0;
  while (const std::size_t got = file.Read(buffer_.get(), kCopyBufferSize)) {
    Write(buffer_.get(), got);
    copied += got;
  }
  return copied;
}

BlobAddress TPackageWriter::AddBlob(std::string_view bytes) {
  Write(bytes.data(), bytes.size());
  WriteUInt32(bytes.size());
  return Address(offset_, bytes.size() + 4);
}

BlobAddress TPackageWriter::AddFileBlob(platform::ReadableFile& file) {
  // Readers find a blob's bytes by its address alone: the zeros before it belong to no blob.
  if (file.Size() >= kAlignedBlobMin && offset_ % kBlobAlignment != 0) {
    const std::string padding(kBlobAlignment - offset_ % kBlobAlignment, '\0');
    Write(padding.data(), padding.size());
  }
  const std::uint64_t length = CopyFile(file);
  WriteUInt32(length);
  return Address(offset_, length + 4);
}

BlobAddress TPackageWriter::AddProducedBlob(const std::function<void(std::ostream&)>& produce) {
  const auto before = out_.tellp();
  produce(out_);
  const auto after = out_.tellp();
  if (!out_ || before < 0 || after < before) throw Error("Cannot write the package");
  const auto length = static_cast<std::uint64_t>(after - before);
  offset_ += length;
  WriteUInt32(length);
  return Address(offset_, length + 4);
}

void TPackageWriter::BeginGroup() {
  groupStart_ = offset_;
}

void TPackageWriter::AddMember(std::uint32_t type, std::string_view bytes) {
  Write(bytes.data(), bytes.size());
  WriteUInt32(type);
  WriteUInt32(bytes.size());
}

void TPackageWriter::AddMemberFile(std::uint32_t type, platform::ReadableFile& file) {
  const std::uint64_t length = CopyFile(file);
  WriteUInt32(type);
  WriteUInt32(length);
}

BlobAddress TPackageWriter::EndGroup(std::string_view head) {
  const BlobAddress headAddress = AddBlob(head);
  return Address(headAddress.pos, headAddress.pos - groupStart_);
}

void TPackageWriter::Finish(std::string_view projectXml, std::string_view bookXml) {
  Finish(projectXml, [&] { AddRaw(bookXml); });
}

void TPackageWriter::Finish(std::string_view projectXml, const std::function<void()>& writeBook) {
  const std::uint64_t bookStart = offset_;
  writeBook();
  WriteUInt32(offset_ - bookStart);
  Write(projectXml.data(), projectXml.size());
  WriteUInt32(projectXml.size());
  out_.flush();
  if (!out_) throw Error("Cannot write the package");
}
