#include "package/PageSplitter.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "log/ZanLog.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/PackageReader.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "package/uSWFStreamReader.h"
#include "platform/Image.h"
#include "platform/Os.h"
#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/Pictures.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMobileCopyBox = 800;
constexpr int kPhotoViewThumbBox = 200;
// A page thumbnail is a small picture of the page; a book asking for a larger one gets it scaled
// down to this size, so that a hostile page size cannot make every page draw a huge canvas.
constexpr double kMaxPageThumbSide = 2048;

// The scaled-copy size: the source fitted into the box, never below one pixel.
Size FitSize(const Size& source, int box) {
  const Rect fit = FitInBox(source.width, source.height, box, box);
  return {std::max(1, static_cast<int>(fit.width)), std::max(1, static_cast<int>(fit.height))};
}

// A copy named without a picture extension (a page whose document leaves `mobilefile1` or
// `photoviewthumb` empty) has no format to be saved in: it is left out and the page goes on.
void SaveStretched(const platform::Picture& picture, Size size, const fs::path& dest) {
  if (!HasPictureExtension(dest.string())) return;
  auto canvas = platform::CreateCanvas(size.width, size.height);
  canvas->DrawStretched(picture, 0, 0, size.width, size.height);
  canvas->SaveToFile(dest);
}

// The thumbnail scale: the book's, or smaller when the thumbnail would exceed the largest side.
double PageThumbScale(double scale, int pageWidth, int pageHeight) {
  const double largest = std::max(std::abs(pageWidth * scale), std::abs(pageHeight * scale));
  if (!(largest > kMaxPageThumbSide)) return scale;  // NaN too: S() makes it no thumbnail
  return scale * (kMaxPageThumbSide / largest);
}

// The size of a picture that is a page's first file. The signature test also accepts formats
// the image library cannot read (PCX, Photoshop, Sun raster, SGI) and damaged pictures: such a
// file has no size, and the page goes on. So has a picture over the pixel budget.
Size PictureSize(const fs::path& file) {
  try {
    const Size image = platform::ReadImageSize(file);
    if (platform::WithinPixelBudget(image)) return {image.width, image.height};
    LogMessage("Picture too large: " + file.string() + " (" + std::to_string(image.width) + " x " +
               std::to_string(image.height) + " pixels)");
  } catch (const Error&) {
  }
  return {};
}

}  // namespace

// Width and height of the page's first file: the stage of a movie, the size of a picture, 0 x 0
// for anything else. Empty when the file is missing (the user has been told). Pages often share
// a movie: its stage is read once per split, and again only after a page rewrites the file.
std::optional<Size> TPageSplitter::FirstFileSize(const fs::path& file) {
  Size size;
  if (file.empty()) return size;
  if (AsciiLowerCase(file.extension().string()) == ".swf") {
    if (const auto known = FStageSizes.find(file); known != FStageSizes.end()) return known->second;
    SwfStageSize(file, size.width, size.height);
    std::error_code ec;
    if (fs::is_regular_file(file, ec)) FStageSizes[file] = size;
    return size;
  }
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    platform::ShowMessageBox("File do not exist:" + file.string());
    return std::nullopt;
  }
  if (IsPictureFile(file, false)) size = PictureSize(file);
  return size;
}

TPageSplitter::TPageSplitter(TPackageReader& stream, TMBook& book, bool downloads)
    : FStream(stream), FBook(book), FDownloads(downloads) {}

bool TPageSplitter::SplitAll(const PageDone& pageDone) {
  try {
    TMPages& pages = *FBook.Chapters->Items(0).Pages;
    const int count = pages.Count();
    LogMessage("Page Count: " + std::to_string(count));
    for (int i = 0; i < count; ++i) {
      SplitPage(i, pages.Items(i));
      if (!pageDone(i + 1, count)) return false;
    }
    return true;
  } catch (const Error& e) {
    LogMessage(std::string("[ProSaver.SplitPages]: Error:") + e.what());
    throw Error(e.what());
  }
}

void TPageSplitter::WriteBySize(std::uint32_t pos, std::uint32_t size, const fs::path& dest) {
  FStageSizes.erase(dest);
  FStream.CopyToFile(FStream.BySize(pos, size), dest);
}

void TPageSplitter::SplitPage(int index, TMPage& page) {
  if (!IsBlank(page.print))
    page.print = GetBookRoot(GetRootPath(true)).string() + ToPlatformSeparators(page.print);
  if (page.pos_search_ > 0) {
    const fs::path dest = GetBookFilePath(page.searchtxt);
    WriteBySize(page.pos_search_, page.size_search_, dest);
    page.searchtxt = dest.string();
  }
  SplitPageDownload(index, page);
  SplitPageElements(index, page);
  if (page.pos_mobilefile2 > 0) SplitMobileImages(index, page);
}

// The download copy is optional: its failure is logged and the page goes on.
void TPageSplitter::SplitPageDownload(int index, TMPage& page) {
  if (!FDownloads || page.pos_download_ == 0) return;
  try {
    const std::string name = "page_" + N4(index) + FileExtension(page.download);
    WriteBySize(page.pos_download_, page.size_download_, GetBookFilePath(kDownloadsFolder + name));
  } catch (const std::exception&) {
    LogMessage("Failed to save PDF Page for download.");
  }
}

void TPageSplitter::SplitPageElements(int index, TMPage& page) {
  const int count = page.elem->Count();
  for (int j = 0; j < count; ++j) {
    auto* file = dynamic_cast<TBasicVisualPageFileElement*>(&page.elem->Items(j));
    if (!file) continue;
    if (file->pos_ > 0) {
      const fs::path dest = GetBookFilePath(file->src());
      WriteBySize(file->pos_, file->size_, dest);
      file->SetSrc(dest.string());
    }
    if (auto* video = dynamic_cast<TMVid*>(file); video && video->pos_pre_ > 0) {
      const fs::path dest = GetBookFilePath(video->preview);
      WriteBySize(video->pos_pre_, video->size_pre_, dest);
      video->preview = dest.string();
    }
    LogMessage("Finish Split Page[" + std::to_string(index) + "].Elem" + std::to_string(j + 1) +
               "/" + std::to_string(count));
  }
}

// The first element's file: the full path written for it, or its document name below the book
// root when it was not in the package. Empty when the first element names no file. Raises the
// list's index error for a page without elements.
fs::path TPageSplitter::FirstElementFile(const TMPage& page) const {
  const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&page.elem->Items(0));
  if (!file || IsBlank(file->src())) return {};
  return file->pos_ > 0 ? fs::path(file->src()) : GetBookFilePath(file->src());
}

// The mobile image, then its large copy, the photo-view thumbnail and the page thumbnail. The
// image is decoded once, at the largest size any of the three draws it.
void TPageSplitter::SplitMobileImages(int index, TMPage& page) {
  const fs::path mobile = GetBookFilePath(page.mobilefile2);
  WriteBySize(page.pos_mobilefile2, page.size_mobilefile2, mobile);
  page.mobilefile2 = mobile.string();

  const fs::path copy = GetBookFilePath(MobileCopyName(index, page.mobilefile1));
  const fs::path photo = GetBookFilePath(PhotoViewThumbName(index, page.photoviewthumb));
  const fs::path thumb = GetBookFilePath(PageThumbnailName(index));
  page.mobilefile1 = copy.string();
  page.photoviewthumb = photo.string();

  const double scale = PageThumbScale(FBook.thumbscale, FBook.pagewidth, FBook.pageheight);
  const auto S = [scale](int x) { return RoundHalfEven(x * scale); };
  const Size pageThumb{S(FBook.pagewidth), S(FBook.pageheight)};

  const Size stored = platform::ReadImageSize(mobile);
  const Size large = FitSize(stored, kMobileCopyBox);
  const auto picture = platform::LoadPictureForBox(mobile, std::max(large.width, pageThumb.width),
                                                   std::max(large.height, pageThumb.height));
  SaveStretched(*picture, large, copy);
  SaveStretched(*picture, FitSize(stored, kPhotoViewThumbBox), photo);
  page.pagethumb = thumb.string();

  const std::optional<Size> first = FirstFileSize(FirstElementFile(page));
  if (!first) return;
  // A book without a page size has no room for a page thumbnail; the page goes on without one.
  if (pageThumb.width < 1 || pageThumb.height < 1) return;
  if (first->width >= 1 && first->height >= 1) {
    const auto& element = page.elem->Items(0);
    auto canvas = platform::CreateCanvas(pageThumb.width, pageThumb.height);
    canvas->DrawStretched(*picture, S(element.left), S(element.top), S(element.width),
                          S(element.height));
    canvas->SaveToFile(thumb);
  } else {
    SaveStretched(*picture, pageThumb, thumb);
  }
}
