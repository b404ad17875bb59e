#include "tools/BlobInventory.h"

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/PackageReader.h"
#include "util/Error.h"

namespace {

bool Inside(TPackageReader& reader, TReadStyle style, std::uint32_t pos, std::uint32_t size) {
  try {
    switch (style) {
      case TReadStyle::BySuffix:
        reader.BySuffix(pos);
        return true;
      case TReadStyle::BySize:
        reader.BySize(pos, size);
        return true;
      case TReadStyle::Group: {
        TGroupWalker walker = reader.WalkGroup(pos, size);
        GroupMember member;
        while (walker.Next(member)) {
        }
        return true;
      }
    }
  } catch (const Error&) {
  }
  return false;
}

class Collector {
 public:
  explicit Collector(TPackageReader& reader) : FReader(reader) {}

  void Add(std::string document, std::string property, TReadStyle style, std::uint32_t pos,
           std::uint32_t size) {
    TBlobEntry entry{std::move(document), std::move(property), style, pos, size, pos != 0, false};
    entry.inside = entry.present && Inside(FReader, style, pos, size);
    FEntries.push_back(std::move(entry));
  }
  std::vector<TBlobEntry> Take() { return std::move(FEntries); }

 private:
  TPackageReader& FReader;
  std::vector<TBlobEntry> FEntries;
};

void AddProject(Collector& c, const TLMProject& p) {
  const auto u = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
  c.Add("project", "background", TReadStyle::BySuffix, u(p.background->pos_), p.background->size_);
  c.Add("project", "navbtn", TReadStyle::Group, p.navbtn->pos_, p.navbtn->size_);
  c.Add("project", "navbar", TReadStyle::Group, u(p.navbar->pos_), p.navbar->size_);
  c.Add("project", "preloader", TReadStyle::BySize, p.preloader->pos_, p.preloader->size_);
  c.Add("project", "logo", TReadStyle::BySize, p.logo->pos_, p.logo->size_);
  c.Add("project", "toc", TReadStyle::BySize, p.toc->pos_, p.toc->size_);
  c.Add("project", "pos_bookinfo_", TReadStyle::BySize, p.pos_bookinfo_, p.size_bookinfo_);
  c.Add("project", "pos_mag_", TReadStyle::BySize, p.pos_mag_, p.size_mag_);
  c.Add("project", "pos_toolbar_", TReadStyle::BySize, p.pos_toolbar_, p.size_toolbar_);
  c.Add("project", "pos_input_", TReadStyle::BySize, p.pos_input_, p.size_input_);
  c.Add("project", "pos_vs_", TReadStyle::BySize, p.pos_vs_, p.size_vs_);
  c.Add("project", "pos_thumbswf_", TReadStyle::BySize, p.pos_thumbswf_, p.size_thumbswf_);
}

void AddPage(Collector& c, const std::string& at, const TMPage& page) {
  c.Add("book", at + ".pos_search_", TReadStyle::BySize, page.pos_search_, page.size_search_);
  c.Add("book", at + ".pos_download_", TReadStyle::BySize, page.pos_download_, page.size_download_);
  c.Add("book", at + ".pos_mobilefile2", TReadStyle::BySize, page.pos_mobilefile2,
        page.size_mobilefile2);
  for (int j = 0; j < page.elem->Count(); ++j) {
    const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&page.elem->Items(j));
    if (!file) continue;
    const std::string element = at + ".elem[" + std::to_string(j) + "]";
    c.Add("book", element, TReadStyle::BySize, file->pos_, file->size_);
    if (const auto* video = dynamic_cast<const TMVid*>(file))
      c.Add("book", element + ".preview", TReadStyle::BySize, video->pos_pre_, video->size_pre_);
  }
}

void AddBook(Collector& c, const TMBook& b) {
  c.Add("book", "pos_search_", TReadStyle::BySize, b.pos_search_, b.size_search_);
  c.Add("book", "pos_download_", TReadStyle::BySize, b.pos_download_, b.size_download_);
  c.Add("book", "pos_langs_", TReadStyle::BySuffix, b.pos_langs_, b.size_langs_);
  c.Add("book", "pos_flag_", TReadStyle::BySuffix, b.pos_flag_, b.size_flag_);
  // Only the first chapter is ever split.
  if (b.Chapters->Count() == 0) return;
  const TMChapter& chapter = b.Chapters->Items(0);
  c.Add("book", "Chapters[0].bgsound", TReadStyle::BySuffix, chapter.pos_, chapter.size_);
  for (int i = 0; i < chapter.Pages->Count(); ++i)
    AddPage(c, "Chapters[0].Pages[" + std::to_string(i) + "]", chapter.Pages->Items(i));
}

}  // namespace

std::vector<TBlobEntry> ListBlobs(const TLMProject& project, const TMBook& book,
                                  TPackageReader& reader) {
  Collector collector(reader);
  AddProject(collector, project);
  AddBook(collector, book);
  return collector.Take();
}

const char* ReadStyleName(TReadStyle style) {
  switch (style) {
    case TReadStyle::BySuffix:
      return "suffix";
    case TReadStyle::BySize:
      return "size";
    case TReadStyle::Group:
      return "group";
  }
  return "";
}
