// `bookstub export`: a book as a static web site (authoring/WebExport), with the page, its
// scripts and the emulator this tool carries; `--serve` serves the site afterwards.

#include <iostream>
#include <optional>

#include "authoring/WebExport.h"
#include "platform/Os.h"
#include "tools/Commands.h"
#include "tools/ProgressBar.h"
#include "util/ZanUtils.h"

// Defined in the source generated from the site's files (tools/CMakeLists.txt).
std::vector<TSiteFile> SiteFiles();

namespace fs = std::filesystem;

namespace {

// A folder of this user's for a site that is only served: deleted when the serving ends.
class TServedOnlySite {
 public:
  TServedOnlySite() : folder_(platform::TempPath() / ("bookstub-site-" + platform::NewGuid())) {
    platform::CreatePrivateFolder(folder_);
  }
  ~TServedOnlySite() { DeleteFolderTree(folder_); }
  TServedOnlySite(const TServedOnlySite&) = delete;
  TServedOnlySite& operator=(const TServedOnlySite&) = delete;
  fs::path Site() const { return folder_ / "site"; }

 private:
  fs::path folder_;
};

std::string Megabytes(std::uintmax_t bytes) {
  const auto tenths = (bytes + 50'000) / 100'000;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

}  // namespace

int RunExportCommand(const ExportOptions& options) {
  std::optional<TServedOnlySite> servedOnly;
  if (options.site.empty()) servedOnly.emplace();
  TWebExportRequest request;
  request.book = options.book;
  request.site = servedOnly ? servedOnly->Site() : options.site;
  request.siteFiles = SiteFiles();
  request.compressedCopies = options.compressedCopies;

  TerminalProgressBar bar(!options.quiet);
  const TWebExportReport report =
      ExportWebSite(request, [&bar](int percent) { bar.Draw(percent); });
  bar.Finish();
  if (!options.quiet) {
    std::cout << "Exported \"" << report.title << "\" to " << request.site.string() << ": "
              << report.bookFiles << " files of the book, " << Megabytes(report.siteBytes);
    if (report.copyBytes > 0)
      std::cout << " and " << Megabytes(report.copyBytes) << " of compressed copies";
    std::cout << '\n';
    if (!options.serve)
      std::cout << "Browsers play it from a web server, not from the folder: bookstub serve "
                << request.site.string() << " (or python3 -m http.server -d "
                << request.site.string() << ")\n";
  }
  if (options.serve) ServeSite(request.site);
  return kExitOk;
}
