#include "package/uSWFStreamReader.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

#include "platform/Os.h"
#include "util/AsciiCase.h"
#include "util/Error.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkSize = std::size_t{64} * 1024;
constexpr int kTwipsPerPixel = 20;
// The longest header after the first 8 bytes: a RECT of four 31-bit fields, frame rate, count.
constexpr std::uint64_t kMaxHeaderFieldsSize = (5 + 4 * 31 + 7) / 8 + 4;

// Reads the zlib stream that starts at the source's current position and gives at most `limit`
// inflated bytes. Damaged or truncated data raises Error out of the reading stream.
class InflatingBuffer : public std::streambuf {
 public:
  InflatingBuffer(std::istream& source, std::uint64_t limit)
      : source_(source), remaining_(limit), input_(kChunkSize), output_(kChunkSize) {
    if (inflateInit(&zip_) != Z_OK) throw Error("Zlib error: cannot start the decompressor");
  }
  ~InflatingBuffer() override { inflateEnd(&zip_); }
  // Inflated bytes handed out so far.
  std::uint64_t Produced() const { return produced_; }
  InflatingBuffer(const InflatingBuffer&) = delete;
  InflatingBuffer& operator=(const InflatingBuffer&) = delete;

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::size_t produced = Inflate();
    if (produced == 0) return traits_type::eof();
    setg(output_.data(), output_.data(), output_.data() + produced);
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::size_t Inflate() {
    if (ended_ || remaining_ == 0) return 0;
    const auto room = static_cast<uInt>(std::min<std::uint64_t>(output_.size(), remaining_));
    zip_.next_out = reinterpret_cast<Bytef*>(output_.data());
    zip_.avail_out = room;
    while (zip_.avail_out == room && !ended_) {
      if (zip_.avail_in == 0) Refill();
      const int status = inflate(&zip_, Z_NO_FLUSH);
      if (status == Z_STREAM_END)
        ended_ = true;
      else if (status != Z_OK)
        throw Error(std::string("Zlib error: ") + (zip_.msg ? zip_.msg : zError(status)));
    }
    const std::size_t produced = room - zip_.avail_out;
    remaining_ -= produced;
    produced_ += produced;
    return produced;
  }

  void Refill() {
    source_.read(input_.data(), static_cast<std::streamsize>(input_.size()));
    const auto got = static_cast<uInt>(source_.gcount());
    if (got == 0) throw Error("Zlib error: unexpected end of compressed data");
    zip_.next_in = reinterpret_cast<Bytef*>(input_.data());
    zip_.avail_in = got;
  }

  std::istream& source_;
  std::uint64_t remaining_;
  std::uint64_t produced_ = 0;
  std::vector<char> input_;
  std::vector<char> output_;
  z_stream zip_{};
  bool ended_ = false;
};

std::uint64_t StreamSize(std::istream& stream) {
  stream.seekg(0, std::ios::end);
  const auto size = stream.tellg();
  stream.seekg(0, std::ios::beg);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

TSWFStreamReader::TSWFStreamReader(const fs::path& fileName, TSwfBody body) : bodyMode_(body) {
  if (!fileName.empty()) LoadFile(fileName);
}

void TSWFStreamReader::LoadFile(const fs::path& fileName) {
  std::ifstream stream(fileName, std::ios::binary);
  if (!stream) throw Error("Cannot open file \"" + fileName.string() + "\"");
  LoadFromStream(stream);
}

void TSWFStreamReader::Reset() {
  valid_ = false;
  compressed_ = false;
  body_.reset();
  signature_.clear();
  header_ = {0, 0, 0, 8, 0, 0, 0, 0};
  rect_ = {};
  frameRate_ = 0;
  frameCount_ = 0;
}

void TSWFStreamReader::LoadFromStream(std::istream& stream) {
  Reset();
  if (StreamSize(stream) < 4) return;
  signature_.resize(3);
  stream.read(signature_.data(), 3);
  if (signature_ != "FWS" && signature_ != "CWS") return;
  valid_ = true;
  compressed_ = signature_ == "CWS";

  stream.seekg(0, std::ios::beg);
  if (!stream.read(reinterpret_cast<char*>(header_.data()),
                   static_cast<std::streamsize>(header_.size())))
    throw Error(kStreamReadError);
  if (compressed_) {
    LoadCompressed(stream);
  } else {
    ReadHeaderFields(stream);
    TakeRest(stream);
  }
}

std::uint32_t TSWFStreamReader::FileLength() const {
  return header_[4] | (header_[5] << 8) | (header_[6] << 16) |
         (static_cast<std::uint32_t>(header_[7]) << 24);
}

void TSWFStreamReader::ReadHeaderFields(std::istream& stream) {
  TBitsEngine bits(stream);
  rect_ = bits.ReadRect();
  frameRate_ = bits.ReadWord();
  frameCount_ = bits.ReadWord();
}

void TSWFStreamReader::LoadCompressed(std::istream& stream) {
  const std::uint64_t length = FileLength() > 8 ? FileLength() - 8 : 0;
  // Keep: enough to notice a body over its bound; Skip: the most that is checked.
  const std::uint64_t bound = bodyMode_ == TSwfBody::Keep   ? kMaxSwfBodySize + kChunkSize
                              : bodyMode_ == TSwfBody::Skip ? kMaxSwfCheckSize
                                                            : kMaxHeaderFieldsSize;
  const std::uint64_t limit = std::min(length, bound);
  InflatingBuffer buffer(stream, limit);
  std::istream inflated(&buffer);
  inflated.exceptions(std::ios::badbit);  // let the decompressor's Error through
  ReadHeaderFields(inflated);
  TakeRest(inflated);
  if (bodyMode_ == TSwfBody::Skip) {
    std::vector<char> chunk(kChunkSize);
    while (inflated.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
  }
  if (bodyMode_ == TSwfBody::Unread) return;
  // The stream must hold the whole file the header announces (as far as it is read).
  if (buffer.Produced() < limit) throw Error(kStreamReadError);
}

void TSWFStreamReader::TakeRest(std::istream& stream) {
  if (bodyMode_ != TSwfBody::Keep) return;
  body_ = std::make_unique<std::ostringstream>();
  std::vector<char> chunk(kChunkSize);
  std::uint64_t total = 0;
  while (stream.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
         stream.gcount() > 0) {
    const auto got = static_cast<std::size_t>(stream.gcount());
    total += got;
    if (total > kMaxSwfBodySize)
      throw Error("SWF body larger than " + std::to_string(kMaxSwfBodySize) + " bytes");
    body_->write(chunk.data(), static_cast<std::streamsize>(got));
  }
}

int TSWFStreamReader::Width() const {
  return static_cast<int>(rect_.width / kTwipsPerPixel);
}

int TSWFStreamReader::Height() const {
  return static_cast<int>(rect_.height / kTwipsPerPixel);
}

void SwfStageSize(const fs::path& path, int& width, int& height) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    platform::ShowMessageBox(path.string() + " do not exist.");
    return;
  }
  if (AsciiLowerCase(path.extension().string()) != ".swf") {
    platform::ShowMessageBox(path.string() + " is not a SWF File.");
    return;
  }
  const TSWFStreamReader reader(path, TSwfBody::Unread);
  width = reader.Width();
  height = reader.Height();
}

namespace {

constexpr int kShowFrameTag = 1;
constexpr int kSetBackgroundColorTag = 9;

std::optional<std::uint32_t> ReadLittleEndian(std::istream& stream, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) {
    const int c = stream.get();
    if (c == std::char_traits<char>::eof()) return std::nullopt;
    value |= static_cast<std::uint32_t>(c) << (8 * i);
  }
  return value;
}

// Walks the tags after the stage rectangle, frame rate and count, up to the first frame's end.
std::optional<std::uint32_t> BackgroundBeforeFirstFrame(std::istream& tags) {
  TBitsEngine(tags).ReadRect();
  if (!ReadLittleEndian(tags, 4)) return std::nullopt;  // frame rate and count
  for (;;) {
    const auto header = ReadLittleEndian(tags, 2);
    if (!header) return std::nullopt;
    const int code = static_cast<int>(*header >> 6);
    std::optional<std::uint32_t> length = *header & 0x3F;
    if (*length == 0x3F) length = ReadLittleEndian(tags, 4);
    if (!length || code == 0 || code == kShowFrameTag) return std::nullopt;
    if (code == kSetBackgroundColorTag && *length >= 3) {
      std::array<char, 3> rgb{};
      if (!tags.read(rgb.data(), rgb.size())) return std::nullopt;
      return (static_cast<std::uint32_t>(static_cast<unsigned char>(rgb[0])) << 16) |
             (static_cast<std::uint32_t>(static_cast<unsigned char>(rgb[1])) << 8) |
             static_cast<unsigned char>(rgb[2]);
    }
    if (!tags.ignore(*length) || tags.gcount() != static_cast<std::streamsize>(*length))
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::uint32_t> SwfBackgroundRgb(const fs::path& path) {
  try {
    std::ifstream stream(path, std::ios::binary);
    std::array<char, 8> header{};
    if (!stream.read(header.data(), header.size())) return std::nullopt;
    const std::string signature(header.data(), 3);
    if (signature == "FWS") {
      std::string lead(kChunkSize, '\0');
      stream.read(lead.data(), static_cast<std::streamsize>(lead.size()));
      lead.resize(static_cast<std::size_t>(stream.gcount()));
      std::istringstream tags(lead);
      return BackgroundBeforeFirstFrame(tags);
    }
    if (signature != "CWS") return std::nullopt;
    InflatingBuffer buffer(stream, kChunkSize);
    std::istream tags(&buffer);
    tags.exceptions(std::ios::badbit);  // a damaged stream ends the search
    return BackgroundBeforeFirstFrame(tags);
  } catch (...) {
    // A damaged movie shows its colour when it draws, if ever.
    return std::nullopt;
  }
}
