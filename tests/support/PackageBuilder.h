#pragma once
// Builds a book package in memory with the product's package writer: a stub image, then blobs
// and blob groups in the order they are added, then the book document, its length, the project
// document and its length. Every Add returns the package address (pos, size) to store in the
// documents.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/PackageWriter.h"

struct TypedBlob {
  std::uint32_t type = 0;
  std::string bytes;
};

// An output buffer that appends to a string, so the bytes written so far can be read at once.
class StringAppendBuffer : public std::streambuf {
 public:
  explicit StringAppendBuffer(std::string& bytes) : bytes_(bytes) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override;

 private:
  std::string& bytes_;
};

class PackageBuilder {
 public:
  // `stubImage` stands for the player's executable image in front of the package.
  explicit PackageBuilder(std::string stubImage = "MZ stub image of the player\n");
  PackageBuilder(PackageBuilder&&) = delete;

  BlobAddress AddBlob(std::string_view bytes) { return writer_->AddBlob(bytes); }
  BlobAddress AddGroup(std::string_view head, const std::vector<TypedBlob>& members);
  // Raw bytes with no framing (for damaged layouts).
  void AddRaw(std::string_view bytes) { writer_->AddRaw(bytes); }

  // Appends the book document, its length, the project document and its length, and returns the
  // whole file.
  const std::string& Finish(std::string_view projectXml, std::string_view bookXml);

  const std::string& Bytes() const { return bytes_; }
  std::uint32_t Offset() const { return static_cast<std::uint32_t>(bytes_.size()); }
  void WriteTo(const std::filesystem::path& file) const;

 private:
  std::string bytes_;
  StringAppendBuffer buffer_{bytes_};
  std::ostream stream_{&buffer_};
  std::unique_ptr<TPackageWriter> writer_;
};

// Little-endian 32-bit encoding, for tests that patch package bytes.
std::string EncodeUInt32(std::uint32_t value);
