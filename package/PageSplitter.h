#pragma once
// TPageSplitter: writes the pages of a book's first chapter into the working folder, each with
// the images derived from its mobile image. The project opener runs it as its page step.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "util/Geometry.h"

class TMBook;
class TMPage;
class TPackageReader;

class TPageSplitter {
 public:
  // Reads the blobs from `stream` and rewrites the pages' file names in `book` to where the
  // files were written. `downloads` says whether the pages' download copies are wanted.
  TPageSplitter(TPackageReader& stream, TMBook& book, bool downloads);

  // Called after page `done` (from 1) of `count` has all its files written; returns false to
  // stop before the next page.
  using PageDone = std::function<bool(int done, int count)>;
  // Splits every page in order. False when `pageDone` stopped it; errors are logged and raised.
  bool SplitAll(const PageDone& pageDone);

 private:
  void SplitPage(int index, TMPage& page);
  void SplitPageDownload(int index, TMPage& page);
  void SplitPageElements(int index, TMPage& page);
  void SplitMobileImages(int index, TMPage& page);
  std::filesystem::path FirstElementFile(const TMPage& page) const;
  std::optional<Size> FirstFileSize(const std::filesystem::path& file);
  // The destination is created anew; what was read from the file it replaces is forgotten.
  void WriteBySize(std::uint32_t pos, std::uint32_t size, const std::filesystem::path& dest);

  TPackageReader& FStream;
  TMBook& FBook;
  bool FDownloads;
  std::map<std::filesystem::path, Size> FStageSizes;  // movies probed by the pages so far
};
