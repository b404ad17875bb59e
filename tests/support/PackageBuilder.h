#pragma once
// Builds a book package the way the authoring side lays it out: a stub image, then blobs and
// blob groups in the order they are added, then the book document, its length, the project
// document and its length. Every Add returns the package address (pos, size) to store in the
// documents.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct BlobAddress {
  std::uint32_t pos = 0;
  std::uint32_t size = 0;
  bool operator==(const BlobAddress&) const = default;
};

struct TypedBlob {
  std::uint32_t type = 0;
  std::string bytes;
};

class PackageBuilder {
 public:
  // `stubImage` stands for the player's executable image in front of the package.
  explicit PackageBuilder(std::string stubImage = "MZ stub image of the player\n");

  // A plain blob: bytes, then their length.
  BlobAddress AddBlob(std::string_view bytes);
  // A blob group: the members in the order given (ascending offsets), each followed by its type
  // and length, then the head blob. pos is just past the head's length field; size spans it all.
  BlobAddress AddGroup(std::string_view head, const std::vector<TypedBlob>& members);
  // Raw bytes with no framing (for damaged layouts).
  void AddRaw(std::string_view bytes);

  // Appends the book document, its length, the project document and its length, and returns the
  // whole file.
  const std::string& Finish(std::string_view projectXml, std::string_view bookXml);

  const std::string& Bytes() const { return bytes_; }
  std::uint32_t Offset() const { return static_cast<std::uint32_t>(bytes_.size()); }
  void WriteTo(const std::filesystem::path& file) const;

 private:
  void AppendUInt32(std::uint32_t value);
  std::string bytes_;
};

// Little-endian 32-bit encoding, for tests that patch package bytes.
std::string EncodeUInt32(std::uint32_t value);
