#include "tests/support/BookFixture.h"

#include <fstream>
#include <sstream>

#include "platform/Image.h"
#include "platform/Os.h"
#include "tests/support/SwfWriter.h"
#include "util/Error.h"

namespace testsupport {
namespace {

// Adds the file's blob (unless it has a fixed address or no bytes and no address is wanted).
BlobAddress Place(PackageBuilder& package, const FileSpec& file) {
  if (file.address) return *file.address;
  return package.AddBlob(file.bytes);
}

BlobAddress PlaceGroup(PackageBuilder& package, const GroupSpec& group) {
  if (group.address) return *group.address;
  return package.AddGroup(group.ini, group.members);
}

// Project settings: one child element per property.
class ElementWriter {
 public:
  void Open(const std::string& name) { out_ << "<" << name << ">"; }
  void Close(const std::string& name) { out_ << "</" << name << ">"; }
  template <class T>
  void Value(const std::string& name, const T& value) {
    out_ << "<" << name << ">" << value << "</" << name << ">";
  }
  void Text(const std::string& name, const std::string& value) { Value(name, EscapeXml(value)); }
  void Bool(const std::string& name, bool value) { Value(name, value ? "True" : "False"); }
  void Address(const BlobAddress& address) {
    Value("pos_", address.pos);
    Value("size_", address.size);
  }
  std::string Str() const { return out_.str(); }

 private:
  std::ostringstream out_;
};

// Book document: attributes.
std::string Attr(const std::string& name, const std::string& value) {
  return " " + name + "=\"" + EscapeXml(value) + "\"";
}
template <class T>
std::string Attr(const std::string& name, T value) {
  std::ostringstream text;
  text << value;
  return Attr(name, text.str());
}
std::string AddressAttrs(const std::string& pos, const std::string& size, BlobAddress address) {
  return Attr(pos, address.pos) + Attr(size, address.size);
}

struct Layout {
  BlobAddress background, navbtn, navbar, preloader, logo, toc, searchindex, download, langs, flag,
      bgsound;
  std::map<std::string, BlobAddress> extras;
  std::vector<std::string> pagesXml;
};

std::optional<BlobAddress> PlaceOptional(PackageBuilder& package,
                                         const std::optional<FileSpec>& file) {
  if (!file) return std::nullopt;
  return Place(package, *file);
}

std::string ElementXml(PackageBuilder& package, const ElementSpec& element) {
  std::string xml = "<" + element.tag;
  xml += Attr("left", element.left) + Attr("top", element.top) + Attr("width", element.width) +
         Attr("height", element.height);
  if (!element.file.name.empty()) xml += Attr("src", element.file.name);
  if (!element.url.empty()) xml += Attr("url", element.url);
  if (!element.file.bytes.empty() || element.file.address)
    xml += AddressAttrs("pos_", "size_", Place(package, element.file));
  if (element.preview) {
    xml += Attr("preview", element.preview->name);
    xml += AddressAttrs("pos_pre_", "size_pre_", Place(package, *element.preview));
  }
  return xml + "/>";
}

std::string PageXml(PackageBuilder& package, const PageSpec& page) {
  std::string elements;
  for (const ElementSpec& element : page.elements) elements += ElementXml(package, element);
  std::string attrs = Attr("mobilefile1", page.mobilefile1) +
                      Attr("photoviewthumb", page.photoviewthumb) + Attr("print", page.print);
  if (page.mobile)
    attrs += Attr("mobilefile2", page.mobile->name) +
             AddressAttrs("pos_mobilefile2", "size_mobilefile2", Place(package, *page.mobile));
  if (page.search)
    attrs += Attr("searchtxt", page.search->name) +
             AddressAttrs("pos_search_", "size_search_", Place(package, *page.search));
  if (page.download)
    attrs += Attr("download", page.download->name) +
             AddressAttrs("pos_download_", "size_download_", Place(package, *page.download));
  return "<page" + attrs + "><elem>" + elements + "</elem></page>";
}

std::string ProjectXml(const BookSpec& bookSpec, const Layout& at) {
  ElementWriter w;
  w.Open("project");
  w.Text("exetitle", bookSpec.exetitle);
  const auto named = [&](const char* tag, const std::optional<FileSpec>& file, BlobAddress a) {
    w.Open(tag);
    w.Text("filename", file ? file->name : std::string());
    w.Address(a);
    w.Close(tag);
  };
  named("background", bookSpec.background, at.background);
  w.Open("navbtn");
  w.Bool("download", bookSpec.navbtnDownload);
  w.Address(at.navbtn);
  w.Close("navbtn");
  w.Open("navbar");
  w.Text("topfile", bookSpec.navbarTopfile);
  w.Text("bottomfile", bookSpec.navbarBottomfile);
  w.Address(at.navbar);
  w.Close("navbar");
  named("preloader", bookSpec.preloader, at.preloader);
  named("logo", bookSpec.logo, at.logo);
  named("toc", bookSpec.toc, at.toc);
  for (const auto& [name, address] : at.extras) {
    w.Value("pos_" + name + "_", address.pos);
    w.Value("size_" + name + "_", address.size);
  }
  w.Close("project");
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + w.Str();
}

std::string BookXml(const BookSpec& bookSpec, const Layout& at) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<book";
  xml += Attr("title", bookSpec.exetitle) + Attr("pagewidth", bookSpec.pagewidth) +
         Attr("pageheight", bookSpec.pageheight) + Attr("thumbscale", bookSpec.thumbscale);
  if (bookSpec.searchindex)
    xml += Attr("searchindex", bookSpec.searchindex->name) +
           AddressAttrs("pos_search_", "size_search_", at.searchindex);
  if (bookSpec.download)
    xml += Attr("download", bookSpec.download->name) +
           AddressAttrs("pos_download_", "size_download_", at.download);
  xml += AddressAttrs("pos_langs_", "size_langs_", at.langs);
  xml += AddressAttrs("pos_flag_", "size_flag_", at.flag);
  xml += ">" + bookSpec.bookChildren;
  if (!bookSpec.bookmarks.empty()) {
    xml += "<bookmarks>";
    for (const BookmarkSpec& bookmark : bookSpec.bookmarks)
      xml += "<bookmark" + Attr("title", bookmark.title) + Attr("page", bookmark.page) + "/>";
    xml += "</bookmarks>";
  }
  xml += "<Chapters>";
  if (bookSpec.withChapter) {
    xml += "<chapter";
    if (bookSpec.bgsound)
      xml += Attr("bgsound", bookSpec.bgsound->name) + AddressAttrs("pos_", "size_", at.bgsound);
    xml += "><Pages>";
    for (const std::string& page : at.pagesXml) xml += page;
    xml += "</Pages></chapter>";
  }
  return xml + "</Chapters></book>";
}

}  // namespace

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void BuiltBook::WriteTo(const std::filesystem::path& file) const {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw Error("Cannot write package \"" + file.string() + "\"");
}

BuiltBook BuildBook(const BookSpec& bookSpec) {
  PackageBuilder package =
      bookSpec.stubImage ? PackageBuilder(*bookSpec.stubImage) : PackageBuilder();
  Layout at;
  const auto place = [&](const std::optional<FileSpec>& file) {
    return PlaceOptional(package, file).value_or(BlobAddress{});
  };
  // The authoring order: background, groups, viewer movie, search index, toc, archives, pages,
  // shared movies; the logo, the sound and the download file where the order leaves room.
  at.background = place(bookSpec.background);
  if (bookSpec.navbtn) at.navbtn = PlaceGroup(package, *bookSpec.navbtn);
  if (bookSpec.navbar) at.navbar = PlaceGroup(package, *bookSpec.navbar);
  at.preloader = place(bookSpec.preloader);
  at.logo = place(bookSpec.logo);
  at.searchindex = place(bookSpec.searchindex);
  at.toc = place(bookSpec.toc);
  at.bgsound = place(bookSpec.bgsound);
  at.download = place(bookSpec.download);
  at.langs = place(bookSpec.langs);
  at.flag = place(bookSpec.flag);
  for (const PageSpec& page : bookSpec.pages) at.pagesXml.push_back(PageXml(package, page));
  for (const auto& [name, file] : bookSpec.extras) at.extras[name] = Place(package, file);

  BuiltBook built;
  built.projectXml = ProjectXml(bookSpec, at);
  built.bookXml = BookXml(bookSpec, at);
  built.bytes = package.Finish(built.projectXml, built.bookXml);
  return built;
}

std::string PictureBytes(int width, int height, const std::string& extension) {
  const auto file = platform::TempPath() / ("bookfixture-" + platform::NewGuid() + extension);
  platform::CreateCanvas(width, height)->SaveToFile(file);
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::error_code ec;
  std::filesystem::remove(file, ec);
  return bytes;
}

std::string SwfBytes(int width, int height) {
  return SwfWriter().StagePixels(width, height).Fws();
}

}  // namespace testsupport
