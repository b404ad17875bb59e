#pragma once
// The book document: global viewer settings, background, bookmarks, chapters, pages with their
// page elements and links. Loaded once from the package; file-name properties are rewritten in
// memory by the splitting of the package.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/book/MBasicProjects.h"
#include "model/book/MPageElements.h"

class TMURL : public TMBasicObject {
 public:
  explicit TMURL(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string src;
};

class TMURLs : public TMTypedObjects<TMURL> {
 public:
  explicit TMURLs(TMPersistent* owner = nullptr) : TMTypedObjects(owner) {}
};

class TMLink : public TMBasicObject {
 public:
  explicit TMLink(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::unique_ptr<TMURLs> urls;
  std::string page;
};

class TMLinks : public TMTypedObjects<TMLink> {
 public:
  explicit TMLinks(TMPersistent* owner = nullptr) : TMTypedObjects(owner) {}
};

class TMPage : public TMBasicObject {
 public:
  explicit TMPage(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Setting it also sets the element name: "spreadpage" when true, "page" when false.
  bool isSimplePage() const { return FIsSimplePage; }
  void SetIsSimplePage(bool value);

  std::int64_t bgcolor = 0;
  double foldfx = 0;
  double shadows = 0;
  bool stiff = false;
  bool turningenabled = false;
  std::string print;
  std::string searchtxt;
  std::string download;
  std::unique_ptr<TBasicVisualPageElements> elem;
  std::uint32_t pos_print_ = 0;
  std::uint32_t size_print_ = 0;
  std::uint32_t pos_search_ = 0;
  std::uint32_t size_search_ = 0;
  std::uint32_t pos_download_ = 0;
  std::uint32_t size_download_ = 0;
  std::string mobilefile1;
  std::string mobilefile2;
  std::uint32_t pos_mobilefile2 = 0;
  std::uint32_t size_mobilefile2 = 0;
  std::string pagethumb;
  std::string photoviewthumb;
  std::unique_ptr<TMLinks> links;

 private:
  bool FIsSimplePage = false;
};

class TMPages : public TMTypedObjects<TMPage> {
 public:
  explicit TMPages(TMPersistent* owner = nullptr) : TMTypedObjects(owner) {}

  // Moves a set of pages, given by their indexes as decimal texts, to `target` (0..Count):
  // copies of the pages are inserted there in ascending index order, then the originals are
  // freed. Raises Error, leaving the list untouched, on a text that is not an index of a page
  // or on a target outside the list.
  void MovePages(const std::vector<std::string>& indexes, int target);
};

class TMChapter : public TMBasicObject {
 public:
  explicit TMChapter(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::unique_ptr<TMPages> Pages;
  std::string bgsound;
  std::int32_t fade = 0;
  std::int64_t bgcolor = 0;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

class TMChapters : public TMTypedObjects<TMChapter> {
 public:
  explicit TMChapters(TMPersistent* owner = nullptr) : TMTypedObjects(owner) {}
};

class TMBookmark : public TMBasicObject {
 public:
  explicit TMBookmark(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string title;
  std::int32_t page = 0;
  std::uint32_t color = 0;
};

class TMBookmarks : public TMTypedObjects<TMBookmark> {
 public:
  explicit TMBookmarks(TMPersistent* owner = nullptr) : TMTypedObjects(owner) {}
};

// The background box. It leaves out attributes by a skip list of its own (width, height 0,
// backgroundrepeat false, empty scale9grid, alpha 1); its Doubles are written with "." like
// every other attribute, since a locale separator could not be read back.
class TMBox : public TMBasicObject {
 public:
  explicit TMBox(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string anchors;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string background;
  bool backgroundrepeat = false;
  std::string scale9grid;
  double alpha = 0;
  std::int32_t pos = 0;
};

class TMBackground : public TMBasicObject {
 public:
  explicit TMBackground(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::unique_ptr<TMBox> box;
};

class TMBook : public TMBasicObject {
 public:
  explicit TMBook(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Fills the book from a whole document as stored (encoding from its declaration or byte-order
  // mark); the name of the document element is not examined. Raises Error.
  void LoadFromStream(std::string_view xmlBytes);
  // The book in canonical form, document element "book".
  std::string SaveToText() const;

  std::string version;
  std::string title;
  std::string uid;
  std::string asulextension;
  std::int64_t bgcolor = 0;
  double foldfx = 0;
  std::string plugins;
  std::string guipath;
  std::string flagpath;
  bool ignoresyslang = false;
  std::string gaaccount;
  std::string lang;
  bool handcursor = false;
  bool ltr = false;
  double pagethickness = 0;
  bool pagesounds = false;
  std::int32_t pagewidth = 0;
  std::int32_t pageheight = 0;
  bool reflection = false;
  double reflectionalpha = 0;
  bool reflectionfade = false;
  std::int32_t reflectionoffset = 0;
  bool minimode = false;
  std::int32_t miniwidth = 0;
  std::int32_t miniheight = 0;
  std::int32_t marginleft = 0;
  std::int32_t marginright = 0;
  std::int32_t margintop = 0;
  std::int32_t marginbottom = 0;
  std::int32_t rotate = 0;
  std::int32_t startpage = 0;
  double slidedelay = 0;
  bool sliderepeat = false;
  bool slidestart = false;
  bool centercovers = false;
  bool cornerhint = false;
  std::string pluginpath;
  double dragspeed = 0;
  std::string dragarea;
  std::string dragrange;
  double zoominit = 0;
  double zoomminscale = 0;
  double zoommaxscale = 0;
  bool zoomliquidscaling = false;
  std::int32_t zoomsteps = 0;
  std::string zoomsnap;
  bool zoomwheel = false;
  bool zoomdoubleclick = false;
  bool useminfixzoom = false;
  bool zoombar = false;
  double spinecurvature = 0;
  std::uint32_t spinecolor = 0;
  std::int32_t maxloaded = 0;
  bool bggradient = false;
  std::string password;
  std::int32_t pwstart = 0;
  bool simplepage = false;
  std::string searchindex;
  bool searchclear = false;
  std::int32_t printmaxpages = 0;
  std::int32_t printthumbsperpage = 0;
  bool printselectcurrent = false;
  bool printstretch = false;
  std::int32_t keyfullscreen = 0;
  std::int32_t keyprevpage = 0;
  std::int32_t keynextpage = 0;
  std::int32_t keyfirstpage = 0;
  std::int32_t keylastpage = 0;
  std::int32_t keyzoomin = 0;
  std::int32_t keyzoomout = 0;
  std::string thumbloadtext;
  std::string thumbpath;
  bool thumbstatic = false;
  bool thumbauto = false;
  bool pagepreview = false;
  double thumbscale = 0;
  bool alwayshowthumb = false;
  bool autoMove = false;
  bool fullscreenopened = false;
  std::string langpath;
  std::string download;
  std::unique_ptr<TMBackground> background;
  std::unique_ptr<TMBookmarks> bookmarks;
  std::unique_ptr<TMChapters> Chapters;
  std::uint32_t pos_search_ = 0;
  std::uint32_t size_search_ = 0;
  std::uint32_t pos_download_ = 0;
  std::uint32_t size_download_ = 0;
  std::uint32_t pos_langs_ = 0;
  std::uint32_t size_langs_ = 0;
  std::uint32_t pos_flag_ = 0;
  std::uint32_t size_flag_ = 0;
  std::string bookmarktype;
  std::string errorlevel;
};
