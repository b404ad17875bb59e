#pragma once
// Name rules of the package splitting: how file names taken from the documents are cut into
// parts, and the names the split gives to derived files. Document names may use "\" or "/".

#include <string>
#include <string_view>

// Empty or made of blanks and control characters only.
bool IsBlank(std::string_view text);

// The extension with its dot, taken after the last separator: "a\b.JPG" gives ".JPG",
// "a.b\c" and "c." give "" and ".".
std::string FileExtension(std::string_view name);

// The part after the last "\" or "/".
std::string FileNamePart(std::string_view name);

// The decimal text of `k` left-padded with "0" to at least four digits.
std::string N4(long long k);

// Whether the name ends in an extension the image library chooses a picture format by (".png",
// ".jpg", ".jpeg", ".gif", ".bmp", ".tif", ".tiff", any letter case).
bool HasPictureExtension(std::string_view name);

// Names of the images the split derives from the mobile image of page `index` (from 0), relative
// to the book root with "/" separators. The mobile copy keeps the extension of the document's
// `mobilefile1` and is numbered from 1; the page thumbnail is a PNG numbered from 0.
std::string MobileCopyName(int index, std::string_view mobilefile1);
std::string PhotoViewThumbName(int index, std::string_view photoviewthumb);
std::string PageThumbnailName(int index);
