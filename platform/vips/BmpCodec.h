#pragma once
// Windows bitmap (BMP) reading and writing for the libvips back-end, which has no BMP codec of
// its own (only through ImageMagick, when that module is installed).
// Reads: uncompressed 1, 4 and 8-bit palette images, 16, 24 and 32-bit images (BI_RGB and
//   BI_BITFIELDS, with the alpha mask of a V4/V5 header), bottom-up and top-down.
// Does not read: RLE compression, embedded JPEG/PNG, OS/2 headers (the caller falls back).
// Writes: 32-bit BI_BITFIELDS with a V4 header, so the alpha channel is kept.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::bmp {

struct RgbaPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // top row first, 4 bytes per pixel, straight alpha
};

struct BmpSize {
  int width = 0;
  int height = 0;
};

bool LooksLikeBmp(std::string_view bytes);

// The size from the header; nothing when the header is damaged.
std::optional<BmpSize> ReadSize(std::string_view bytes);

// The pixels, or nothing when the variant is not one this reader handles. A damaged header or
// pixel data cut short raises Error with `name` in the message.
std::optional<RgbaPixels> Decode(std::string_view bytes, const std::string& name);

// Raises Error when the file would pass the format's 4 GiB or the pixels do not match the size.
std::string Encode(const RgbaPixels& image);

}  // namespace platform::bmp
