#include "package/PackageProbe.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <string_view>
#include <system_error>

#include "package/PackageReader.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

// Enough for a byte-order mark and any white space an authoring tool puts before the markup.
constexpr std::uint64_t kDocumentHeadBytes = 256;

bool BeginsLikeXml(std::string_view head) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (head.starts_with(kUtf8Mark)) head.remove_prefix(kUtf8Mark.size());
  // UTF-16 documents are read by their mark too; their markup is checked no further.
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) return true;
  const auto first = head.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && head[first] == '<';
}

TPackageProbe Unreadable(const fs::path& file, const std::string& why) {
  return {TPackageProbe::TKind::Unreadable, "Cannot open \"" + file.string() + "\": " + why};
}

}  // namespace

TPackageProbe ProbePackage(const fs::path& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (ec || !fs::exists(status)) return Unreadable(file, "no such file");
  if (fs::is_directory(status)) return Unreadable(file, "it is a folder");
  // A pipe or a device would block the read or never end.
  if (!fs::is_regular_file(status)) return Unreadable(file, "it is not a regular file");
  try {
    TPackageReader reader(file);
    const DocumentRanges documents = reader.LocateDocuments();
    if (documents.project.length == 0) return {};
    const std::string head = reader.ReadBytes(
        {documents.project.start, std::min(documents.project.length, kDocumentHeadBytes)});
    if (!BeginsLikeXml(head)) return {};
    return {TPackageProbe::TKind::Carries, {}};
  } catch (const Error&) {
    // The reader raises for an unopenable file and for lengths that do not fit: the latter is
    // simply a file without a package.
    if (!std::ifstream(file, std::ios::binary)) return Unreadable(file, "it cannot be read");
    return {};
  } catch (const std::exception&) {
    return {};
  }
}
