#pragma once
// TPageSplitter: writes the pages of a book's first chapter into the working folder, each with
// the images derived from its mobile image. The project opener runs it as its page step.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>

#include "util/Geometry.h"

class TMBook;
class TMPage;
class TMPages;
class TPackageReader;

// Pages are written one after the other on the calling thread, exactly as if each were split in
// turn: every file, log line, message and PageDone call in the same order. Only the costly part,
// deriving the pictures of a page's mobile image, is done ahead by worker threads, a page or two
// in advance, from the image's bytes in the package into memory; the calling thread writes what
// they made when it reaches the page (and makes the pictures itself where a worker could not).
class TPageSplitter {
 public:
  // Reads the blobs from `stream` and rewrites the pages' file names in `book` to where the
  // files were written. `downloads` says whether the pages' download copies are wanted.
  // `workers`: how many pages' pictures are derived at once (1: each on the calling thread).
  TPageSplitter(TPackageReader& stream, TMBook& book, bool downloads,
                int workers = DefaultWorkers());
  ~TPageSplitter();
  TPageSplitter(const TPageSplitter&) = delete;
  TPageSplitter& operator=(const TPageSplitter&) = delete;

  // One per processor, at most 4.
  static int DefaultWorkers();

  // Called after page `done` (from 1) of `count` has all its files written; returns false to
  // stop before the next page.
  using PageDone = std::function<bool(int done, int count)>;
  // Splits every page in order. False when `pageDone` stopped it; errors are logged and raised.
  bool SplitAll(const PageDone& pageDone);

 private:
  struct Pictures;
  struct PictureNames;
  struct AheadJob;
  // Runs on a worker: the pictures of a job, none when any failed.
  static std::optional<Pictures> Derive(const AheadJob& job);

  void SplitPage(int index, TMPage& page);
  void SplitPageDownload(int index, TMPage& page);
  void SplitPageElements(int index, TMPage& page);
  void SplitMobileImages(int index, TMPage& page);
  PictureNames NamesOf(int index, const TMPage& page) const;
  // Starts deriving the pictures of the pages from `index` on that are not yet being derived.
  void DeriveAhead(int index, TMPages& pages);
  bool FirstFileLooksPlaced(const TMPage& page);
  // The pictures derived for page `index`; none when they could not be made ahead.
  std::optional<Pictures> TakeDerived(int index);
  bool WriteDerived(const Pictures& pictures, const PictureNames& names, TMPage& page);
  void MakePictures(const PictureNames& names, TMPage& page);
  void MakePageThumb(const PictureNames& names, const TMPage& page, bool placed);
  std::filesystem::path FirstElementFile(const TMPage& page) const;
  std::optional<Size> FirstFileSize(const std::filesystem::path& file);
  // The destination is created anew; what was read from the file it replaces is forgotten.
  void WriteBySize(std::uint32_t pos, std::uint32_t size, const std::filesystem::path& dest);

  TPackageReader& stream_;
  TMBook& book_;
  bool downloads_;
  int workers_;
  std::map<std::filesystem::path, Size> stageSizes_;           // movies probed by the pages so far
  std::map<int, std::future<std::optional<Pictures>>> ahead_;  // by page index
  int aheadFrom_ = 0;  // pages below this index have been looked at for deriving ahead
};
