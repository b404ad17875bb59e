#include "package/PageSplitter.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

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

// A page's mobile image larger than this is not read into memory to be derived ahead: the
// calling thread derives its pictures from the written file.
constexpr std::uint64_t kMaxAheadBytes = 32u << 20;

// A copy as SaveStretched would write it; empty when it would not be written.
std::string EncodeStretched(const platform::Picture& picture, Size size, const fs::path& dest) {
  if (!HasPictureExtension(dest.string())) return {};
  auto canvas = platform::CreateCanvas(size.width, size.height);
  canvas->DrawStretched(picture, 0, 0, size.width, size.height);
  return canvas->Encode(dest.extension().string());
}

// The most bytes of a page's first file read ahead to measure it: a movie's header, a picture's.
constexpr std::uint64_t kMaxMeasuredBytes = 64u << 10;

// The stage size of a movie, or the stored size of a picture, held in memory.
Size FirstFileSizeOf(const std::string& name, const std::string& bytes) {
  if (AsciiLowerCase(fs::path(name).extension().string()) != ".swf")
    return platform::ReadImageSizeFromBytes(bytes);
  std::istringstream stream(bytes);
  TSWFStreamReader reader({}, TSwfBody::Unread);
  reader.LoadFromStream(stream);
  return {reader.Width(), reader.Height()};
}

bool WriteWhole(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

// Where a page's pictures go, and the page thumbnail's size and scale.
struct TPageSplitter::PictureNames {
  fs::path mobile, copy, photo, thumb;
  double scale = 0;
  Size pageThumb;
  int Scaled(int x) const { return RoundHalfEven(x * scale); }
  bool HasPageThumb() const { return pageThumb.width >= 1 && pageThumb.height >= 1; }
};

// The pictures of a page, encoded as they would be written.
struct TPageSplitter::Pictures {
  std::string copy, photo;  // empty where the name has no picture extension
  std::optional<std::string> placedThumb, stretchedThumb;
};

// What a worker needs: the mobile image's bytes, the names its pictures get, where the first
// element lies on the page thumbnail when it is likely placed.
struct TPageSplitter::AheadJob {
  std::string bytes;
  fs::path copy, photo, thumb;
  Size pageThumb;
  std::optional<Rect> placed;
};

// Any failure leaves the page to the calling thread, which then fails or succeeds exactly as
// a split of one page after the other does.
std::optional<TPageSplitter::Pictures> TPageSplitter::Derive(const AheadJob& job) {
  try {
    const Size stored = platform::ReadImageSizeFromBytes(job.bytes);
    const Size large = FitSize(stored, kMobileCopyBox);
    const auto picture =
        platform::LoadPictureFromBytesForBox(job.bytes, std::max(large.width, job.pageThumb.width),
                                             std::max(large.height, job.pageThumb.height));
    Pictures pictures;
    pictures.copy = EncodeStretched(*picture, large, job.copy);
    pictures.photo = EncodeStretched(*picture, FitSize(stored, kPhotoViewThumbBox), job.photo);
    if (job.pageThumb.width >= 1 && job.pageThumb.height >= 1) {
      if (job.placed) {
        auto canvas = platform::CreateCanvas(job.pageThumb.width, job.pageThumb.height);
        canvas->DrawStretched(*picture, job.placed->x, job.placed->y, job.placed->width,
                              job.placed->height);
        pictures.placedThumb = canvas->Encode(job.thumb.extension().string());
      } else {
        pictures.stretchedThumb = EncodeStretched(*picture, job.pageThumb, job.thumb);
      }
    }
    return pictures;
  } catch (...) {
    return std::nullopt;
  }
}

// Width and height of the page's first file: the stage of a movie, the size of a picture, 0 x 0
// for anything else. Empty when the file is missing (the user has been told). Pages often share
// a movie: its stage is read once per split, and again only after a page rewrites the file.
std::optional<Size> TPageSplitter::FirstFileSize(const fs::path& file) {
  Size size;
  if (file.empty()) return size;
  if (AsciiLowerCase(file.extension().string()) == ".swf") {
    if (const auto known = stageSizes_.find(file); known != stageSizes_.end()) return known->second;
    SwfStageSize(file, size.width, size.height);
    std::error_code ec;
    if (fs::is_regular_file(file, ec)) stageSizes_[file] = size;
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

TPageSplitter::TPageSplitter(TPackageReader& stream, TMBook& book, bool downloads, int workers)
    : stream_(stream), book_(book), downloads_(downloads), workers_(std::max(1, workers)) {}

TPageSplitter::~TPageSplitter() = default;

int TPageSplitter::DefaultWorkers() {
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4);
}

bool TPageSplitter::SplitAll(const PageDone& pageDone) {
  // However the split ends, no worker runs once it returns.
  struct Settle {
    TPageSplitter& splitter;
    ~Settle() { splitter.ahead_.clear(); }
  } settle{*this};
  try {
    TMPages& pages = *book_.Chapters->Items(0).Pages;
    const int count = pages.Count();
    LogMessage("Page Count: " + std::to_string(count));
    for (int i = 0; i < count; ++i) {
      DeriveAhead(i, pages);
      SplitPage(i, pages.Items(i));
      if (!pageDone(i + 1, count)) return false;
    }
    return true;
  } catch (const Error& e) {
    LogMessage(std::string("[ProSaver.SplitPages]: Error:") + e.what());
    throw Error(e.what());
  }
}

// Whether the page thumbnail will likely be placed: the first element's file has a size. Measured
// from the package where the file is in it; otherwise a movie or a picture is taken to have one.
// Only a guess, to make one thumbnail ahead: the page's first file is measured when its turn
// comes, and a wrong guess is drawn then.
bool TPageSplitter::FirstFileLooksPlaced(const TMPage& page) {
  if (page.elem->Count() == 0) return false;
  const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&page.elem->Items(0));
  if (!file || IsBlank(file->src())) return false;
  const std::string name = file->src();
  const bool measurable =
      AsciiLowerCase(fs::path(name).extension().string()) == ".swf" || HasPictureExtension(name);
  if (!measurable || file->pos_ == 0) return measurable;
  try {
    BlobRange head = stream_.BySize(file->pos_, file->size_);
    head.length = std::min(head.length, kMaxMeasuredBytes);
    const Size size = FirstFileSizeOf(name, stream_.ReadBytes(head));
    return size.width >= 1 && size.height >= 1;
  } catch (const std::exception&) {
    return true;
  }
}

void TPageSplitter::DeriveAhead(int index, TMPages& pages) {
  if (workers_ == 1) return;
  const int end = std::min(pages.Count(), index + workers_);
  for (int j = std::max(aheadFrom_, index); j < end; ++j) {
    aheadFrom_ = j + 1;
    const TMPage& page = pages.Items(j);
    if (page.pos_mobilefile2 == 0) continue;
    AheadJob job;
    try {
      const BlobRange range = stream_.BySize(page.pos_mobilefile2, page.size_mobilefile2);
      if (range.length > kMaxAheadBytes) continue;
      job.bytes = stream_.ReadBytes(range);
      const PictureNames names = NamesOf(j, page);
      job.copy = names.copy;
      job.photo = names.photo;
      job.thumb = names.thumb;
      job.pageThumb = names.pageThumb;
      if (FirstFileLooksPlaced(page)) {
        const auto& element = page.elem->Items(0);
        job.placed = Rect{names.Scaled(element.left), names.Scaled(element.top),
                          names.Scaled(element.width), names.Scaled(element.height)};
      }
    } catch (const std::exception&) {
      continue;  // the page meets the same failure when its turn comes
    }
    // Each worker makes one picture at a time: the image library's own threads would only
    // compete with the other workers. (Set here: a book without pictures never starts it.)
    if (ahead_.empty()) platform::SetPictureThreads(1);
    ahead_[j] = std::async(std::launch::async, [job = std::move(job)] { return Derive(job); });
  }
}

std::optional<TPageSplitter::Pictures> TPageSplitter::TakeDerived(int index) {
  const auto ahead = ahead_.find(index);
  if (ahead == ahead_.end()) return std::nullopt;
  std::optional<Pictures> pictures = ahead->second.get();
  ahead_.erase(ahead);
  return pictures;
}

void TPageSplitter::WriteBySize(std::uint32_t pos, std::uint32_t size, const fs::path& dest) {
  stageSizes_.erase(dest);
  stream_.CopyToFile(stream_.BySize(pos, size), dest);
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
  if (!downloads_ || page.pos_download_ == 0) return;
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

TPageSplitter::PictureNames TPageSplitter::NamesOf(int index, const TMPage& page) const {
  PictureNames names;
  names.mobile = GetBookFilePath(page.mobilefile2);
  names.copy = GetBookFilePath(MobileCopyName(index, page.mobilefile1));
  names.photo = GetBookFilePath(PhotoViewThumbName(index, page.photoviewthumb));
  names.thumb = GetBookFilePath(PageThumbnailName(index));
  names.scale = PageThumbScale(book_.thumbscale, book_.pagewidth, book_.pageheight);
  names.pageThumb = {names.Scaled(book_.pagewidth), names.Scaled(book_.pageheight)};
  return names;
}

// The mobile image, then its large copy, the photo-view thumbnail and the page thumbnail, made
// ahead by a worker where it could.
void TPageSplitter::SplitMobileImages(int index, TMPage& page) {
  const PictureNames names = NamesOf(index, page);
  WriteBySize(page.pos_mobilefile2, page.size_mobilefile2, names.mobile);
  page.mobilefile2 = names.mobile.string();
  page.mobilefile1 = names.copy.string();
  page.photoviewthumb = names.photo.string();
  const std::optional<Pictures> derived = TakeDerived(index);
  if (!derived || !WriteDerived(*derived, names, page)) MakePictures(names, page);
}

// False when a copy could not be written: nothing is measured yet, and the pictures are made
// again from the file, which fails as it always did.
bool TPageSplitter::WriteDerived(const Pictures& pictures, const PictureNames& names,
                                 TMPage& page) {
  if (HasPictureExtension(names.copy.string()) && !WriteWhole(names.copy, pictures.copy))
    return false;
  if (HasPictureExtension(names.photo.string()) && !WriteWhole(names.photo, pictures.photo))
    return false;
  page.pagethumb = names.thumb.string();
  const std::optional<Size> first = FirstFileSize(FirstElementFile(page));
  if (!first || !names.HasPageThumb()) return true;
  const bool placed = first->width >= 1 && first->height >= 1;
  if (!placed && !HasPictureExtension(names.thumb.string())) return true;
  const std::optional<std::string>& thumb = placed ? pictures.placedThumb : pictures.stretchedThumb;
  if (!thumb || !WriteWhole(names.thumb, *thumb)) MakePageThumb(names, page, placed);
  return true;
}

// The image is decoded once, at the largest size any of the three draws it.
void TPageSplitter::MakePictures(const PictureNames& names, TMPage& page) {
  const Size stored = platform::ReadImageSize(names.mobile);
  const Size large = FitSize(stored, kMobileCopyBox);
  const auto picture =
      platform::LoadPictureForBox(names.mobile, std::max(large.width, names.pageThumb.width),
                                  std::max(large.height, names.pageThumb.height));
  SaveStretched(*picture, large, names.copy);
  SaveStretched(*picture, FitSize(stored, kPhotoViewThumbBox), names.photo);
  page.pagethumb = names.thumb.string();

  const std::optional<Size> first = FirstFileSize(FirstElementFile(page));
  if (!first) return;
  // A book without a page size has no room for a page thumbnail; the page goes on without one.
  if (!names.HasPageThumb()) return;
  if (first->width >= 1 && first->height >= 1) {
    const auto& element = page.elem->Items(0);
    auto canvas = platform::CreateCanvas(names.pageThumb.width, names.pageThumb.height);
    canvas->DrawStretched(*picture, names.Scaled(element.left), names.Scaled(element.top),
                          names.Scaled(element.width), names.Scaled(element.height));
    canvas->SaveToFile(names.thumb);
  } else {
    SaveStretched(*picture, names.pageThumb, names.thumb);
  }
}

// The page thumbnail alone, from the written mobile image, where the one made ahead is missing
// or could not be written.
void TPageSplitter::MakePageThumb(const PictureNames& names, const TMPage& page, bool placed) {
  const Size stored = platform::ReadImageSize(names.mobile);
  const Size large = FitSize(stored, kMobileCopyBox);
  const auto picture =
      platform::LoadPictureForBox(names.mobile, std::max(large.width, names.pageThumb.width),
                                  std::max(large.height, names.pageThumb.height));
  if (!placed) return SaveStretched(*picture, names.pageThumb, names.thumb);
  const auto& element = page.elem->Items(0);
  auto canvas = platform::CreateCanvas(names.pageThumb.width, names.pageThumb.height);
  canvas->DrawStretched(*picture, names.Scaled(element.left), names.Scaled(element.top),
                        names.Scaled(element.width), names.Scaled(element.height));
  canvas->SaveToFile(names.thumb);
}
