#pragma once
// `bookstub export`: any book as a static web site that plays in browsers (the layout in
// site/SiteLayout.h). The book's files are what the player's split writes into its working
// folder, by the same code: derived pictures, unpacked language and flag archives, the shared
// movies, the download when the settings allow it. The page, its scripts and the emulator are
// the tool's own (TSiteFile); the list of the book's files is written for the page.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One of the site's own files as the tool carries it: its bytes, or only its compressed copies
// (their gzip copy then gives the bytes).
struct TSiteFile {
  std::string_view name;  // relative to the site, "/" separated
  std::string_view bytes;
  std::string_view gzip;
  std::string_view brotli;
};

// The largest site file the tool carries, once uncompressed.
inline constexpr std::size_t kMaxSiteFileBytes = std::size_t{64} << 20;

struct TWebExportRequest {
  std::filesystem::path book;  // a book executable, an old book of another platform, a package
  std::filesystem::path site;  // the site's folder: missing or empty
  std::vector<TSiteFile> siteFiles;
  bool compressedCopies = true;  // NAME.gz and NAME.br where they pay (CompressedCopies.h)
};

struct TWebExportReport {
  std::string title;
  std::size_t bookFiles = 0;
  std::uintmax_t siteBytes = 0;  // every file but the compressed copies
  std::uintmax_t copyBytes = 0;  // the compressed copies
};

// Writes the site. It is made in a hidden folder beside `site` and renamed at the end: an Error
// (the book cannot be read or split, the disk is full) leaves nothing behind. `progress` is told
// the share done, from 0 to 100.
TWebExportReport ExportWebSite(const TWebExportRequest& request,
                               const std::function<void(int percent)>& progress);

// The list of the book's files that the page reads (SiteLayout.h), for `names` ("/"
// separated, relative to the book folder).
std::string BookFileList(const std::vector<std::string>& names);

// The page with the book's title.
std::string PageWithTitle(std::string_view page, std::string_view title);
