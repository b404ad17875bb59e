#pragma once
// Builds whole book packages for tests from plain descriptions: which files the book has, with
// which bytes and document names. The blobs are laid out in the authoring order, the package
// addresses are filled into both documents, and the documents are written as the authoring side
// writes them (project settings as elements with "True"/"False", the book as attributes).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/PackageBuilder.h"

namespace testsupport {

// A file of the book: its document name and bytes. `address`, when set, is stored instead of
// the address of a blob (no blob is added): for absent or damaged addresses.
struct FileSpec {
  FileSpec() = default;
  FileSpec(std::string name, std::string bytes, std::optional<BlobAddress> address = {})
      : name(std::move(name)), bytes(std::move(bytes)), address(address) {}
  std::string name;
  std::string bytes;
  std::optional<BlobAddress> address;
};

struct GroupSpec {
  GroupSpec(std::string ini, std::vector<TypedBlob> members,
            std::optional<BlobAddress> address = {})
      : ini(std::move(ini)), members(std::move(members)), address(address) {}
  std::string ini;  // the head blob: info.ini text
  std::vector<TypedBlob> members;
  std::optional<BlobAddress> address;
};

struct ElementSpec {
  ElementSpec(std::string tag, FileSpec file, std::optional<FileSpec> preview = {})
      : tag(std::move(tag)), file(std::move(file)), preview(std::move(preview)) {}
  std::string tag = "img";          // img, gif, snd, vid, area, txt
  FileSpec file;                    // src and its blob; no blob when bytes are empty and no address
  std::optional<FileSpec> preview;  // vid only
  int left = 0, top = 0, width = 0, height = 0;
  std::string url;  // written when not empty
};

struct BookmarkSpec {
  std::string title;
  int page = 1;
};

struct PageSpec {
  PageSpec() = default;
  explicit PageSpec(std::vector<ElementSpec> elements) : elements(std::move(elements)) {}
  std::vector<ElementSpec> elements;
  std::optional<FileSpec> search;    // searchtxt
  std::optional<FileSpec> download;  // download
  std::optional<FileSpec> mobile;    // mobilefile2
  std::string mobilefile1;
  std::string photoviewthumb;
  std::string print;
};

// Every optional file is absent unless set.
struct BookSpec {
  // The executable image in front of the package; a short stand-in when unset.
  std::optional<std::string> stubImage;
  std::string exetitle = "Fixture Book";
  std::optional<FileSpec> background;
  std::optional<GroupSpec> navbtn;
  bool navbtnDownload = false;
  std::optional<GroupSpec> navbar;
  std::string navbarTopfile;
  std::string navbarBottomfile;
  std::optional<FileSpec> preloader;
  std::optional<FileSpec> logo;
  std::optional<FileSpec> toc;
  // Project-level extras by their address-pair name: "bookinfo", "mag", "toolbar", "input",
  // "vs", "thumbswf".
  std::map<std::string, FileSpec> extras;

  std::optional<FileSpec> searchindex;
  std::optional<FileSpec> download;
  std::optional<FileSpec> langs;
  std::optional<FileSpec> flag;
  bool withChapter = true;
  std::optional<FileSpec> bgsound;
  int pagewidth = 500;
  int pageheight = 700;
  double thumbscale = 0.2;
  // Written inside the book element before its chapters: child-element scalars, which are read
  // after the attributes and in the user's number format ("<thumbscale>0,5</thumbscale>").
  std::string bookChildren;
  std::vector<PageSpec> pages;
  std::vector<BookmarkSpec> bookmarks;
};

struct BuiltBook {
  std::string bytes;
  std::string projectXml;
  std::string bookXml;
  void WriteTo(const std::filesystem::path& file) const;
};

BuiltBook BuildBook(const BookSpec& bookSpec);

// A picture file of the given size (format by the extension of `name`: ".png", ".jpg", ...),
// opaque red, made with the image service.
std::string PictureBytes(int width, int height, const std::string& extension = ".png");

// An uncompressed SWF movie ("FWS") whose stage is width x height pixels.
std::string SwfBytes(int width, int height);

// Text with &, <, > and " escaped for an XML attribute or element.
std::string EscapeXml(const std::string& text);

}  // namespace testsupport
