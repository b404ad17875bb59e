#include "util/MimeTypes.h"

#include <array>
#include <string>
#include <utility>

#include "util/AsciiCase.h"

std::string_view MimeTypeForFile(const std::filesystem::path& file) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kTypes{{
      {".swf", "application/x-shockwave-flash"},
      {".wasm", "application/wasm"},
      {".html", "text/html"},
      {".htm", "text/html"},
      {".js", "text/javascript"},
      {".css", "text/css"},
      {".json", "application/json"},
      {".xml", "text/xml"},
      {".txt", "text/plain"},
      {".ini", "text/plain"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".bmp", "image/bmp"},
      {".tif", "image/tiff"},
      {".tiff", "image/tiff"},
      {".svg", "image/svg+xml"},
      {".mp3", "audio/mpeg"},
      {".wav", "audio/wav"},
      {".flv", "video/x-flv"},
      {".mp4", "video/mp4"},
      {".pdf", "application/pdf"},
      {".zip", "application/zip"},
  }};
  const std::string extension = file.extension().string();
  for (const auto& [known, type] : kTypes) {
    if (SameTextAscii(extension, known)) return type;
  }
  return "application/octet-stream";
}
