#include "util/Pictures.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string>

#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

bool OneOf(const std::string& value, std::initializer_list<const char*> list) {
  return std::any_of(list.begin(), list.end(), [&](const char* item) { return value == item; });
}

bool HasPictureSignature(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error("Cannot open file \"" + file.string() + "\"");
  std::array<unsigned char, 2> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  if (in.gcount() < 2) return false;
  const unsigned signature = head[0] | (head[1] << 8u);
  constexpr std::array<unsigned, 9> kSignatures{1290,  16952, 18759, 18761, 19778,
                                                20617, 42585, 55551, 55809};
  return std::find(kSignatures.begin(), kSignatures.end(), signature) != kSignatures.end();
}

// From the last "." of the file name on, dot included: ".png" is a name with an extension here,
// where std::filesystem takes it for a hidden file's stem.
std::string ExtensionOf(const fs::path& file) {
  const std::string name = file.filename().string();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : AsciiLowerCase(name.substr(dot));
}

}  // namespace

bool IsPictureFile(const fs::path& file, bool byExtension) {
  const std::string extension = ExtensionOf(file);
  if (extension.empty() || OneOf(extension, {".flv", ".swf", ".pdf", ".mp4", ".mp3", ".f4v"}))
    return false;
  if (byExtension) return OneOf(extension, {".jpeg", ".jpg", ".png", ".bmp", ".gif"});
  return HasPictureSignature(file);
}

Rect FitInBox(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t boxWidth,
              std::int32_t boxHeight) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  const double sw = sourceWidth, sh = sourceHeight, bw = boxWidth, bh = boxHeight;
  Rect fit;
  // Exact comparison of bw/bh < sw/sh by cross-multiplication in 64 bits.
  if (std::int64_t{boxWidth} * sourceHeight < std::int64_t{sourceWidth} * boxHeight) {
    fit.width = boxWidth;
    fit.height = RoundHalfEven(sh * bw / sw);
  } else {
    fit.height = boxHeight;
    fit.width = RoundHalfEven(sw * bh / sh);
  }
  fit.x = RoundHalfEven((bw - fit.width) / 2.0);
  fit.y = RoundHalfEven((bh - fit.height) / 2.0);
  return fit;
}
