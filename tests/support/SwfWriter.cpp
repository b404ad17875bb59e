#include "tests/support/SwfWriter.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include "util/LittleEndian.h"

namespace testsupport {
namespace {

class BitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      current_ = static_cast<std::uint8_t>((current_ << 1) | ((value >> i) & 1u));
      if (++used_ == 8) Flush();
    }
  }
  std::string Finish() {
    if (used_ > 0) {
      current_ = static_cast<std::uint8_t>(current_ << (8 - used_));
      Flush();
    }
    return bytes_;
  }

 private:
  void Flush() {
    bytes_ += static_cast<char>(current_);
    current_ = 0;
    used_ = 0;
  }
  std::string bytes_;
  std::uint8_t current_ = 0;
  int used_ = 0;
};

int SignedBitsFor(std::int32_t value) {
  int bits = 1;
  while (bits < 32 &&
         (value < -(std::int64_t{1} << (bits - 1)) || value >= (std::int64_t{1} << (bits - 1))))
    ++bits;
  return bits;
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

std::string EncodeSwfRect(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin,
                          std::int32_t ymax) {
  const int bits = std::min(31, std::max({SignedBitsFor(xmin), SignedBitsFor(xmax),
                                          SignedBitsFor(ymin), SignedBitsFor(ymax)}));
  BitWriter writer;
  writer.Put(static_cast<std::uint32_t>(bits), 5);
  for (std::int32_t value : {xmin, xmax, ymin, ymax})
    writer.Put(static_cast<std::uint32_t>(value), bits);
  return writer.Finish();
}

std::string ZlibCompress(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(size);
  return out;
}

SwfWriter& SwfWriter::Version(std::uint8_t version) {
  version_ = version;
  return *this;
}

SwfWriter& SwfWriter::StageTwips(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin,
                                 std::int32_t ymax) {
  xmin_ = xmin;
  xmax_ = xmax;
  ymin_ = ymin;
  ymax_ = ymax;
  return *this;
}

SwfWriter& SwfWriter::StagePixels(std::int32_t width, std::int32_t height) {
  return StageTwips(0, width * 20, 0, height * 20);
}

SwfWriter& SwfWriter::FrameRate(std::uint16_t fixed8_8) {
  frameRate_ = fixed8_8;
  return *this;
}

SwfWriter& SwfWriter::FrameCount(std::uint16_t count) {
  frameCount_ = count;
  return *this;
}

SwfWriter& SwfWriter::AddTag(std::uint16_t code, const std::string& data) {
  if (data.size() < 63) {
    Put16(tags_, static_cast<std::uint32_t>(code << 6) | static_cast<std::uint32_t>(data.size()));
  } else {
    Put16(tags_, static_cast<std::uint32_t>(code << 6) | 0x3F);
    Put32(tags_, static_cast<std::uint32_t>(data.size()));
  }
  tags_ += data;
  return *this;
}

std::string SwfWriter::Body() const {
  return tags_ + std::string(2, '\0');
}

std::string SwfWriter::AfterHeader() const {
  std::string out = EncodeSwfRect(xmin_, xmax_, ymin_, ymax_);
  Put16(out, frameRate_);
  Put16(out, frameCount_);
  return out + Body();
}

std::string SwfWriter::Header(const char* signature, std::uint32_t fileLength) const {
  std::string out(signature);
  out += static_cast<char>(version_);
  Put32(out, fileLength);
  return out;
}

std::string SwfWriter::Fws() const {
  const std::string rest = AfterHeader();
  return Header("FWS", static_cast<std::uint32_t>(8 + rest.size())) + rest;
}

std::string SwfWriter::Cws() const {
  const std::string rest = AfterHeader();
  return Header("CWS", static_cast<std::uint32_t>(8 + rest.size())) + ZlibCompress(rest);
}

void SwfWriter::SaveFws(const std::filesystem::path& file) const {
  WriteFile(file, Fws());
}

void SwfWriter::SaveCws(const std::filesystem::path& file) const {
  WriteFile(file, Cws());
}

}  // namespace testsupport
