#pragma once
// Builds PKWARE zip archives in memory for tests: stored and deflated files, folders, and the
// hostile entries an unpacker must refuse (any name, Unix symbolic links).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ZipWriter {
 public:
  enum class Method { Stored, Deflated };

  ZipWriter& AddFile(std::string name, std::string data, Method method = Method::Deflated);
  // A deflated entry from data compressed elsewhere, with the checksum and size it unpacks to.
  ZipWriter& AddDeflated(std::string name, std::string rawDeflate, std::uint32_t crc,
                         std::uint32_t size);
  ZipWriter& AddFolder(std::string name);  // name should end in "/"
  // An entry made on Unix whose mode marks it as a symbolic link to `target`.
  ZipWriter& AddSymlink(std::string name, std::string target);

  std::string Bytes() const;
  void Save(const std::filesystem::path& file) const;

 private:
  struct Entry {
    std::string name;
    std::string stored;  // the bytes as they appear in the archive
    std::uint32_t crc = 0;
    std::uint32_t size = 0;
    std::uint16_t method = 0;
    std::uint32_t externalAttributes = 0;
    bool madeOnUnix = false;
  };
  std::vector<Entry> entries_;
};

// Raw deflate (no zlib header), as zip entries and tests of broken streams need it.
std::string RawDeflate(const std::string& data);

}  // namespace testsupport
