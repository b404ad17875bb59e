#include "authoring/CompressedCopies.h"

#include <array>

#include "platform/Compression.h"
#include "util/AsciiCase.h"

namespace {

constexpr std::size_t kBestQualityBytes = std::size_t{1} << 20;
constexpr std::size_t kGoodQualityBytes = std::size_t{16} << 20;
constexpr int kBestQuality = 11;
constexpr int kGoodQuality = 9;
constexpr int kFastQuality = 5;

bool Pays(std::size_t original, std::size_t copy) {
  return original >= kMinCopiedBytes &&
         static_cast<double>(copy) <= kMaxCopyShare * static_cast<double>(original);
}

}  // namespace

bool WorthCompressing(const std::filesystem::path& file, std::string_view head,
                      std::uintmax_t size) {
  if (size < kMinCopiedBytes || size > kMaxCopiedBytes) return false;
  static constexpr std::array<std::string_view, 15> kCompressed{
      ".jpg", ".jpeg", ".png", ".gif", ".mp3",  ".mp4", ".flv", ".zip",
      ".gz",  ".br",   ".7z",  ".pdf", ".webp", ".ogg", ".m4a"};
  const std::string extension = file.extension().string();
  for (std::string_view known : kCompressed)
    if (SameTextAscii(extension, known)) return false;
  // A movie is compressed when its signature says so (zlib "CWS" or LZMA "ZWS").
  return !(SameTextAscii(extension, ".swf") &&
           (head.starts_with("CWS") || head.starts_with("ZWS")));
}

TCompressedCopies CompressedCopies(std::string_view bytes) {
  TCompressedCopies copies;
  if (bytes.size() < kMinCopiedBytes) return copies;
  copies.gzip = platform::GzipBytes(bytes);
  if (!Pays(bytes.size(), copies.gzip.size())) copies.gzip.clear();
  const int quality = bytes.size() <= kBestQualityBytes   ? kBestQuality
                      : bytes.size() <= kGoodQualityBytes ? kGoodQuality
                                                          : kFastQuality;
  copies.brotli = platform::BrotliBytes(bytes, quality);
  if (!Pays(bytes.size(), copies.brotli.size())) copies.brotli.clear();
  return copies;
}
