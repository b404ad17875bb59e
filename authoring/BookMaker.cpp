#include "authoring/BookMaker.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <system_error>

#include "authoring/Authoring.h"
#include "authoring/TableOfContents.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "package/SplitNames.h"
#include "package/uPathGetter.h"
#include "platform/Image.h"
#include "platform/Os.h"
#include "platform/Xml.h"
#include "util/Error.h"
#include "util/NaturalOrder.h"
#include "util/Pictures.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

std::vector<fs::path> PicturesInFolder(const fs::path& folder) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") || !HasPictureExtension(name)) continue;
    if (entry.is_regular_file(ec)) found.push_back(entry.path());
  }
  if (ec) throw Error("Cannot read the folder " + Quoted(folder) + ": " + ec.message());
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return NaturalLess(a.filename().string(), b.filename().string());
  });
  if (found.empty())
    throw Error("No pictures (JPEG, PNG, GIF, BMP or TIFF files) in the folder " + Quoted(folder));
  return found;
}

std::string PageFileName(const char* folder, int index) {
  return std::string(folder) + "page_" + N4(index + 1) + ".jpg";
}

// The hidden folder the source book is built in, beside the output so that the output's disk
// holds it; deleted with everything in it when the making ends, however it ends.
class TScratchFolder {
 public:
  explicit TScratchFolder(const fs::path& output)
      : path_(output.parent_path() /
              ("." + output.filename().string() + ".make-" + platform::NewGuid())) {
    std::error_code ec;
    if (!fs::create_directory(path_, ec))
      throw Error("Cannot create the folder " + Quoted(path_) + ": " + ec.message());
  }
  ~TScratchFolder() { DeleteFolderTree(path_); }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& file, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw Error("Cannot write " + Quoted(file));
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

}  // namespace

std::vector<fs::path> ListPictures(const std::vector<fs::path>& names) {
  std::vector<fs::path> pictures;
  for (const fs::path& name : names) {
    std::error_code ec;
    if (fs::is_directory(name, ec)) {
      const std::vector<fs::path> found = PicturesInFolder(name);
      pictures.insert(pictures.end(), found.begin(), found.end());
    } else if (fs::is_regular_file(name, ec)) {
      pictures.push_back(name);
    } else {
      throw Error("No such picture or folder: " + Quoted(name));
    }
  }
  if (pictures.empty()) throw Error("No pictures given");
  return pictures;
}

Size FittedSize(Size picture, int side) {
  if (std::max(picture.width, picture.height) <= side) return picture;
  const Rect fit = FitInBox(picture.width, picture.height, side, side);
  return {std::max(1, fit.width), std::max(1, fit.height)};
}

TMadePage PlanPage(int index, Size picture) {
  TMadePage page{picture, PageFileName(kPagesFolder, index), {}};
  const bool larger = std::max(picture.width, picture.height) > kPagePictureSide;
  page.zoom = larger ? PageFileName(kMobileFolder, index) : page.src;
  return page;
}

TMadeDocuments WriteMadeDocuments(std::string_view title, const std::vector<TMadePage>& pages) {
  if (pages.empty()) throw Error("A book needs at least one page");
  const Size pageSize = pages.front().picture;
  TMBook book;
  book.title = title;
  book.pagewidth = pageSize.width;
  book.pageheight = pageSize.height;
  book.thumbscale =
      static_cast<double>(kThumbnailSide) / std::max({pageSize.width, pageSize.height, 1});
  auto chapter = std::make_unique<TMChapter>(book.Chapters.get());
  for (const TMadePage& made : pages)
    chapter->Pages->Add(MadePage(*chapter->Pages, made, pageSize));
  book.Chapters->Add(std::move(chapter));
  return {WriteProject(title), book.SaveToText(), WriteTableOfContents(book)};
}

void MakeBook(const TMakeRequest& request, const TMakeProgress& progress) {
  if (request.pictures.empty()) throw Error("No pictures given");
  if (request.viewerMovie.empty())
    throw Error("This bookstub carries no viewer movie (it was built without the Haxe compiler)");
  std::error_code ec;
  if (!fs::is_regular_file(request.player, ec))
    throw Error("Cannot read the player " + Quoted(request.player));
  if (request.output.filename().empty())
    throw Error("No output file named: " + Quoted(request.output));

  const TScratchFolder source(request.output);
  for (const char* folder : {kPagesFolder, kMobileFolder}) {
    fs::create_directories(JoinBookPath(source.Path(), folder, false), ec);
    if (ec) throw Error("Cannot create a folder in " + Quoted(source.Path()) + ": " + ec.message());
  }
  std::vector<TMadePage> pages;
  pages.reserve(request.pictures.size());
  for (const fs::path& picture : request.pictures) {
    pages.push_back(MakePage(static_cast<int>(pages.size()), picture, source.Path()));
    if (progress) progress(pages.size(), request.pictures.size());
  }
  const TMadeDocuments documents = WriteMadeDocuments(request.title, pages);
  WriteFile(source.Path() / kMadeProjectDocument, documents.project);
  WriteFile(source.Path() / kMadeBookDocument, documents.book);
  WriteFile(JoinBookPath(source.Path(), kMadeTableOfContents), documents.toc);
  WriteFile(source.Path() / kMadeViewerMovie, request.viewerMovie);
  PackBook(request.player, source.Path(), request.output);
}
