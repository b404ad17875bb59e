#include "package/SplitNames.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>

#include "package/uPathGetter.h"
#include "util/AsciiCase.h"

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::size_t NamePartStart(std::string_view name) {
  const auto last = std::find_if(name.rbegin(), name.rend(), IsSeparator);
  return static_cast<std::size_t>(name.rend() - last);
}

}  // namespace

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string FileNamePart(std::string_view name) {
  return std::string(name.substr(NamePartStart(name)));
}

std::string FileExtension(std::string_view name) {
  const std::string_view part = name.substr(NamePartStart(name));
  const std::size_t dot = part.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(part.substr(dot));
}

std::string N4(long long k) {
  std::string digits = std::to_string(k < 0 ? -k : k);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
  return k < 0 ? "-" + digits : digits;
}

bool HasPictureExtension(std::string_view name) {
  static constexpr std::string_view kExtensions[] = {".png", ".jpg", ".jpeg", ".gif",
                                                     ".bmp", ".tif", ".tiff"};
  const std::string extension = AsciiLowerCase(FileExtension(name));
  return std::find(std::begin(kExtensions), std::end(kExtensions), extension) !=
         std::end(kExtensions);
}

std::string MobileCopyName(int index, std::string_view mobilefile1) {
  return kMobileFolder + ("page" + N4(index + 1) + "_i1" + FileExtension(mobilefile1));
}

std::string PhotoViewThumbName(int index, std::string_view photoviewthumb) {
  return kPagesFolder + ("thumb_" + N4(index + 1) + FileExtension(photoviewthumb));
}

std::string PageThumbnailName(int index) {
  return kThumbnailsFolder + ("thumb_" + std::to_string(index) + ".png");
}
