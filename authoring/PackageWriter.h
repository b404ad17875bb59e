#pragma once
// Writes a book package behind a stub image, streaming: blobs and blob groups in the order they
// are added, then the book document, its length, the project document and its length. Every
// Add returns the package address (pos, size) to store in the documents. File blobs are copied
// through a bounded buffer, so memory stays flat whatever the book's size.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string_view>

namespace platform {
class ReadableFile;
}

struct BlobAddress {
  std::uint32_t pos = 0;
  std::uint32_t size = 0;
  bool operator==(const BlobAddress&) const = default;
};

class TPackageWriter {
 public:
  // `out` already holds `offset` bytes (the stub image) and is positioned at their end.
  TPackageWriter(std::ostream& out, std::uint64_t offset);
  ~TPackageWriter();
  TPackageWriter(const TPackageWriter&) = delete;
  TPackageWriter& operator=(const TPackageWriter&) = delete;

  std::uint64_t Offset() const { return offset_; }

  // Unframed bytes.
  void AddRaw(std::string_view bytes);
  // `length` unframed bytes from `in`, from its current position.
  void CopyRaw(std::istream& in, std::uint64_t length);

  // A plain blob: the bytes, then their length.
  BlobAddress AddBlob(std::string_view bytes);
  // A file's bytes, read to its end. A file of 1 MiB or more starts on a 4 KiB boundary of the
  // package file, after zeros.
  BlobAddress AddFileBlob(platform::ReadableFile& file);
  // A plain blob whose bytes `produce` writes to the stream.
  BlobAddress AddProducedBlob(const std::function<void(std::ostream&)>& produce);

  // A blob group: its members (lowest offset first), each followed by its type and length, then
  // the head blob. The group's address: pos just past the head's length field, size the whole.
  void BeginGroup();
  void AddMember(std::uint32_t type, std::string_view bytes);
  void AddMemberFile(std::uint32_t type, platform::ReadableFile& file);
  BlobAddress EndGroup(std::string_view head);

  // The two documents with their lengths: the end of the package.
  void Finish(std::string_view projectXml, std::string_view bookXml);
  // The same with the book document written by `writeBook`, through AddRaw and CopyRaw.
  void Finish(std::string_view projectXml, const std::function<void()>& writeBook);

  // Package addresses are 32-bit: the highest offset a blob may end at.
  static constexpr std::uint64_t kMaxPos = 0xFFFFFFFFu;

 private:
  void Write(const char* bytes, std::uint64_t length);
  void WriteUInt32(std::uint64_t value);
  std::uint64_t CopyFile(platform::ReadableFile& file);
  BlobAddress Address(std::uint64_t pos, std::uint64_t size) const;

  std::ostream& out_;
  std::uint64_t offset_;
  std::uint64_t groupStart_ = 0;
  std::unique_ptr<char[]> buffer_;
};
