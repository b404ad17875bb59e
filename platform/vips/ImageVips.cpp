// Pictures and canvases over libvips (C++ API).
// Implements: every operation of platform/Image.h. Formats are told by their first bytes, not
//   by the file name: JPEG (shrink-on-load when a smaller draw size is announced), PNG, GIF
//   (first frame), TIFF (first page) through libvips; BMP through platform/vips/BmpCodec, with
//   libvips' ImageMagick loader as the fallback for BMP variants that codec does not read.
//   Every loader's header is read first and a picture over the pixel budget is refused; a
//   picture for a known draw size is shrunk by a whole factor while it is decoded.
//   Saving: PNG, JPEG, GIF, TIFF through libvips, BMP through BmpCodec.
// Does not: apply EXIF orientation (except for fitted copies) or embedded colour profiles beyond
//   libvips' conversion to sRGB, read other formats, or keep animation.
//
// A Picture holds its decoded pixels in memory (straight RGBA, 8 bits), so drawing it several
// times decodes the file once. A Canvas is a lazy libvips pipeline: pixels are computed only
// while it is saved, a region at a time.

#include <dlfcn.h>
#include <orc/orc.h>
#include <vips/vips8>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "platform/Image.h"
#include "platform/vips/BmpCodec.h"
#include "util/AsciiCase.h"
#include "util/Error.h"

// libvips 8.14 and 8.15 end a thread of their shared worker set once it has waited 15 s for a
// task; this call is that wait, and its only use. A pipeline can take the thread off the idle list
// in the moment it gives up: the task is then lost, so the pipeline waits forever, and the ending
// thread frees its record and its lock while the pipeline still writes to them, which corrupts the
// heap (a page split with its picture workers died of it under load). Defined in the program, this
// replaces the library's own: an idle worker waits for its next task without a time limit, as
// before 8.14. The threads then stay until the process ends: as many as ever ran at once.
#if VIPS_MAJOR_VERSION == 8 && (VIPS_MINOR_VERSION == 14 || VIPS_MINOR_VERSION == 15)
extern "C" int vips_semaphore_down_timeout(VipsSemaphore* semaphore, gint64 /*timeout*/) {
  return vips_semaphore_down(semaphore);
}
#endif

// libvips compiles its vector code with Orc while it builds an operation (a resize, say) and frees
// that code with the operation. It lets one compile run at a time but not one free. Orc 0.4.33
// keeps the code of every program in one list of chunks and changes that list on both paths,
// with no lock when it frees: a picture worker dropping its resize while another builds one
// frees a chunk record the other is still walking, which corrupts the heap (a page split with its
// picture workers died of it under load). Defined in the program, these two take the place of
// Orc's own for the library's calls and let one through at a time.
namespace {

std::mutex& OrcCodeGate() {
  static std::mutex gate;
  return gate;
}

template <typename Function>
Function OrcOwn(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" OrcCompileResult orc_program_compile(OrcProgram* program) {
  static const auto compile = OrcOwn<OrcCompileResult (*)(OrcProgram*)>("orc_program_compile");
  // Without Orc's own, the library takes its plain C path for the operation.
  if (compile == nullptr) return ORC_COMPILE_RESULT_UNKNOWN_COMPILE;
  const std::lock_guard lock(OrcCodeGate());
  return compile(program);
}

extern "C" void orc_program_free(OrcProgram* program) {
  static const auto release = OrcOwn<void (*)(OrcProgram*)>("orc_program_free");
  if (release == nullptr) return;
  const std::lock_guard lock(OrcCodeGate());
  release(program);
}

namespace platform {
namespace {

namespace fs = std::filesystem;
using vips::VError;
using vips::VImage;

// JPEG and the other savers stop at 65535; beyond a few thousand pixels a book picture is a bug.
constexpr int kMaxCanvasSide = 32767;
constexpr std::int64_t kMaxDrawSide = 1'000'000;

enum class Format { Jpeg, Png, Gif, Tiff, Bmp, Unknown };

// The name the library is started with; it guesses its install folder from it.
constexpr char kLibraryProgramName[] = "bookstub";

void InitVips() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    ready = VIPS_INIT(kLibraryProgramName) == 0;
    // Every picture is decoded once on purpose; the operation cache would only pin memory.
    if (ready) vips_cache_set_max(0);
  });
  if (!ready) throw Error("The image library could not start: " + std::string(vips_error_buffer()));
}

// The library's message for a failure. Its message buffer is shared by every thread and keeps
// growing: taken out, so that the next failure (on this thread or a worker's) reports only its
// own messages.
std::string Taken(const VError& error) {
  std::string text = error.what();
  vips_error_clear();
  return text;
}

[[noreturn]] void Unsupported(const fs::path& file) {
  throw Error("Unsupported image format: " + file.string());
}

std::string ReadStart(const fs::path& file, size_t count) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error("Cannot open image file " + file.string());
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error("Cannot open image file " + file.string());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Format DetectFormat(const std::string& start) {
  auto startsWith = [&](std::string_view magic) { return start.rfind(magic, 0) == 0; };
  if (startsWith("\xFF\xD8\xFF")) return Format::Jpeg;
  if (startsWith("\x89PNG\r\n\x1A\n")) return Format::Png;
  if (startsWith("GIF87a") || startsWith("GIF89a")) return Format::Gif;
  if (startsWith(std::string_view("II*\0", 4)) || startsWith(std::string_view("MM\0*", 4)))
    return Format::Tiff;
  if (bmp::LooksLikeBmp(start)) return Format::Bmp;
  return Format::Unknown;
}

VImage Srgb(const VImage& image) {
  return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

vips::VOption* Sequential() {
  return VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL);
}

// An encoded picture: a file, or bytes in memory (which must outlive every image opened from
// them). Both go through the same loaders, so they decode to the same pixels.
class Source {
 public:
  explicit Source(const fs::path& file) : file_(&file) {}
  explicit Source(std::string_view bytes) : bytes_(bytes) {}

  const fs::path& Name() const {
    static const fs::path memory("<memory>");
    return file_ ? *file_ : memory;
  }
  std::string Start(size_t count) const {
    return file_ ? ReadStart(*file_, count) : std::string(bytes_.substr(0, count));
  }
  std::string Whole() const { return file_ ? ReadWhole(*file_) : std::string(bytes_); }
  Format DetectedFormat() const { return DetectFormat(Start(8)); }

  // The picture as a lazy libvips image; the pixels are read when first needed.
  VImage Open(Format format, int jpegShrink) const {
    return file_ ? OpenFile(format, jpegShrink) : OpenBytes(format, jpegShrink);
  }

 private:
  VImage OpenFile(Format format, int jpegShrink) const {
    const char* name = file_->c_str();
    switch (format) {
      case Format::Jpeg:
        return VImage::jpegload(name, Sequential()->set("shrink", jpegShrink));
      case Format::Png:
        return VImage::pngload(name, Sequential());
      case Format::Gif:
        return VImage::gifload(name, Sequential());
      case Format::Tiff:
        return VImage::tiffload(name, Sequential());
      case Format::Bmp:
        return VImage::magickload(name);
      case Format::Unknown:
        break;
    }
    Unsupported(*file_);
  }

  VImage OpenBytes(Format format, int jpegShrink) const {
    VipsBlob* blob = vips_blob_new(nullptr, bytes_.data(), bytes_.size());
    struct Unref {
      VipsBlob* blob;
      ~Unref() { vips_area_unref(VIPS_AREA(blob)); }
    } unref{blob};
    switch (format) {
      case Format::Jpeg:
        return VImage::jpegload_buffer(blob, Sequential()->set("shrink", jpegShrink));
      case Format::Png:
        return VImage::pngload_buffer(blob, Sequential());
      case Format::Gif:
        return VImage::gifload_buffer(blob, Sequential());
      case Format::Tiff:
        return VImage::tiffload_buffer(blob, Sequential());
      case Format::Bmp:
        return VImage::magickload_buffer(blob);
      case Format::Unknown:
        break;
    }
    Unsupported(Name());
  }

  const fs::path* file_ = nullptr;
  std::string_view bytes_;
};

VImage FromRgba(const bmp::RgbaPixels& pixels) {
  VImage borrowed =
      VImage::new_from_memory(const_cast<std::uint8_t*>(pixels.rgba.data()), pixels.rgba.size(),
                              pixels.width, pixels.height, 4, VIPS_FORMAT_UCHAR);
  return Srgb(borrowed).copy_memory();
}

// 8-bit sRGB, whatever the file held (grey, palette, 16-bit, CMYK, ...): RGBA where the file has
// transparency, RGB where it has none.
VImage ToSrgb(VImage image) {
  if (image.interpretation() != VIPS_INTERPRETATION_sRGB || image.format() != VIPS_FORMAT_UCHAR)
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  if (image.bands() > 4) image = image.extract_band(0, VImage::option()->set("n", 4));
  return image;
}

// An opaque picture is kept, resampled and drawn without its alpha band: it skips the
// premultiplied floating-point arithmetic transparency needs, and the result is the same.
bool IsOpaque(const VImage& pixels) {
  return pixels.bands() == 3;
}

// The largest JPEG shrink (1, 2, 4 or 8) that keeps the decoded pixels at least as large as
// the biggest draw.
int JpegShrinkFor(int width, int height, int maxDrawWidth, int maxDrawHeight) {
  if (maxDrawWidth <= 0 || maxDrawHeight <= 0) return 1;
  int shrink = 1;
  for (int candidate : {2, 4, 8})
    if (static_cast<std::int64_t>(maxDrawWidth) * candidate <= width &&
        static_cast<std::int64_t>(maxDrawHeight) * candidate <= height)
      shrink = candidate;
  return shrink;
}

class VipsPicture final : public Picture {
 public:
  VipsPicture(VImage pixels, int width, int height)
      : pixels_(std::move(pixels)), width_(width), height_(height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const VImage& Pixels() const { return pixels_; }

 private:
  VImage pixels_;  // straight RGBA, or RGB when opaque; possibly smaller than the stored size
  int width_;
  int height_;
};

// Raises the refusal of a picture whose header claims more pixels than the budget.
void CheckPixelBudget(const fs::path& file, int width, int height) {
  if (WithinPixelBudget({width, height})) return;
  throw Error("Picture too large to decode: " + file.string() + " (" + std::to_string(width) +
              " x " + std::to_string(height) + " pixels)");
}

// The largest whole factor that keeps a width x height picture at least as large as the
// biggest draw in both directions; 1 when the draw size is not known.
int ShrinkFactorFor(int width, int height, int maxDrawWidth, int maxDrawHeight) {
  if (maxDrawWidth <= 0 || maxDrawHeight <= 0) return 1;
  return std::max(1, std::min(width / maxDrawWidth, height / maxDrawHeight));
}

// The decoded pixels shrunk by a whole factor, on premultiplied pixels like any resampling of a
// transparent picture here. The pipeline stays lazy: with sequential access the decoder is read a
// few rows at a time.
VImage ShrinkForDraw(VImage rgba, int maxDrawWidth, int maxDrawHeight) {
  const int factor = ShrinkFactorFor(rgba.width(), rgba.height(), maxDrawWidth, maxDrawHeight);
  if (factor == 1) return rgba;
  if (IsOpaque(rgba)) return rgba.shrink(factor, factor).cast(VIPS_FORMAT_UCHAR);
  return Srgb(rgba.premultiply().shrink(factor, factor).unpremultiply().cast(VIPS_FORMAT_UCHAR));
}

std::unique_ptr<Picture> LoadBmp(const Source& source, int maxDrawWidth, int maxDrawHeight) {
  if (const auto size = bmp::ReadSize(source.Start(64)))
    CheckPixelBudget(source.Name(), size->width, size->height);
  const std::string bytes = source.Whole();
  if (auto pixels = bmp::Decode(bytes, source.Name().string())) {
    const VImage image = ShrinkForDraw(FromRgba(*pixels), maxDrawWidth, maxDrawHeight);
    return std::make_unique<VipsPicture>(image.copy_memory(), pixels->width, pixels->height);
  }
  const VImage header = source.Open(Format::Bmp, 1);
  CheckPixelBudget(source.Name(), header.width(), header.height());
  const VImage image = ShrinkForDraw(ToSrgb(header), maxDrawWidth, maxDrawHeight).copy_memory();
  return std::make_unique<VipsPicture>(image, header.width(), header.height());
}

std::unique_ptr<Picture> Load(const Source& source, int maxDrawWidth, int maxDrawHeight) {
  InitVips();
  const Format format = source.DetectedFormat();
  if (format == Format::Unknown) Unsupported(source.Name());
  try {
    if (format == Format::Bmp) return LoadBmp(source, maxDrawWidth, maxDrawHeight);
    const VImage header = source.Open(format, 1);
    CheckPixelBudget(source.Name(), header.width(), header.height());
    const int shrink = format == Format::Jpeg ? JpegShrinkFor(header.width(), header.height(),
                                                              maxDrawWidth, maxDrawHeight)
                                              : 1;
    const VImage decoded = shrink == 1 ? header : source.Open(format, shrink);
    return std::make_unique<VipsPicture>(
        ShrinkForDraw(ToSrgb(decoded), maxDrawWidth, maxDrawHeight).copy_memory(), header.width(),
        header.height());
  } catch (const VError& e) {
    throw Error("Cannot load image " + source.Name().string() + ": " + Taken(e));
  }
}

// `upright`: the size shown once a camera's orientation tag is applied (width and height swap
// for a quarter turn).
Size ReadSize(const Source& source, bool upright = false) {
  InitVips();
  const Format format = source.DetectedFormat();
  if (format == Format::Unknown) Unsupported(source.Name());
  try {
    if (format == Format::Bmp) {
      if (const auto size = bmp::ReadSize(source.Start(64))) return {size->width, size->height};
    }
    const VImage header = source.Open(format, 1);
    if (upright && vips_image_get_orientation_swap(header.get_image()))
      return {header.height(), header.width()};
    return {header.width(), header.height()};
  } catch (const VError& e) {
    throw Error("Cannot read image " + source.Name().string() + ": " + Taken(e));
  }
}

// The picture resized to exactly width x height, straight RGBA (RGB when opaque). A transparent
// picture is resampled on premultiplied pixels so transparent areas do not bleed their colour into
// the edges.
VImage StretchTo(const VImage& pixels, int width, int height) {
  const double xScale = static_cast<double>(width) / pixels.width();
  const double yScale = static_cast<double>(height) / pixels.height();
  VImage resized = IsOpaque(pixels) ? pixels.resize(xScale, VImage::option()->set("vscale", yScale))
                                    : pixels.premultiply()
                                          .resize(xScale, VImage::option()->set("vscale", yScale))
                                          .unpremultiply()
                                          .cast(VIPS_FORMAT_UCHAR);
  // Rounding inside the resampler may miss the exact size by a pixel either way.
  if (resized.width() != width || resized.height() != height)
    resized = resized
                  .embed(0, 0, std::max(width, resized.width()), std::max(height, resized.height()),
                         VImage::option()->set("extend", VIPS_EXTEND_COPY))
                  .crop(0, 0, width, height);
  return resized;
}

class VipsCanvas final : public Canvas {
 public:
  VipsCanvas(int width, int height)
      : image_(Srgb(VImage::black(width, height, VImage::option()->set("bands", 4)))) {}
  // A canvas holding `rgba` (straight RGBA, 8 bits), every pixel of which is opaque.
  explicit VipsCanvas(VImage rgba) : image_(std::move(rgba)), blank_(false), opaque_(true) {}

  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }

  void DrawStretched(const Picture& picture, int x, int y, int width, int height) override {
    if (width <= 0 || height <= 0) return;
    if (width > kMaxDrawSide || height > kMaxDrawSide)
      throw Error("Drawing rectangle too large: " + std::to_string(width) + " x " +
                  std::to_string(height));
    // The visible part of the rectangle, in canvas coordinates.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, Width());
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + height, Height());
    if (left >= right || top >= bottom) return;
    try {
      const VImage stretched =
          StretchTo(static_cast<const VipsPicture&>(picture).Pixels(), width, height);
      const VImage visible =
          stretched.crop(static_cast<int>(left - x), static_cast<int>(top - y),
                         static_cast<int>(right - left), static_cast<int>(bottom - top));
      if (blank_ && IsOpaque(visible)) {
        // Over nothing, an opaque picture is itself: placed on a transparent canvas, no blending.
        image_ = Srgb(visible.bandjoin_const({255}).embed(
            static_cast<int>(left), static_cast<int>(top), Width(), Height(),
            VImage::option()->set("extend", VIPS_EXTEND_BLACK)));
        opaque_ = left == 0 && top == 0 && right == Width() && bottom == Height();
      } else {
        const VImage over = IsOpaque(visible) ? visible.bandjoin_const({255}) : visible;
        image_ = image_
                     .composite2(over, VIPS_BLEND_MODE_OVER,
                                 VImage::option()
                                     ->set("x", static_cast<int>(left))
                                     ->set("y", static_cast<int>(top)))
                     .cast(VIPS_FORMAT_UCHAR);
        opaque_ = false;
      }
      blank_ = false;
    } catch (const VError& e) {
      throw Error(std::string("Cannot draw picture: ") + Taken(e));
    }
  }

  std::string Encode(const std::string& extension) const override {
    InitVips();
    const std::string lower = AsciiLowerCase(extension);
    try {
      if (lower == ".bmp") return bmp::Encode(Pixels());
      VipsBlob* blob = nullptr;
      if (lower == ".png")
        blob = image_.pngsave_buffer();
      else if (lower == ".jpg" || lower == ".jpeg")
        blob = Opaque().jpegsave_buffer();
      else if (lower == ".gif")
        blob = image_.gifsave_buffer();
      else if (lower == ".tif" || lower == ".tiff")
        blob = image_.tiffsave_buffer();
      else
        throw Error("No image format for the extension " + extension);
      size_t size = 0;
      const auto* data = static_cast<const char*>(vips_blob_get(blob, &size));
      std::string bytes(data, size);
      vips_area_unref(VIPS_AREA(blob));
      return bytes;
    } catch (const VError& e) {
      throw Error(std::string("Cannot encode image: ") + Taken(e));
    }
  }

  void SaveToFile(const fs::path& file) const override {
    InitVips();
    const std::string extension = AsciiLowerCase(file.extension().string());
    try {
      if (extension == ".png")
        image_.pngsave(file.c_str());
      else if (extension == ".jpg" || extension == ".jpeg")
        Opaque().jpegsave(file.c_str());
      else if (extension == ".gif")
        image_.gifsave(file.c_str());
      else if (extension == ".tif" || extension == ".tiff")
        image_.tiffsave(file.c_str());
      else if (extension == ".bmp")
        SaveBmp(file);
      else
        throw Error("No image format for the extension of " + file.string());
    } catch (const VError& e) {
      throw Error("Cannot save image " + file.string() + ": " + Taken(e));
    }
  }

 private:
  // The pixels on black, without their alpha band.
  VImage Opaque() const {
    if (opaque_) return image_.extract_band(0, VImage::option()->set("n", 3));
    return image_.flatten(VImage::option()->set("background", std::vector<double>{0, 0, 0}))
        .cast(VIPS_FORMAT_UCHAR);
  }

  bmp::RgbaPixels Pixels() const {
    bmp::RgbaPixels pixels;
    pixels.width = Width();
    pixels.height = Height();
    size_t size = 0;
    void* memory = image_.write_to_memory(&size);
    const auto* bytes = static_cast<const std::uint8_t*>(memory);
    pixels.rgba.assign(bytes, bytes + size);
    g_free(memory);
    return pixels;
  }

  void SaveBmp(const fs::path& file) const {
    const std::string encoded = bmp::Encode(Pixels());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(encoded.data(), static_cast<std::streamsize>(encoded.size()));
    if (!out) throw Error("Cannot write image file " + file.string());
  }

  VImage image_;         // straight RGBA, 8 bits
  bool blank_ = true;    // nothing drawn yet: every pixel transparent
  bool opaque_ = false;  // every pixel known to be opaque
};

// The picture fitted into the box by libvips' thumbnailer: shrunk while decoded where the
// format allows, turned upright by its orientation tag, then resampled, streaming.
VImage Thumbnail(const fs::path& file, Format format, int maxWidth, int maxHeight) {
  const VImage header = Source(file).Open(format, 1);
  CheckPixelBudget(file, header.width(), header.height());
  VImage fitted =
      VImage::thumbnail(file.c_str(), maxWidth,
                        VImage::option()->set("height", maxHeight)->set("size", VIPS_SIZE_DOWN));
  // Turned upright: a copy keeping the tag would be turned once more by whatever honours it.
  fitted = fitted.copy();
  fitted.remove(VIPS_META_ORIENTATION);
  return fitted;
}

// BMP goes through our codec, decoded whole (shrunk by a whole factor), then resampled.
VImage FittedBmp(const fs::path& file, int maxWidth, int maxHeight) {
  const auto picture = Load(Source(file), maxWidth, maxHeight);
  const double scale = std::min({1.0, static_cast<double>(maxWidth) / picture->Width(),
                                 static_cast<double>(maxHeight) / picture->Height()});
  const int width = std::max(1, static_cast<int>(std::lround(picture->Width() * scale)));
  const int height = std::max(1, static_cast<int>(std::lround(picture->Height() * scale)));
  return StretchTo(static_cast<const VipsPicture&>(*picture).Pixels(), width, height);
}

// Straight RGBA with every pixel opaque: transparent parts laid on white paper.
VImage OnWhite(const VImage& picture) {
  const VImage srgb = ToSrgb(picture);
  if (IsOpaque(srgb)) return Srgb(srgb.bandjoin_const({255}));
  return Srgb(srgb.flatten(VImage::option()->set("background", std::vector<double>{255, 255, 255}))
                  .cast(VIPS_FORMAT_UCHAR)
                  .bandjoin_const({255}));
}

}  // namespace

std::unique_ptr<Picture> LoadPicture(const fs::path& file) {
  return Load(Source(file), 0, 0);
}

std::unique_ptr<Picture> LoadPictureForBox(const fs::path& file, int maxDrawWidth,
                                           int maxDrawHeight) {
  return Load(Source(file), maxDrawWidth, maxDrawHeight);
}

std::unique_ptr<Picture> LoadPictureFromBytesForBox(std::string_view bytes, int maxDrawWidth,
                                                    int maxDrawHeight) {
  return Load(Source(bytes), maxDrawWidth, maxDrawHeight);
}

Size ReadImageSize(const fs::path& file) {
  return ReadSize(Source(file));
}

Size ReadUprightImageSize(const fs::path& file) {
  return ReadSize(Source(file), true);
}

Size ReadImageSizeFromBytes(std::string_view bytes) {
  return ReadSize(Source(bytes));
}

void PrepareImageLibrary() {
  // The library's start sets VIPSHOME (its install folder) unless it is set already: the same
  // guess made now, with no other thread running, leaves its start nothing to write.
  vips_guess_prefix(kLibraryProgramName, "VIPSHOME");
}

void SetPictureThreads(int threads) {
  InitVips();
  vips_concurrency_set(threads);
}

Size SaveFittedCopy(const fs::path& file, const fs::path& dest, int maxWidth, int maxHeight) {
  InitVips();
  const Format format = Source(file).DetectedFormat();
  if (format == Format::Unknown) Unsupported(file);
  if (maxWidth < 1 || maxHeight < 1 || maxWidth > kMaxCanvasSide || maxHeight > kMaxCanvasSide)
    throw Error("Invalid copy size " + std::to_string(maxWidth) + " x " +
                std::to_string(maxHeight));
  VImage fitted;
  try {
    fitted = format == Format::Bmp ? FittedBmp(file, maxWidth, maxHeight)
                                   : Thumbnail(file, format, maxWidth, maxHeight);
  } catch (const VError& e) {
    throw Error("Cannot load image " + file.string() + ": " + Taken(e));
  }
  const VipsCanvas copy(OnWhite(fitted));
  copy.SaveToFile(dest);
  return {copy.Width(), copy.Height()};
}

Size SaveFittedPixels(const RgbPixels& pixels, const fs::path& dest, int maxWidth, int maxHeight) {
  InitVips();
  if (pixels.width < 1 || pixels.height < 1 ||
      pixels.rgb.size() != static_cast<size_t>(pixels.width) * pixels.height * 3)
    throw Error("Pixels of " + std::to_string(pixels.width) + " x " +
                std::to_string(pixels.height) + " without their bytes, for " + dest.string());
  if (maxWidth < 1 || maxHeight < 1 || maxWidth > kMaxCanvasSide || maxHeight > kMaxCanvasSide)
    throw Error("Invalid copy size " + std::to_string(maxWidth) + " x " +
                std::to_string(maxHeight));
  VImage fitted;
  try {
    // Borrowed, not copied: the pipeline is run to its end before this returns.
    fitted = Srgb(VImage::new_from_memory(const_cast<std::uint8_t*>(pixels.rgb.data()),
                                          pixels.rgb.size(), pixels.width, pixels.height, 3,
                                          VIPS_FORMAT_UCHAR));
    if (pixels.width > maxWidth || pixels.height > maxHeight)
      fitted = fitted.thumbnail_image(
          maxWidth, VImage::option()->set("height", maxHeight)->set("size", VIPS_SIZE_DOWN));
  } catch (const VError& e) {
    throw Error("Cannot resize pixels for " + dest.string() + ": " + Taken(e));
  }
  const VipsCanvas copy(OnWhite(fitted));
  copy.SaveToFile(dest);
  return {copy.Width(), copy.Height()};
}

std::unique_ptr<Canvas> CreateCanvas(int width, int height) {
  InitVips();
  if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide)
    throw Error("Invalid canvas size " + std::to_string(width) + " x " + std::to_string(height));
  return std::make_unique<VipsCanvas>(width, height);
}

}  // namespace platform
