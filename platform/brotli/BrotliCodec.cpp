// The brotli half of platform/Compression.h, with the brotli library.
// Implements: BrotliBytes, UnbrotliBytes. Does not: gzip (platform/zlib/).

#include <brotli/decode.h>
#include <brotli/encode.h>

#include <algorithm>
#include <array>
#include <memory>

#include "platform/Compression.h"
#include "util/Error.h"

namespace platform {
namespace {

constexpr int kLargestWindow = BROTLI_MAX_WINDOW_BITS;  // 24: the reach that big files need
constexpr std::size_t kChunk = 1 << 16;

struct EncoderFree {
  void operator()(BrotliEncoderState* state) const { BrotliEncoderDestroyInstance(state); }
};
struct DecoderFree {
  void operator()(BrotliDecoderState* state) const { BrotliDecoderDestroyInstance(state); }
};

}  // namespace

std::string BrotliBytes(std::string_view bytes, int quality) {
  std::unique_ptr<BrotliEncoderState, EncoderFree> encoder(
      BrotliEncoderCreateInstance(nullptr, nullptr, nullptr));
  if (!encoder) throw Error("Cannot start brotli compression");
  BrotliEncoderSetParameter(encoder.get(), BROTLI_PARAM_QUALITY,
                            static_cast<std::uint32_t>(std::clamp(quality, 0, 11)));
  BrotliEncoderSetParameter(encoder.get(), BROTLI_PARAM_LGWIN, kLargestWindow);
  BrotliEncoderSetParameter(
      encoder.get(), BROTLI_PARAM_SIZE_HINT,
      static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), 1u << 30)));
  std::string out;
  std::array<std::uint8_t, kChunk> buffer;
  std::size_t availableIn = bytes.size();
  const auto* nextIn = reinterpret_cast<const std::uint8_t*>(bytes.data());
  do {
    std::size_t availableOut = buffer.size();
    std::uint8_t* nextOut = buffer.data();
    if (!BrotliEncoderCompressStream(encoder.get(), BROTLI_OPERATION_FINISH, &availableIn, &nextIn,
                                     &availableOut, &nextOut, nullptr))
      throw Error("brotli compression failed");
    out.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - availableOut);
  } while (!BrotliEncoderIsFinished(encoder.get()));
  return out;
}

std::string UnbrotliBytes(std::string_view brotli, std::size_t maxBytes) {
  std::unique_ptr<BrotliDecoderState, DecoderFree> decoder(
      BrotliDecoderCreateInstance(nullptr, nullptr, nullptr));
  if (!decoder) throw Error("Cannot start brotli reading");
  std::string out;
  std::array<std::uint8_t, kChunk> buffer;
  std::size_t availableIn = brotli.size();
  const auto* nextIn = reinterpret_cast<const std::uint8_t*>(brotli.data());
  for (;;) {
    std::size_t availableOut = buffer.size();
    std::uint8_t* nextOut = buffer.data();
    const BrotliDecoderResult result = BrotliDecoderDecompressStream(
        decoder.get(), &availableIn, &nextIn, &availableOut, &nextOut, nullptr);
    const std::size_t made = buffer.size() - availableOut;
    if (made > maxBytes - std::min(maxBytes, out.size()))
      throw Error("Not brotli data: larger than allowed");
    out.append(reinterpret_cast<const char*>(buffer.data()), made);
    if (result == BROTLI_DECODER_RESULT_SUCCESS) {
      if (availableIn != 0) throw Error("Not brotli data: bytes after its end");
      return out;
    }
    if (result == BROTLI_DECODER_RESULT_ERROR) throw Error("Not brotli data: corrupt");
    if (result == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT) throw Error("Not brotli data: cut short");
  }
}

}  // namespace platform
