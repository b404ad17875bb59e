// The gzip half of platform/Compression.h, with zlib.
// Implements: GzipBytes, GunzipBytes. Does not: brotli (platform/brotli/).

#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

#include "platform/Compression.h"
#include "util/Error.h"

namespace platform {
namespace {

constexpr int kGzipWindowBits = 15 + 16;  // the largest window, with a gzip wrapper
constexpr int kMemoryLevel = 9;
constexpr std::size_t kChunk = 1 << 16;

// zlib counts in uInt: feed and drain at most this much per call.
uInt Piece(std::size_t left) {
  return static_cast<uInt>(std::min<std::size_t>(left, std::numeric_limits<uInt>::max() / 2));
}

}  // namespace

std::string GzipBytes(std::string_view bytes) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindowBits, kMemoryLevel,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    throw Error("Cannot start gzip compression");
  std::string out;
  std::array<char, kChunk> buffer;
  std::size_t offset = 0;
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    if (stream.avail_in == 0 && offset < bytes.size()) {
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + offset));
      stream.avail_in = Piece(bytes.size() - offset);
      offset += stream.avail_in;
    }
    stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
    stream.avail_out = static_cast<uInt>(buffer.size());
    status = deflate(&stream, offset < bytes.size() ? Z_NO_FLUSH : Z_FINISH);
    if (status == Z_STREAM_ERROR) {
      deflateEnd(&stream);
      throw Error("gzip compression failed");
    }
    out.append(buffer.data(), buffer.size() - stream.avail_out);
  }
  deflateEnd(&stream);
  return out;
}

std::string GunzipBytes(std::string_view gzip, std::size_t maxBytes) {
  z_stream stream{};
  if (inflateInit2(&stream, kGzipWindowBits) != Z_OK) throw Error("Cannot start gzip reading");
  std::string out;
  std::array<char, kChunk> buffer;
  std::size_t offset = 0;
  const char* fault = nullptr;
  while (fault == nullptr) {
    if (stream.avail_in == 0 && offset < gzip.size()) {
      stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzip.data() + offset));
      stream.avail_in = Piece(gzip.size() - offset);
      offset += stream.avail_in;
    }
    stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
    stream.avail_out = static_cast<uInt>(buffer.size());
    const int status = inflate(&stream, Z_NO_FLUSH);
    const std::size_t made = buffer.size() - stream.avail_out;
    if (status == Z_BUF_ERROR) {
      fault = "cut short";  // no progress: the input ended inside a member
    } else if (status != Z_OK && status != Z_STREAM_END) {
      fault = "corrupt";
    } else if (made > maxBytes - std::min(maxBytes, out.size())) {
      fault = "larger than allowed";
    } else {
      out.append(buffer.data(), made);
      if (status == Z_STREAM_END) {
        if (stream.avail_in == 0 && offset == gzip.size()) break;
        inflateReset(&stream);  // another member follows
      }
    }
  }
  inflateEnd(&stream);
  if (fault != nullptr) throw Error(std::string("Not gzip data: ") + fault);
  return out;
}

}  // namespace platform
