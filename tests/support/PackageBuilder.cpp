#include "tests/support/PackageBuilder.h"

#include <fstream>

#include "util/Error.h"
#include "util/LittleEndian.h"

std::string EncodeUInt32(std::uint32_t value) {
  std::string bytes;
  Put32(bytes, value);
  return bytes;
}

StringAppendBuffer::int_type StringAppendBuffer::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof())) bytes_ += traits_type::to_char_type(c);
  return traits_type::not_eof(c);
}

std::streamsize StringAppendBuffer::xsputn(const char* s, std::streamsize n) {
  bytes_.append(s, static_cast<std::size_t>(n));
  return n;
}

StringAppendBuffer::pos_type StringAppendBuffer::seekoff(off_type off, std::ios_base::seekdir dir,
                                                         std::ios_base::openmode) {
  if (off != 0 || dir != std::ios_base::cur) return pos_type(off_type(-1));
  return pos_type(static_cast<off_type>(bytes_.size()));
}

PackageBuilder::PackageBuilder(std::string stubImage) : bytes_(std::move(stubImage)) {
  writer_ = std::make_unique<TPackageWriter>(stream_, bytes_.size());
}

BlobAddress PackageBuilder::AddGroup(std::string_view head, const std::vector<TypedBlob>& members) {
  writer_->BeginGroup();
  for (const TypedBlob& member : members) writer_->AddMember(member.type, member.bytes);
  return writer_->EndGroup(head);
}

const std::string& PackageBuilder::Finish(std::string_view projectXml, std::string_view bookXml) {
  writer_->Finish(projectXml, bookXml);
  return bytes_;
}

void PackageBuilder::WriteTo(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw Error("Cannot write package \"" + file.string() + "\"");
}
