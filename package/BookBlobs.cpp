#include "package/BookBlobs.h"

#include <tuple>
#include <type_traits>
#include <utility>

#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "package/uPathGetter.h"
#include "util/Error.h"

namespace {

class BlobList {
 public:
  BlobList& Add(TBlobKind kind, TBlobDocument document, std::string property, TReadStyle style,
                std::uint32_t pos, std::uint32_t size, std::string name) {
    blobs_.push_back({kind, document, std::move(property), style, pos, size, std::move(name)});
    return *this;
  }
  // The pos_ just added is a signed property: it is stored here as its 32-bit pattern.
  void Signed() { blobs_.back().signedPos = true; }
  std::vector<TBookBlob> Take() { return std::move(blobs_); }

 private:
  std::vector<TBookBlob> blobs_;
};

constexpr auto kProject = TBlobDocument::Project;
constexpr auto kBook = TBlobDocument::Book;

std::uint32_t Bits(std::int32_t value) {
  return static_cast<std::uint32_t>(value);
}

void AddProjectHead(BlobList& list, const TLMProject& p) {
  list.Add(TBlobKind::Background, kProject, "background", TReadStyle::BySuffix,
           Bits(p.background->pos_), p.background->size_, p.background->filename)
      .Signed();
  list.Add(TBlobKind::NavButtons, kProject, "navbtn", TReadStyle::Group, p.navbtn->pos_,
           p.navbtn->size_, kNavBtnFolder);
  list.Add(TBlobKind::NavBar, kProject, "navbar", TReadStyle::Group, Bits(p.navbar->pos_),
           p.navbar->size_, kNavBarFolder)
      .Signed();
  list.Add(TBlobKind::Preloader, kProject, "preloader", TReadStyle::BySize, p.preloader->pos_,
           p.preloader->size_, p.preloader->filename);
  list.Add(TBlobKind::Logo, kProject, "logo", TReadStyle::BySize, p.logo->pos_, p.logo->size_,
           p.logo->filename);
}

void AddBookHead(BlobList& list, const TLMProject& p, const TMBook& b) {
  list.Add(TBlobKind::SearchIndex, kBook, "pos_search_", TReadStyle::BySize, b.pos_search_,
           b.size_search_, b.searchindex);
  list.Add(TBlobKind::Toc, kProject, "toc", TReadStyle::BySize, p.toc->pos_, p.toc->size_,
           p.toc->filename);
  for (int c = 0; c < b.Chapters->Count(); ++c) {
    const TMChapter& chapter = b.Chapters->Items(c);
    list.Add(TBlobKind::ChapterSound, kBook, "Chapters[" + std::to_string(c) + "].bgsound",
             TReadStyle::BySuffix, chapter.pos_, chapter.size_, chapter.bgsound);
  }
  list.Add(TBlobKind::BookDownload, kBook, "pos_download_", TReadStyle::BySize, b.pos_download_,
           b.size_download_, b.download);
  list.Add(TBlobKind::Languages, kBook, "pos_langs_", TReadStyle::BySuffix, b.pos_langs_,
           b.size_langs_, kLanguagesFolder);
  list.Add(TBlobKind::Flags, kBook, "pos_flag_", TReadStyle::BySuffix, b.pos_flag_, b.size_flag_,
           kFlagsFolder);
}

// Every read address pair of a page, in the authoring order: visit(kind, property, pos, size,
// name), the pair as references into the page (const when the page is).
template <class Page, class Visit>
void ForEachPageBlob(Page& page, const std::string& at, Visit visit) {
  constexpr bool kConst = std::is_const_v<Page>;
  using File =
      std::conditional_t<kConst, const TBasicVisualPageFileElement, TBasicVisualPageFileElement>;
  using Video = std::conditional_t<kConst, const TMVid, TMVid>;
  for (int j = 0; j < page.elem->Count(); ++j) {
    auto* file = dynamic_cast<File*>(&page.elem->Items(j));
    if (!file) continue;
    const std::string element = at + ".elem[" + std::to_string(j) + "]";
    visit(TBlobKind::ElementFile, element, file->pos_, file->size_, file->src());
    if (auto* video = dynamic_cast<Video*>(file))
      visit(TBlobKind::VideoPreview, element + ".preview", video->pos_pre_, video->size_pre_,
            video->preview);
  }
  visit(TBlobKind::MobileImage, at + ".pos_mobilefile2", page.pos_mobilefile2,
        page.size_mobilefile2, page.mobilefile2);
  visit(TBlobKind::PageSearch, at + ".pos_search_", page.pos_search_, page.size_search_,
        page.searchtxt);
  visit(TBlobKind::PageDownload, at + ".pos_download_", page.pos_download_, page.size_download_,
        page.download);
}

void AddPage(BlobList& list, const std::string& at, const TMPage& page) {
  ForEachPageBlob(page, at,
                  [&](TBlobKind kind, std::string property, std::uint32_t pos, std::uint32_t size,
                      const std::string& name) {
                    list.Add(kind, kBook, std::move(property), TReadStyle::BySize, pos, size, name);
                  });
}

template <class Visit>
void ForEachPage(const TMBook& b, Visit visit) {
  for (int c = 0; c < b.Chapters->Count(); ++c) {
    const TMPages& pages = *b.Chapters->Items(c).Pages;
    for (int i = 0; i < pages.Count(); ++i)
      visit("Chapters[" + std::to_string(c) + "].Pages[" + std::to_string(i) + "]", pages.Items(i));
  }
}

void AddSharedMovies(BlobList& list, const TLMProject& p) {
  const auto add = [&](TBlobKind kind, const char* property, std::uint32_t pos, std::uint32_t size,
                       std::string name) {
    list.Add(kind, kProject, property, TReadStyle::BySize, pos, size, std::move(name));
  };
  const std::string other = kOtherFolder;
  add(TBlobKind::Framework, "pos_bookinfo_", p.pos_bookinfo_, p.size_bookinfo_, kFrameworkFile);
  add(TBlobKind::Magnifier, "pos_mag_", p.pos_mag_, p.size_mag_, GetMagPath(false).string());
  add(TBlobKind::Toolbar, "pos_toolbar_", p.pos_toolbar_, p.size_toolbar_, other + "toolbar.swf");
  add(TBlobKind::InputBox, "pos_input_", p.pos_input_, p.size_input_, GetInputPath(false).string());
  add(TBlobKind::VideoSkin, "pos_vs_", p.pos_vs_, p.size_vs_, other + "videoskin.swf");
  add(TBlobKind::ThumbMovie, "pos_thumbswf_", p.pos_thumbswf_, p.size_thumbswf_,
      other + "thumb.swf");
}

void AddUnread(BlobList& list, const std::string& at, const TMPage& page) {
  list.Add(TBlobKind::PagePrint, kBook, at + ".pos_print_", TReadStyle::Unread, page.pos_print_,
           page.size_print_, page.print);
  for (int j = 0; j < page.elem->Count(); ++j) {
    const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&page.elem->Items(j));
    if (file)
      list.Add(TBlobKind::ElementThumb, kBook, at + ".elem[" + std::to_string(j) + "].thumb",
               TReadStyle::Unread, file->pos_thumb_, file->size_thumb_, file->thumb);
  }
}

}  // namespace

std::vector<TBookBlob> ListBookBlobs(const TLMProject& project, const TMBook& book) {
  BlobList list;
  AddProjectHead(list, project);
  AddBookHead(list, project, book);
  ForEachPage(book, [&](const std::string& at, const TMPage& page) { AddPage(list, at, page); });
  AddSharedMovies(list, project);
  ForEachPage(book, [&](const std::string& at, const TMPage& page) { AddUnread(list, at, page); });
  return list.Take();
}

std::vector<TBookBlob> ListPageBlobs(const TMPage& page, const std::string& at) {
  BlobList list;
  AddPage(list, at, page);
  return list.Take();
}

void SetPageAddresses(TMPage& page,
                      const std::vector<std::pair<std::uint32_t, std::uint32_t>>& addresses) {
  std::size_t i = 0;
  ForEachPageBlob(page, "",
                  [&](TBlobKind, const std::string&, std::uint32_t& pos, std::uint32_t& size,
                      const std::string&) {
                    if (i >= addresses.size())
                      throw Error("A page has more address pairs than addresses given");
                    std::tie(pos, size) = addresses[i++];
                  });
  if (i != addresses.size()) throw Error("A page has fewer address pairs than addresses given");
}

std::vector<TBookBlob> ListSharedMovies(const TLMProject& project) {
  BlobList list;
  AddSharedMovies(list, project);
  return list.Take();
}

const char* ReadStyleName(TReadStyle style) {
  switch (style) {
    case TReadStyle::BySuffix:
      return "suffix";
    case TReadStyle::BySize:
      return "size";
    case TReadStyle::Group:
      return "group";
    case TReadStyle::Unread:
      return "none";
  }
  return "";
}

const char* DocumentName(TBlobDocument document) {
  return document == TBlobDocument::Project ? "project" : "book";
}

std::optional<std::string_view> NavButtonKey(std::uint32_t type) {
  if (type >= kNavButtonKeys.size()) return std::nullopt;
  return kNavButtonKeys[type];
}
