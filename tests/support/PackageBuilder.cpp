#include "tests/support/PackageBuilder.h"

#include <fstream>

#include "util/Error.h"
#include "util/LittleEndian.h"

std::string EncodeUInt32(std::uint32_t value) {
  std::string bytes;
  Put32(bytes, value);
  return bytes;
}

PackageBuilder::PackageBuilder(std::string stubImage) : bytes_(std::move(stubImage)) {}

void PackageBuilder::AppendUInt32(std::uint32_t value) {
  bytes_ += EncodeUInt32(value);
}

void PackageBuilder::AddRaw(std::string_view bytes) {
  bytes_.append(bytes);
}

BlobAddress PackageBuilder::AddBlob(std::string_view bytes) {
  bytes_.append(bytes);
  AppendUInt32(static_cast<std::uint32_t>(bytes.size()));
  return {Offset(), static_cast<std::uint32_t>(bytes.size() + 4)};
}

BlobAddress PackageBuilder::AddGroup(std::string_view head, const std::vector<TypedBlob>& members) {
  const std::uint32_t start = Offset();
  for (const TypedBlob& member : members) {
    bytes_.append(member.bytes);
    AppendUInt32(member.type);
    AppendUInt32(static_cast<std::uint32_t>(member.bytes.size()));
  }
  const BlobAddress headAddress = AddBlob(head);
  return {headAddress.pos, headAddress.pos - start};
}

const std::string& PackageBuilder::Finish(std::string_view projectXml, std::string_view bookXml) {
  bytes_.append(bookXml);
  AppendUInt32(static_cast<std::uint32_t>(bookXml.size()));
  bytes_.append(projectXml);
  AppendUInt32(static_cast<std::uint32_t>(projectXml.size()));
  return bytes_;
}

void PackageBuilder::WriteTo(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw Error("Cannot write package \"" + file.string() + "\"");
}
