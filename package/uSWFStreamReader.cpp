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
      : FSource(source), FRemaining(limit), FInput(kChunkSize), FOutput(kChunkSize) {
    if (inflateInit(&FZip) != Z_OK) throw Error("Zlib error: cannot start the decompressor");
  }
  ~InflatingBuffer() override { inflateEnd(&FZip); }
  // Inflated bytes handed out so far.
  std::uint64_t Produced() const { return FProduced; }
  InflatingBuffer(const InflatingBuffer&) = delete;
  InflatingBuffer& operator=(const InflatingBuffer&) = delete;

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::size_t produced = Inflate();
    if (produced == 0) return traits_type::eof();
    setg(FOutput.data(), FOutput.data(), FOutput.data() + produced);
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::size_t Inflate() {
    if (FEnded || FRemaining == 0) return 0;
    const auto room = static_cast<uInt>(std::min<std::uint64_t>(FOutput.size(), FRemaining));
    FZip.next_out = reinterpret_cast<Bytef*>(FOutput.data());
    FZip.avail_out = room;
    while (FZip.avail_out == room && !FEnded) {
      if (FZip.avail_in == 0) Refill();
      const int status = inflate(&FZip, Z_NO_FLUSH);
      if (status == Z_STREAM_END)
        FEnded = true;
      else if (status != Z_OK)
        throw Error(std::string("Zlib error: ") + (FZip.msg ? FZip.msg : zError(status)));
    }
    const std::size_t produced = room - FZip.avail_out;
    FRemaining -= produced;
    FProduced += produced;
    return produced;
  }

  void Refill() {
    FSource.read(FInput.data(), static_cast<std::streamsize>(FInput.size()));
    const auto got = static_cast<uInt>(FSource.gcount());
    if (got == 0) throw Error("Zlib error: unexpected end of compressed data");
    FZip.next_in = reinterpret_cast<Bytef*>(FInput.data());
    FZip.avail_in = got;
  }

  std::istream& FSource;
  std::uint64_t FRemaining;
  std::uint64_t FProduced = 0;
  std::vector<char> FInput;
  std::vector<char> FOutput;
  z_stream FZip{};
  bool FEnded = false;
};

std::uint64_t StreamSize(std::istream& stream) {
  stream.seekg(0, std::ios::end);
  const auto size = stream.tellg();
  stream.seekg(0, std::ios::beg);
  return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

TSWFStreamReader::TSWFStreamReader(const fs::path& fileName, TSwfBody body) : FBodyMode(body) {
  if (!fileName.empty()) LoadFile(fileName);
}

void TSWFStreamReader::LoadFile(const fs::path& fileName) {
  std::ifstream stream(fileName, std::ios::binary);
  if (!stream) throw Error("Cannot open file \"" + fileName.string() + "\"");
  LoadFromStream(stream);
}

void TSWFStreamReader::Reset() {
  FValid = false;
  FCompressed = false;
  FBody.reset();
  FSignature.clear();
  FHeader = {0, 0, 0, 8, 0, 0, 0, 0};
  FRect = {};
  FFrameRate = 0;
  FFrameCount = 0;
}

void TSWFStreamReader::LoadFromStream(std::istream& stream) {
  Reset();
  if (StreamSize(stream) < 4) return;
  FSignature.resize(3);
  stream.read(FSignature.data(), 3);
  if (FSignature != "FWS" && FSignature != "CWS") return;
  FValid = true;
  FCompressed = FSignature == "CWS";

  stream.seekg(0, std::ios::beg);
  if (!stream.read(reinterpret_cast<char*>(FHeader.data()),
                   static_cast<std::streamsize>(FHeader.size())))
    throw Error(kStreamReadError);
  if (FCompressed) {
    LoadCompressed(stream);
  } else {
    ReadHeaderFields(stream);
    TakeRest(stream);
  }
}

std::uint32_t TSWFStreamReader::FileLength() const {
  return FHeader[4] | (FHeader[5] << 8) | (FHeader[6] << 16) |
         (static_cast<std::uint32_t>(FHeader[7]) << 24);
}

void TSWFStreamReader::ReadHeaderFields(std::istream& stream) {
  TBitsEngine bits(stream);
  FRect = bits.ReadRect();
  FFrameRate = bits.ReadWord();
  FFrameCount = bits.ReadWord();
}

void TSWFStreamReader::LoadCompressed(std::istream& stream) {
  const std::uint64_t length = FileLength() > 8 ? FileLength() - 8 : 0;
  // Keep: enough to notice a body over its bound; Skip: the most that is checked.
  const std::uint64_t bound = FBodyMode == TSwfBody::Keep   ? kMaxSwfBodySize + kChunkSize
                              : FBodyMode == TSwfBody::Skip ? kMaxSwfCheckSize
                                                            : kMaxHeaderFieldsSize;
  const std::uint64_t limit = std::min(length, bound);
  InflatingBuffer buffer(stream, limit);
  std::istream inflated(&buffer);
  inflated.exceptions(std::ios::badbit);  // let the decompressor's Error through
  ReadHeaderFields(inflated);
  TakeRest(inflated);
  if (FBodyMode == TSwfBody::Skip) {
    std::vector<char> chunk(kChunkSize);
    while (inflated.read(chunk.data(), static_cast<std::streamsize>(chunk.size()))) {
    }
  }
  if (FBodyMode == TSwfBody::Unread) return;
  // The stream must hold the whole file the header announces (as far as it is read).
  if (buffer.Produced() < limit) throw Error(kStreamReadError);
}

void TSWFStreamReader::TakeRest(std::istream& stream) {
  if (FBodyMode != TSwfBody::Keep) return;
  FBody = std::make_unique<std::ostringstream>();
  std::vector<char> chunk(kChunkSize);
  std::uint64_t total = 0;
  while (stream.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
         stream.gcount() > 0) {
    const auto got = static_cast<std::size_t>(stream.gcount());
    total += got;
    if (total > kMaxSwfBodySize)
      throw Error("SWF body larger than " + std::to_string(kMaxSwfBodySize) + " bytes");
    FBody->write(chunk.data(), static_cast<std::streamsize>(got));
  }
}

int TSWFStreamReader::Width() const {
  return static_cast<int>(FRect.width / kTwipsPerPixel);
}

int TSWFStreamReader::Height() const {
  return static_cast<int>(FRect.height / kTwipsPerPixel);
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
