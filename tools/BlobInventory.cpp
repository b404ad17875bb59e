#include "tools/BlobInventory.h"

#include "package/PackageReader.h"
#include "util/Error.h"

namespace {

bool Inside(TPackageReader& reader, const TBookBlob& blob) {
  try {
    switch (blob.style) {
      case TReadStyle::BySuffix:
        reader.BySuffix(blob.pos);
        return true;
      case TReadStyle::BySize:
        reader.BySize(blob.pos, blob.size);
        return true;
      case TReadStyle::Group: {
        TGroupWalker walker = reader.WalkGroup(blob.pos, blob.size);
        GroupMember member;
        while (walker.Next(member)) {
        }
        return true;
      }
      case TReadStyle::Unread:
        return false;
    }
  } catch (const Error&) {
  }
  return false;
}

}  // namespace

std::vector<TBlobEntry> ListBlobs(const TLMProject& project, const TMBook& book,
                                  TPackageReader& reader) {
  std::vector<TBlobEntry> entries;
  for (TBookBlob& blob : ListBookBlobs(project, book)) {
    if (blob.style == TReadStyle::Unread) continue;
    const bool inside = blob.Present() && Inside(reader, blob);
    entries.push_back({std::move(blob), inside});
  }
  return entries;
}
