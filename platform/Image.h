#pragma once
// Picture loading, a transparent 32-bit canvas, stretched drawing and saving, as the page
// splitting uses them. Implemented over libvips in platform/vips/.
//
// A page's mobile image is decoded once and drawn several times:
//   auto picture = platform::LoadPictureForBox(file, 800, 800);   // largest draw size
//   auto canvas = platform::CreateCanvas(w, h);
//   canvas->DrawStretched(*picture, 0, 0, w, h);
//   canvas->SaveToFile(destination);
// Every failure raises Error with a message naming the file.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/Geometry.h"

namespace platform {

// The most pixels a picture may have to be decoded, whatever its format: far beyond any book
// picture, and a header claiming more is refused before a byte of pixels is read.
inline constexpr std::int64_t kMaxPicturePixels = 100'000'000;

inline bool WithinPixelBudget(const Size& size) {
  return std::int64_t{size.width} * size.height <= kMaxPicturePixels;
}

// A decoded picture (JPEG, PNG, GIF, BMP or TIFF; the first frame of a multi-frame file).
class Picture {
 public:
  virtual ~Picture() = default;
  // The size of the stored image in pixels, whatever resolution was decoded.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// Decodes the whole picture at full resolution. A picture whose header claims more than
// kMaxPicturePixels raises Error without being decoded, as does one that cannot be decoded.
std::unique_ptr<Picture> LoadPicture(const std::filesystem::path& file);

// Decodes a picture that will never be drawn wider than `maxDrawWidth` nor higher than
// `maxDrawHeight` pixels: the pixels are shrunk while they are decoded (by whole factors) as
// long as they stay at least that large in both directions, so a large picture never sits in
// memory at full size. Width()/Height() still give the stored size. Refused as LoadPicture.
std::unique_ptr<Picture> LoadPictureForBox(const std::filesystem::path& file, int maxDrawWidth,
                                           int maxDrawHeight);

// The same for a picture held in memory (the bytes of a file): the same pixels as from the file.
// Errors name no file.
std::unique_ptr<Picture> LoadPictureFromBytesForBox(std::string_view bytes, int maxDrawWidth,
                                                    int maxDrawHeight);

// The stored size of an image file, read from its header without decoding the pixels.
Size ReadImageSize(const std::filesystem::path& file);
Size ReadImageSizeFromBytes(std::string_view bytes);

// The size a picture is shown at: the stored size, width and height swapped where the file's
// orientation tag (a camera's) asks for a quarter turn.
Size ReadUprightImageSize(const std::filesystem::path& file);

// Saves a copy of the picture in `file`, turned upright by its orientation tag, fitted into
// maxWidth x maxHeight (proportions kept, never enlarged) to `dest` without that tag, in the
// format of its extension as Canvas::SaveToFile chooses it, with transparent parts on white. The
// pixels stream from decoder to encoder a few rows at a time, shrunk while decoded where the format
// allows it, so memory stays small whatever the picture's size. Refused as LoadPicture. Returns the
// copy's size.
Size SaveFittedCopy(const std::filesystem::path& file, const std::filesystem::path& dest,
                    int maxWidth, int maxHeight);

// Pixels in memory, as a renderer (platform/Pdf.h) makes them: 8-bit RGB, rows packed,
// width x height x 3 bytes.
struct RgbPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

// Saves the pixels fitted into maxWidth x maxHeight (proportions kept, never enlarged) to `dest`,
// in the format of its extension as Canvas::SaveToFile chooses it. Raises Error for pixels whose
// byte count does not match their size. Returns the copy's size.
Size SaveFittedPixels(const RgbPixels& pixels, const std::filesystem::path& dest, int maxWidth,
                      int maxHeight);

// A 32-bit RGBA drawing surface of a fixed size, fully transparent when created.
class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Draws the whole picture stretched (not proportionally) into the rectangle at (x, y) of
  // width x height pixels, blended over what is there; parts outside the canvas are clipped.
  // A rectangle with no positive width or height draws nothing.
  virtual void DrawStretched(const Picture& picture, int x, int y, int width, int height) = 0;
  // Saves in the format chosen by the lower-case extension of `file`: ".png", ".jpg"/".jpeg",
  // ".gif", ".bmp", ".tif"/".tiff". Formats without transparency get a black background.
  // Any other extension raises Error.
  virtual void SaveToFile(const std::filesystem::path& file) const = 0;
  // The bytes SaveToFile would write to a file with this extension (".png", ...).
  virtual std::string Encode(const std::string& extension) const = 0;
};

// Width and height must be at least 1.
std::unique_ptr<Canvas> CreateCanvas(int width, int height);

// Sets what the image library keeps in the process environment. Call before any thread starts:
// otherwise the library writes it on its first use, from whatever thread that is, while other
// threads may be reading the environment (a crash).
void PrepareImageLibrary();

// How many threads the image library uses for one picture (by default one per processor). For
// the whole process: set it to 1 where several pictures are made at once on threads of their own.
void SetPictureThreads(int threads);

}  // namespace platform
