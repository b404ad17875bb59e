#pragma once
// Reader of the book package appended to the player's executable: a flat stack of blobs, each
// the bytes of one file followed by its 32-bit little-endian length, with the book document and
// the project settings document (each followed by its length) at the very end of the file.
//
// Every offset and length is checked against the file size before anything is allocated or
// read; a range that reaches before the start of the file or past its end raises
// Error(kStreamReadError).

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/FileCopy.h"

// A byte range of the package file.
struct BlobRange {
  std::uint64_t start = 0;
  std::uint64_t length = 0;
  bool operator==(const BlobRange&) const = default;
};

struct DocumentRanges {
  BlobRange project;  // the project settings document, last in the file
  BlobRange book;     // the book document, just before it
};

// One typed blob of a blob group.
struct GroupMember {
  std::uint32_t type = 0;
  BlobRange data;
};

class TPackageReader;

// Walks one blob group lazily: the head blob is located on construction, the typed members one
// per call of Next, from the highest offset down, so a bad member fails only once reached.
class TGroupWalker {
 public:
  const BlobRange& Head() const { return head_; }
  // Locates the next member; false when the group is exhausted.
  bool Next(GroupMember& member);

 private:
  friend class TPackageReader;
  TGroupWalker(TPackageReader& reader, std::uint32_t pos, std::uint32_t size);

  TPackageReader& reader_;
  std::uint64_t limit_;
  std::uint64_t cursor_;
  BlobRange head_;
};

class TPackageReader {
 public:
  // How blobs are copied by the kernel (platform::KernelCopyRange); whatever it leaves is
  // copied through the reader's buffer.
  using KernelCopy =
      std::function<std::uint64_t(const std::filesystem::path& source, std::uint64_t offset,
                                  std::uint64_t length, const std::filesystem::path& destination)>;

  // Opens `file` for reading; raises Error naming the file when it cannot be opened.
  explicit TPackageReader(const std::filesystem::path& file,
                          KernelCopy kernelCopy = platform::KernelCopyRange);

  std::uint64_t FileSize() const { return size_; }

  // The two documents at the end of the file (located from its 64-bit length).
  DocumentRanges LocateDocuments();
  // The project settings document: the last blob of the file, its length in the last 4 bytes.
  BlobRange LocateProjectDocument();
  // The book document: the blob that ends 4 bytes before the project document starts.
  BlobRange LocateBookDocument(std::uint64_t projectStart);

  // The blob whose length field lies at pos - 4 (the length is read from the file).
  BlobRange BySuffix(std::uint32_t pos);
  // The blob of size - 4 bytes starting at pos - size (the length field is not read).
  BlobRange BySize(std::uint32_t pos, std::uint32_t size) const;
  // The blob group whose head blob's length field lies at pos - 4 and which spans size bytes.
  TGroupWalker WalkGroup(std::uint32_t pos, std::uint32_t size);

  std::string ReadBytes(const BlobRange& range);
  // Writes the range to `destination` (created or truncated): by the kernel where it can, else
  // through a bounded buffer. On failure the partly written file is removed and Error is raised.
  void CopyToFile(const BlobRange& range, const std::filesystem::path& destination);

  static constexpr std::size_t kCopyBufferSize = 1 << 20;

 private:
  friend class TGroupWalker;
  std::uint32_t ReadUInt32At(std::uint64_t offset);
  void CheckRange(const BlobRange& range) const;
  void ReadInto(std::uint64_t offset, char* buffer, std::size_t length);
  void AppendToFile(const BlobRange& range, const std::filesystem::path& destination, bool append);

  std::filesystem::path file_;
  KernelCopy kernelCopy_;
  std::ifstream stream_;
  std::uint64_t size_ = 0;
};
