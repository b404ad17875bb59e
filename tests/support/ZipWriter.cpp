#include "tests/support/ZipWriter.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>
#include "util/LittleEndian.h"

namespace testsupport {
namespace {

constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kUtf8Flag = 0x0800;
constexpr std::uint16_t kDosTime = 0x6000;  // 12:00:00
constexpr std::uint16_t kDosDate = 0x5A21;  // 2025-01-01
constexpr std::uint32_t kUnixSymlinkMode = 0120777;
constexpr std::uint32_t kDosFolderAttribute = 0x10;

std::uint32_t Crc(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

ZipWriter& ZipWriter::AddFile(std::string name, std::string data, Method method) {
  Entry entry{std::move(name), {}, Crc(data), static_cast<std::uint32_t>(data.size()), 0, 0, false};
  if (method == Method::Deflated) {
    entry.method = 8;
    entry.stored = RawDeflate(data);
  } else {
    entry.stored = std::move(data);
  }
  entries_.push_back(std::move(entry));
  return *this;
}

ZipWriter& ZipWriter::AddDeflated(std::string name, std::string rawDeflate, std::uint32_t crc,
                                  std::uint32_t size) {
  entries_.push_back({std::move(name), std::move(rawDeflate), crc, size, 8, 0, false});
  return *this;
}

ZipWriter& ZipWriter::AddFolder(std::string name) {
  entries_.push_back({std::move(name), {}, 0, 0, 0, kDosFolderAttribute, false});
  return *this;
}

ZipWriter& ZipWriter::AddSymlink(std::string name, std::string target) {
  const std::uint32_t crc = Crc(target);
  const auto size = static_cast<std::uint32_t>(target.size());
  entries_.push_back(
      {std::move(name), std::move(target), crc, size, 0, kUnixSymlinkMode << 16, true});
  return *this;
}

std::string ZipWriter::Bytes() const {
  std::string out;
  std::string directory;
  for (const Entry& entry : entries_) {
    const auto offset = static_cast<std::uint32_t>(out.size());
    const auto nameLength = static_cast<std::uint16_t>(entry.name.size());
    Put32(out, 0x04034b50);
    Put16(out, kVersion);
    Put16(out, kUtf8Flag);
    Put16(out, entry.method);
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    Put32(out, entry.crc);
    Put32(out, static_cast<std::uint32_t>(entry.stored.size()));
    Put32(out, entry.size);
    Put16(out, nameLength);
    Put16(out, 0);
    out += entry.name;
    out += entry.stored;

    Put32(directory, 0x02014b50);
    Put16(directory, entry.madeOnUnix ? (3u << 8) | kVersion : kVersion);
    Put16(directory, kVersion);
    Put16(directory, kUtf8Flag);
    Put16(directory, entry.method);
    Put16(directory, kDosTime);
    Put16(directory, kDosDate);
    Put32(directory, entry.crc);
    Put32(directory, static_cast<std::uint32_t>(entry.stored.size()));
    Put32(directory, entry.size);
    Put16(directory, nameLength);
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, entry.externalAttributes);
    Put32(directory, offset);
    directory += entry.name;
  }
  const auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out += directory;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint16_t>(entries_.size()));
  Put16(out, static_cast<std::uint16_t>(entries_.size()));
  Put32(out, static_cast<std::uint32_t>(directory.size()));
  Put32(out, directoryOffset);
  Put16(out, 0);
  return out;
}

void ZipWriter::Save(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string bytes = Bytes();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace testsupport
