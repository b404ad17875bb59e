#pragma once
// Every file of a book that the package can carry: which document property holds its package
// address, how the split reads it, and where the file lies below the book root. One list for the
// split, the package report and the authoring commands (pack, unpack, restub).
//
// The list is in the order the authoring side writes the blobs: background, the button group,
// the bar group, viewer movie, logo, search index, table of contents, chapter sounds, book
// download, language and flag archives; then, chapter by chapter and page by page, each element
// file (a video followed by its preview), the mobile image, the search text and the download
// file; then the framework, magnifier, toolbar, input-box, video-skin and thumbnail movies. The
// print files and element thumbnails, whose addresses the documents carry but nobody reads,
// come last.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TLMProject;
class TMBook;
class TMPage;

enum class TReadStyle { BySuffix, BySize, Group, Unread };

enum class TBlobKind {
  Background,
  NavButtons,
  NavBar,
  Preloader,
  Logo,
  SearchIndex,
  Toc,
  ChapterSound,
  BookDownload,
  Languages,
  Flags,
  ElementFile,
  VideoPreview,
  MobileImage,
  PageSearch,
  PageDownload,
  Framework,
  Magnifier,
  Toolbar,
  InputBox,
  VideoSkin,
  ThumbMovie,
  PagePrint,
  ElementThumb,
};

enum class TBlobDocument { Project, Book };

struct TBookBlob {
  TBlobKind kind = TBlobKind::Preloader;
  TBlobDocument document = TBlobDocument::Project;
  // Where the address pair lives, e.g. "navbtn", "pos_mag_",
  // "Chapters[0].Pages[2].elem[1].preview".
  std::string property;
  TReadStyle style = TReadStyle::BySize;
  std::uint32_t pos = 0;
  std::uint32_t size = 0;
  // The file below the book root: the name the document gives it, a fixed name, or for the
  // groups and archives their folder (ending in "/"). Empty when the document names none.
  std::string name;
  // The pos_ of this pair is a signed 32-bit property: the blob must end below 2 GiB.
  bool signedPos = false;

  bool Present() const { return pos != 0; }
  bool IsFolder() const { return style == TReadStyle::Group || IsArchive(); }
  bool IsArchive() const { return kind == TBlobKind::Languages || kind == TBlobKind::Flags; }
  // The highest value the pos_ of this pair can hold.
  std::uint64_t PosLimit() const { return signedPos ? 0x7FFFFFFFu : 0xFFFFFFFFu; }
};

// Every address pair of the two documents, in the authoring order, for every chapter.
std::vector<TBookBlob> ListBookBlobs(const TLMProject& project, const TMBook& book);

// The address pairs of one page that are read, as ListBookBlobs lists them; `at` names the page
// in the properties ("Chapters[0].Pages[2]").
std::vector<TBookBlob> ListPageBlobs(const TMPage& page, const std::string& at);
// Stores the pairs ListPageBlobs lists into the page, addresses[i] into the i-th (pos, size).
// Raises Error when the counts differ.
void SetPageAddresses(TMPage& page,
                      const std::vector<std::pair<std::uint32_t, std::uint32_t>>& addresses);

const char* ReadStyleName(TReadStyle style);
const char* DocumentName(TBlobDocument document);  // "project" or "book"

// The shared movies, at their fixed names (the last blobs the list holds before the unread ones).
std::vector<TBookBlob> ListSharedMovies(const TLMProject& project);

// INI keys of the navigation-button members, indexed by the member's type.
inline constexpr std::array<std::string_view, 19> kNavButtonKeys = {
    "firstpage",  "lastpage",       "previous", "next",      "play",     "stop",  "thumbnail",
    "fullscreen", "exitfullscreen", "music",    "mute",      "download", "print", "toc",
    "zoomin",     "zoomout",        "share",    "bookmarks", "search"};
// The info.ini key that names the navigation-button member of `type`; none outside the table.
std::optional<std::string_view> NavButtonKey(std::uint32_t type);
// Member types of the navigation-bar group.
inline constexpr std::uint32_t kNavBarTopType = 0;
inline constexpr std::uint32_t kNavBarBottomType = 1;
// The head blob of either group is the folder's info.ini.
inline constexpr const char* kGroupIniName = "info.ini";
