#include "authoring/BookMaker.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

#include "authoring/Authoring.h"
#include "authoring/ListedDocument.h"
#include "authoring/OutputFolders.h"
#include "authoring/PdfImport.h"
#include "authoring/SearchText.h"
#include "authoring/SourceFolder.h"
#include "authoring/TableOfContents.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "platform/Image.h"
#include "platform/Os.h"
#include "platform/Pdf.h"
#include "platform/Xml.h"
#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/NaturalOrder.h"
#include "util/Pictures.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

bool HasPdfExtension(std::string_view name) {
  return AsciiLowerCase(FileExtension(name)) == ".pdf";
}

// A picture or PDF that a link leads to from outside the folder is refused, with every other
// one: the user gives the folder, not what its links reach. The sources are named by the real
// paths that were checked, in the order of the names in the folder.
std::vector<fs::path> SourcesInFolder(const fs::path& folder) {
  TSourceFolder source(folder);
  std::vector<std::pair<std::string, fs::path>> found;  // name in the folder, real path
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with(".") || !(HasPictureExtension(name) || HasPdfExtension(name))) continue;
    const auto real = source.RealPath(entry.path());
    if (real && fs::is_regular_file(*real, ec)) found.emplace_back(std::move(name), *real);
  }
  if (ec) throw Error("Cannot read the folder " + Quoted(folder) + ": " + ec.message());
  source.RefuseLinksLeadingOut();
  if (found.empty())
    throw Error("No pictures or PDFs (JPEG, PNG, GIF, BMP, TIFF or PDF files) in the folder " +
                Quoted(folder));
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
  std::vector<fs::path> sources;
  sources.reserve(found.size());
  for (auto& [name, real] : found) sources.push_back(std::move(real));
  return sources;
}

std::string PageFileName(const char* folder, int index) {
  return std::string(folder) + "page_" + N4(index + 1) + ".jpg";
}

// The zoom copy streams from the picture; the page picture from the zoom copy, whose JPEG is
// decoded at half size or less. Without a zoom copy the page picture comes from the picture.
TMadePage MakePage(int index, const fs::path& picture, const fs::path& source) {
  try {
    TMadePage page = PlanPage(index, platform::ReadUprightImageSize(picture));
    fs::path from = picture;
    if (page.zoom != page.src) {
      from = JoinBookPath(source, page.zoom);
      platform::SaveFittedCopy(picture, from, kZoomPictureSide, kZoomPictureSide);
    }
    platform::SaveFittedCopy(from, JoinBookPath(source, page.src), kPagePictureSide,
                             kPagePictureSide);
    return page;
  } catch (const Error& e) {
    throw Error("Cannot read the picture " + Quoted(picture) + ": " + e.what());
  }
}

std::unique_ptr<TMPage> MadePage(TMPages& pages, const TMadePage& made, Size pageSize) {
  auto page = std::make_unique<TMPage>(&pages);
  page->mobilefile2 = made.zoom;
  auto picture = std::make_unique<TMImg>(page->elem.get());
  const Rect place =
      FitInBox(made.picture.width, made.picture.height, pageSize.width, pageSize.height);
  picture->SetSrc(made.src);
  picture->left = place.x;
  picture->top = place.y;
  picture->width = place.width;
  picture->height = place.height;
  page->elem->Add(std::move(picture));
  page->searchtxt = made.searchtxt;
  for (const TMadeLink& area : made.links) {
    auto link = std::make_unique<TMLink>(page->links.get());
    link->x = area.area.x;
    link->y = area.area.y;
    link->width = area.area.width;
    link->height = area.area.height;
    if (area.page > 0) {
      link->page = std::to_string(area.page);
    } else {
      auto url = std::make_unique<TMURL>(link->urls.get());
      url->src = area.url;
      link->urls->Add(std::move(url));
    }
    page->links->Add(std::move(link));
  }
  return page;
}

std::string WriteProject(std::string_view title) {
  platform::XmlDocument document;
  platform::XmlNode project = document.CreateDocumentElement("project");
  project.AddChild("exetitle").AddText(title);
  project.AddChild("preloader").AddChild("filename").AddText(kMadeViewerMovie);
  project.AddChild("toc").AddChild("filename").AddText(kMadeTableOfContents);
  return document.SaveToText();
}

// The documents of a made book, with the model of each page built only while it is written: the
// documents of a book of many thousand pages are never held whole.
class TMadeBook {
 public:
  TMadeBook(std::string_view title, const std::vector<TMadePage>& pages,
            const std::vector<TMadeBookmark>& bookmarks, std::string_view searchIndex)
      : title_(title), pages_(pages) {
    if (pages.empty()) throw Error("A book needs at least one page");
    pageSize_ = pages.front().picture;
    book_.title = title;
    book_.pagewidth = pageSize_.width;
    book_.pageheight = pageSize_.height;
    book_.thumbscale =
        static_cast<double>(kThumbnailSide) / std::max({pageSize_.width, pageSize_.height, 1});
    book_.searchindex = searchIndex;
    book_.Chapters->AddNew<TMChapter>();
    extras_.pageLabels.reserve(pages.size());
    for (const TMadePage& made : pages) extras_.pageLabels.push_back(made.label);
    extras_.bookmarkLevels.reserve(bookmarks.size());
    for (const TMadeBookmark& made : bookmarks) {
      auto& bookmark = book_.bookmarks->AddNew<TMBookmark>();
      bookmark.title = made.title;
      bookmark.page = made.page;
      extras_.bookmarkLevels.push_back(made.level);
    }
  }

  std::string Project() const { return WriteProject(title_); }

  // The book document with the list placeholder in place of its pages.
  std::string BookAroundPages() const {
    platform::XmlDocument document;
    platform::XmlNode root = document.CreateDocumentElement("book");
    book_.SaveToXML(root);
    const TMChapter& chapter = book_.Chapters->Items(0);
    root.Child("Chapters")
        .Child(TMBasicObjects::ItemElementName(chapter))
        .Child("Pages")
        .AddChild(kListPlaceholder);
    return document.SaveToText();
  }

  // Each call builds the page afresh, without addresses.
  TPageSequence Pages() {
    return {pages_.size(), [this](std::size_t i) -> TMPage& {
              page_ = MadePage(*book_.Chapters->Items(0).Pages, pages_[i], pageSize_);
              return *page_;
            }};
  }

  void WriteTableOfContents(std::ostream& out) {
    ::WriteTableOfContents(book_, extras_, Pages(), out);
  }

 private:
  std::string title_;
  const std::vector<TMadePage>& pages_;
  Size pageSize_;
  TMBook book_;
  TTocExtras extras_;
  std::unique_ptr<TMPage> page_;
};

bool IsPdfFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string start(1024, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(in.gcount()));
  return platform::LooksLikePdf(start);
}

void WriteTableOfContentsFile(TMadeBook& made, const fs::path& file) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  made.WriteTableOfContents(out);
  out.close();
  if (!out) throw Error("Cannot write " + Quoted(file));
}

// A source of pages: a picture, or a PDF with its page count.
struct TSource {
  fs::path file;
  bool pdf = false;
  int pages = 1;
};

std::unique_ptr<platform::PdfDocument> OpenPdfSource(const fs::path& file) {
  try {
    return platform::OpenPdf(file);
  } catch (const Error& e) {
    throw Error("Cannot read the PDF " + Quoted(file) + ": " + e.what());
  }
}

// Every source with its page count, so that progress counts pages from the start. A PDF is
// opened here and again when its pages are made: only one is open at a time.
std::vector<TSource> PlanSources(const std::vector<fs::path>& files) {
  std::vector<TSource> sources;
  for (const fs::path& file : files) {
    TSource source{file, IsPdfFile(file), 1};
    if (source.pdf) source.pages = OpenPdfSource(file)->PageCount();
    sources.push_back(source);
  }
  return sources;
}

// The book being made in the source folder: its pages one after the other, the search index
// and bookmarks of its PDFs, and the progress across every source's pages.
class TMaking {
 public:
  TMaking(const fs::path& source, std::size_t total, const TMakeProgress& progress)
      : source_(source), total_(total), progress_(progress) {}

  void AddPicture(const fs::path& picture) {
    pages_.push_back(MakePage(static_cast<int>(pages_.size()), picture, source_));
    PageDone();
  }

  void AddPdf(const fs::path& file) {
    const auto document = OpenPdfSource(file);
    const int firstPage = static_cast<int>(pages_.size()) + 1;
    for (int i = 0; i < document->PageCount(); ++i) {
      try {
        pages_.push_back(MakePdfPage(*document->Page(i), firstPage));
      } catch (const Error& e) {
        throw Error("Cannot read page " + std::to_string(i + 1) + " of the PDF " + Quoted(file) +
                    ": " + e.what());
      }
      PageDone();
    }
    const auto outline = BookmarksOf(document->Outline(), firstPage, file.stem().string());
    bookmarks_.insert(bookmarks_.end(), outline.begin(), outline.end());
  }

  // Writes the book's search index and gives the book.
  TMadeBook Finish(std::string_view title) const {
    const bool search = !searchIndex_.Empty();
    if (search) WriteWholeFile(JoinBookPath(source_, kMadeSearchIndex), searchIndex_.Document());
    return TMadeBook(title, pages_, bookmarks_, search ? kMadeSearchIndex : "");
  }

  std::size_t PageCount() const { return pages_.size(); }

 private:
  // The page rendered at the size of each copy: drawing it again at the smaller size costs less
  // than resampling the larger, and its text comes out as sharp. Its words and links are placed
  // as its picture is on the book's page.
  TMadePage MakePdfPage(const platform::PdfPage& page, int firstPage) {
    const int index = static_cast<int>(pages_.size());
    TMadePage made = PlanPage(index, PdfPictureSize(page.Width(), page.Height()));
    for (const auto& [name, side] :
         {std::pair{made.zoom, kZoomPictureSide}, std::pair{made.src, kPagePictureSide}}) {
      const Size size = FittedSize(made.picture, side);
      platform::SaveFittedPixels(page.Render(size.width, size.height), JoinBookPath(source_, name),
                                 side, side);
    }
    const Size book = pages_.empty() ? made.picture : pages_.front().picture;
    const TPageUnits units(
        page.Width(), page.Height(),
        FitInBox(made.picture.width, made.picture.height, book.width, book.height));
    const std::vector<TSearchWord> words = SearchWordsOf(page.Words(), units);
    if (!words.empty()) {
      made.searchtxt = SearchTextName(index);
      WriteWholeFile(JoinBookPath(source_, made.searchtxt), WritePageSearchText(words));
      searchIndex_.AddPage(index + 1, words);
    }
    made.links = LinksOf(page.Links(), units, firstPage);
    made.label = page.Label();
    return made;
  }

  static std::string SearchTextName(int index) {
    return std::string(kPagesFolder) + "page_" + N4(index + 1) + ".xml";
  }

  // A PDF changed since it was counted must not take the count past 100%.
  void PageDone() {
    if (progress_) progress_(pages_.size(), std::max(total_, pages_.size()));
  }

  const fs::path& source_;
  std::size_t total_;
  const TMakeProgress& progress_;
  std::vector<TMadePage> pages_;
  std::vector<TMadeBookmark> bookmarks_;
  TSearchIndex searchIndex_;
};

}  // namespace

std::vector<fs::path> ListSources(const std::vector<fs::path>& names) {
  std::vector<fs::path> sources;
  for (const fs::path& name : names) {
    std::error_code ec;
    if (fs::is_directory(name, ec)) {
      const std::vector<fs::path> found = SourcesInFolder(name);
      sources.insert(sources.end(), found.begin(), found.end());
    } else if (fs::is_regular_file(name, ec)) {
      sources.push_back(name);
    } else {
      throw Error("No such picture, PDF or folder: " + Quoted(name));
    }
  }
  if (sources.empty()) throw Error("No pictures or PDFs given");
  return sources;
}

std::vector<fs::path> FilesLeftOut(const std::vector<fs::path>& names,
                                   const std::vector<fs::path>& taken) {
  // Compared where they really lie: the sources come with every link followed.
  const auto real = [](const fs::path& path) {
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical;
  };
  std::set<fs::path> kept;
  for (const fs::path& path : taken) kept.insert(real(path));
  std::vector<fs::path> left;
  for (const fs::path& name : names) {
    std::error_code ec;
    if (!fs::is_directory(name, ec)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(name, ec)) {
      if (entry.path().filename().string().starts_with(".")) continue;
      if (entry.is_regular_file(ec) && !kept.contains(real(entry.path())))
        left.push_back(entry.path());
    }
  }
  std::sort(left.begin(), left.end(), [](const fs::path& a, const fs::path& b) {
    return NaturalLess(a.filename().string(), b.filename().string());
  });
  return left;
}

Size FittedSize(Size picture, int side) {
  if (std::max(picture.width, picture.height) <= side) return picture;
  const Rect fit = FitInBox(picture.width, picture.height, side, side);
  return {std::max(1, fit.width), std::max(1, fit.height)};
}

TMadePage PlanPage(int index, Size picture) {
  TMadePage page{picture, PageFileName(kPagesFolder, index), {}, {}, {}, {}};
  const bool larger = std::max(picture.width, picture.height) > kPagePictureSide;
  page.zoom = larger ? PageFileName(kMobileFolder, index) : page.src;
  return page;
}

TMadeDocuments WriteMadeDocuments(std::string_view title, const std::vector<TMadePage>& pages,
                                  const std::vector<TMadeBookmark>& bookmarks,
                                  std::string_view searchIndex) {
  TMadeBook made(title, pages, bookmarks, searchIndex);
  const TListedDocument around(made.BookAroundPages());
  std::string book(around.Before());
  const TPageSequence sequence = made.Pages();
  for (std::size_t i = 0; i < sequence.count; ++i) {
    const TMPage& page = sequence.page(i);
    book += ListItemText(around.Depth(), [&](platform::XmlNode parent) {
      page.SaveToXML(parent.AddChild(TMBasicObjects::ItemElementName(page)));
    });
  }
  book += around.After();
  std::ostringstream toc;
  made.WriteTableOfContents(toc);
  return {made.Project(), std::move(book), std::move(toc).str()};
}

std::size_t MakeBook(const TMakeRequest& request, const TMakeProgress& progress) {
  if (request.sources.empty()) throw Error("No pictures or PDFs given");
  if (request.viewerMovie.empty())
    throw Error("This bookstub carries no viewer movie (it was built without the Haxe compiler)");
  std::error_code ec;
  if (!fs::is_regular_file(request.player, ec))
    throw Error("Cannot read the player " + Quoted(request.player));
  if (request.output.filename().empty())
    throw Error("No output file named: " + Quoted(request.output));

  const std::vector<TSource> sources = PlanSources(request.sources);
  std::size_t total = 0;
  for (const TSource& source : sources) total += static_cast<std::size_t>(source.pages);

  // Deleted with everything in it when the making ends, however it ends.
  const TScratchFolder folder(request.output, "make");
  for (const char* name : {kPagesFolder, kMobileFolder}) {
    fs::create_directories(JoinBookPath(folder.Path(), name, false), ec);
    if (ec) throw Error("Cannot create a folder in " + Quoted(folder.Path()) + ": " + ec.message());
  }
  TMaking making(folder.Path(), total, progress);
  for (const TSource& source : sources) {
    if (source.pdf)
      making.AddPdf(source.file);
    else
      making.AddPicture(source.file);
  }
  TMadeBook made = making.Finish(request.title);
  WriteTableOfContentsFile(made, JoinBookPath(folder.Path(), kMadeTableOfContents));
  WriteWholeFile(folder.Path() / kMadeViewerMovie, request.viewerMovie);
  PackPagedBook(request.player, folder.Path(),
                {made.Project(), made.BookAroundPages(), made.Pages()}, request.output);
  return making.PageCount();
}
