#include "platform/vips/BmpCodec.h"

#include <array>
#include <bit>
#include <cstdlib>

#include "platform/Image.h"
#include "util/Error.h"
#include "util/LittleEndian.h"

namespace platform::bmp {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kV4HeaderSize = 108;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

std::uint32_t Get32(std::string_view bytes, size_t at) {
  if (at + 4 > bytes.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Get16(std::string_view bytes, size_t at) {
  if (at + 2 > bytes.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// One channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;

  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (mask == 0) return;
    shift = std::countr_zero(mask);
    max = mask >> shift;
  }
  std::uint8_t Of(std::uint32_t pixel) const {
    if (max == 0) return 0;
    // In 64 bits: a channel of more than 24 bits times 255 does not fit in 32.
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
  }
};

struct Header {
  std::uint32_t dataOffset = 0;
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top row first
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
};

std::optional<Header> ParseHeader(std::string_view bytes) {
  if (!LooksLikeBmp(bytes) || bytes.size() < kFileHeaderSize + 4) return std::nullopt;
  Header h;
  h.dataOffset = Get32(bytes, 10);
  h.headerSize = Get32(bytes, 14);
  if (h.headerSize < kInfoHeaderSize || bytes.size() < kFileHeaderSize + kInfoHeaderSize)
    return std::nullopt;
  h.width = static_cast<std::int32_t>(Get32(bytes, 18));
  h.height = static_cast<std::int32_t>(Get32(bytes, 22));
  h.bitCount = Get16(bytes, 28);
  h.compression = Get32(bytes, 30);
  h.colorsUsed = Get32(bytes, 46);
  const size_t maskAt = kFileHeaderSize + kInfoHeaderSize;
  for (size_t i = 0; i < 4; ++i) h.masks[i] = Get32(bytes, maskAt + 4 * i);
  if (h.compression == kBiBitfields && h.headerSize < 56) h.masks[3] = 0;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return std::nullopt;
  return h;
}

std::uint64_t Rows(const Header& h) {
  return static_cast<std::uint64_t>(std::abs(h.height));
}

void DecodePalette(std::string_view bytes, const Header& h, size_t stride, RgbaPixels& out) {
  const size_t paletteAt = kFileHeaderSize + h.headerSize;
  const std::uint32_t maxColors = 1u << h.bitCount;
  const std::uint32_t colors =
      h.colorsUsed == 0 || h.colorsUsed > maxColors ? maxColors : h.colorsUsed;
  std::vector<std::array<std::uint8_t, 4>> palette(maxColors, {0, 0, 0, 255});
  for (size_t i = 0; i < colors && paletteAt + 4 * i + 3 < bytes.size(); ++i) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + paletteAt + 4 * i);
    palette[i] = {p[2], p[1], p[0], 255};
  }
  const int perByte = 8 / h.bitCount;
  const unsigned valueMask = (1u << h.bitCount) - 1;
  for (int y = 0; y < out.height; ++y) {
    const size_t row = h.height > 0 ? out.height - 1 - y : y;
    const auto* src =
        reinterpret_cast<const unsigned char*>(bytes.data() + h.dataOffset + row * stride);
    std::uint8_t* dst = out.rgba.data() + static_cast<size_t>(y) * out.width * 4;
    for (int x = 0; x < out.width; ++x) {
      const int shift = (perByte - 1 - x % perByte) * h.bitCount;
      const unsigned index = (src[x / perByte] >> shift) & valueMask;
      std::copy(palette[index].begin(), palette[index].end(), dst + static_cast<size_t>(x) * 4);
    }
  }
}

void DecodeMasked(std::string_view bytes, const Header& h, size_t stride, RgbaPixels& out) {
  const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
  const size_t pixelBytes = h.bitCount / 8;
  bool anyAlpha = false;
  for (int y = 0; y < out.height; ++y) {
    const size_t row = h.height > 0 ? out.height - 1 - y : y;
    const auto* src =
        reinterpret_cast<const unsigned char*>(bytes.data() + h.dataOffset + row * stride);
    std::uint8_t* dst = out.rgba.data() + static_cast<size_t>(y) * out.width * 4;
    for (int x = 0; x < out.width; ++x, src += pixelBytes, dst += 4) {
      std::uint32_t pixel = 0;
      for (size_t b = 0; b < pixelBytes; ++b)
        pixel |= static_cast<std::uint32_t>(src[b]) << (8 * b);
      dst[0] = red.Of(pixel);
      dst[1] = green.Of(pixel);
      dst[2] = blue.Of(pixel);
      dst[3] = alpha.mask ? alpha.Of(pixel) : 255;
      anyAlpha = anyAlpha || dst[3] != 0;
    }
  }
  // Many writers leave the fourth byte of 32-bit pixels at zero: such a picture is opaque.
  if (alpha.mask && !anyAlpha)
    for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 255;
}

// Masks for the uncompressed layouts; false when the layout is not handled.
bool SetDefaultMasks(Header& h) {
  const bool bitfields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
  if (bitfields && (h.bitCount == 16 || h.bitCount == 32))
    return h.masks[0] && h.masks[1] && h.masks[2];
  if (h.compression != kBiRgb) return false;
  switch (h.bitCount) {
    case 16:
      h.masks = {0x7C00, 0x03E0, 0x001F, 0};
      return true;
    case 24:
      h.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
      return true;
    case 32:
      h.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};
      return true;
    default:
      return false;
  }
}

}  // namespace

bool LooksLikeBmp(std::string_view bytes) {
  return bytes.size() >= 2 && bytes.substr(0, 2) == "BM";
}

std::optional<BmpSize> ReadSize(std::string_view bytes) {
  const auto header = ParseHeader(bytes);
  if (!header) return std::nullopt;
  return BmpSize{header->width, static_cast<int>(Rows(*header))};
}

std::optional<RgbaPixels> Decode(std::string_view bytes, const std::string& name) {
  auto header = ParseHeader(bytes);
  if (!header) {
    if (LooksLikeBmp(bytes) && bytes.size() >= 18 && Get32(bytes, 14) < kInfoHeaderSize)
      return std::nullopt;  // OS/2 header: leave it to the fallback
    throw Error("Damaged BMP header: " + name);
  }
  Header& h = *header;
  const bool palette =
      h.compression == kBiRgb && (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8);
  if (!palette && !SetDefaultMasks(h)) return std::nullopt;

  const std::uint64_t rows = Rows(h);
  if (static_cast<std::uint64_t>(h.width) * rows > static_cast<std::uint64_t>(kMaxPicturePixels))
    throw Error("BMP picture too large: " + name);
  const size_t stride = (static_cast<size_t>(h.width) * h.bitCount + 31) / 32 * 4;
  if (h.dataOffset > bytes.size() || (bytes.size() - h.dataOffset) / stride < rows)
    throw Error("BMP pixel data cut short: " + name);

  RgbaPixels out;
  out.width = h.width;
  out.height = static_cast<int>(rows);
  out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
  if (palette)
    DecodePalette(bytes, h, stride, out);
  else
    DecodeMasked(bytes, h, stride, out);
  return out;
}

std::string Encode(const RgbaPixels& image) {
  const std::uint32_t dataOffset = kFileHeaderSize + kV4HeaderSize;
  const std::uint64_t pixelBytes = std::uint64_t{static_cast<std::uint32_t>(image.width)} *
                                   static_cast<std::uint32_t>(image.height) * 4;
  // The file's sizes are 32-bit fields.
  if (image.width < 0 || image.height < 0 || pixelBytes > UINT32_MAX - dataOffset)
    throw Error("Picture too large for BMP: " + std::to_string(image.width) + " x " +
                std::to_string(image.height));
  if (image.rgba.size() != pixelBytes) throw Error("BMP pixels do not match the picture's size");
  const auto dataSize = static_cast<std::uint32_t>(pixelBytes);
  std::string out;
  out.reserve(dataOffset + dataSize);
  out += "BM";
  Put32(out, dataOffset + dataSize);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, kV4HeaderSize);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));  // bottom-up
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, kBiBitfields);
  Put32(out, dataSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(out, mask);
  Put32(out, 0x73524742);     // 'sRGB'
  out.append(36 + 12, '\0');  // colour end points and gamma, unused for sRGB
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* src = image.rgba.data() + static_cast<size_t>(y) * image.width * 4;
    for (int x = 0; x < image.width; ++x, src += 4) {
      out += static_cast<char>(src[2]);
      out += static_cast<char>(src[1]);
      out += static_cast<char>(src[0]);
      out += static_cast<char>(src[3]);
    }
  }
  return out;
}

}  // namespace platform::bmp
