#pragma once
// The book document: global viewer settings, background, bookmarks, chapters, pages with their
// page elements and links. Loaded once from the package; file-name properties are rewritten in
// memory by the splitting of the package.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/ViewerKeys.h"
#include "model/book/MBasicProjects.h"
#include "model/book/MPageElements.h"
#include "platform/Os.h"

// The colour a new bookmark gets: a different one each time within a run.
std::uint32_t NextBookmarkColor();

class TMURL : public TModelClass<TMURL, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::string src;
};

class TMURLs : public TMTypedObjects<TMURL> {
 public:
  using TMTypedObjects::TMTypedObjects;
};

class TMLink : public TModelClass<TMLink, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::unique_ptr<TMURLs> urls = std::make_unique<TMURLs>(this);
  std::string page;
};

class TMLinks : public TMTypedObjects<TMLink> {
 public:
  using TMTypedObjects::TMTypedObjects;
};

class TMPage : public TModelClass<TMPage, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  // Setting it also sets the element name: "spreadpage" when true, "page" when false.
  bool isSimplePage() const { return isSimplePage_; }
  void SetIsSimplePage(bool value);

  std::int64_t bgcolor = 4291611852;
  double foldfx = 0.5;
  double shadows = 0.5;
  bool stiff = false;
  bool turningenabled = true;
  std::string print;
  std::string searchtxt;
  std::string download;
  std::unique_ptr<TBasicVisualPageElements> elem = std::make_unique<TBasicVisualPageElements>(this);
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
  std::unique_ptr<TMLinks> links = std::make_unique<TMLinks>(this);

 private:
  bool isSimplePage_ = false;
};

class TMPages : public TMTypedObjects<TMPage> {
 public:
  using TMTypedObjects::TMTypedObjects;

  // Moves a set of pages, given by their indexes as decimal texts, to `target` (0..Count):
  // copies of the pages are inserted there in ascending index order, then the originals are
  // freed. Raises Error, leaving the list untouched, on a text that is not an index of a page
  // or on a target outside the list.
  void MovePages(const std::vector<std::string>& indexes, int target);
};

class TMChapter : public TModelClass<TMChapter, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::unique_ptr<TMPages> Pages = std::make_unique<TMPages>(this);
  std::string bgsound;
  std::int32_t fade = 1000;
  std::int64_t bgcolor = 4291611852;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

class TMChapters : public TMTypedObjects<TMChapter> {
 public:
  using TMTypedObjects::TMTypedObjects;
};

class TMBookmark : public TModelClass<TMBookmark, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::string title;
  std::int32_t page = 1;
  std::uint32_t color = NextBookmarkColor();
};

class TMBookmarks : public TMTypedObjects<TMBookmark> {
 public:
  using TMTypedObjects::TMTypedObjects;
};

// The background box. It leaves out attributes by a skip list of its own (width, height 0,
// backgroundrepeat false, empty scale9grid, alpha 1); its Doubles are written with "." like
// every other attribute, since a locale separator could not be read back.
class TMBox : public TModelClass<TMBox, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::string anchors = "0, 0, pw, ph";
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string background;
  bool backgroundrepeat = false;
  std::string scale9grid;
  double alpha = 1;
  std::int32_t pos = 0;
};

class TMBackground : public TModelClass<TMBackground, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::unique_ptr<TMBox> box = std::make_unique<TMBox>(this);
};

class TMBook : public TModelClass<TMBook, TMBasicObject>, public TViewerKeys {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  // Fills the book from a whole document as stored (encoding from its declaration or byte-order
  // mark); the name of the document element is not examined. Raises Error.
  void LoadFromStream(std::string_view xmlBytes);
  // The book in canonical form, document element "book".
  std::string SaveToText() const;

  std::string version;
  std::string title;
  std::string uid = platform::NewGuid();
  std::string asulextension = "swf";
  std::int64_t bgcolor = 13421772;
  double foldfx = 0.5;
  std::string plugins;
  std::string guipath = "res/other/";
  std::string flagpath = "res/flags/";
  bool ignoresyslang = false;
  std::string gaaccount;
  std::string lang;
  bool handcursor = true;
  bool ltr = true;
  double pagethickness = 0.3;
  bool pagesounds = true;
  std::int32_t pagewidth = 0;
  std::int32_t pageheight = 0;
  bool reflection = false;
  double reflectionalpha = 0.25;
  bool reflectionfade = false;
  std::int32_t reflectionoffset = 0;
  bool minimode = false;
  std::int32_t miniwidth = 400;
  std::int32_t miniheight = 300;
  std::int32_t marginleft = 20;
  std::int32_t marginright = 20;
  std::int32_t margintop = 70;
  std::int32_t marginbottom = 75;
  std::int32_t rotate = 0;
  std::int32_t startpage = 1;
  double slidedelay = 3.0;
  bool sliderepeat = false;
  bool slidestart = false;
  bool centercovers = true;
  bool cornerhint = false;
  std::string pluginpath = "plugins/";
  double dragspeed = 0.5;
  std::string dragarea = "top,middle,bottom";
  std::string dragrange = "auto";
  double zoominit = 0.5;
  double zoomminscale = 0.1;
  double zoommaxscale = 5.0;
  bool zoomliquidscaling = true;
  std::int32_t zoomsteps = 1;
  std::string zoomsnap = "1,2,3,5";
  bool zoomwheel = false;
  bool zoomdoubleclick = false;
  bool useminfixzoom = true;
  bool zoombar = true;
  double spinecurvature = -0.5;
  std::uint32_t spinecolor = 13421772;
  std::int32_t maxloaded = 30;
  bool bggradient = false;
  std::string password;
  std::int32_t pwstart = 1;
  bool simplepage = false;
  std::string searchindex;
  bool searchclear = false;
  std::int32_t printmaxpages = 30;
  std::int32_t printthumbsperpage = 30;
  bool printselectcurrent = true;
  bool printstretch = true;
  std::string thumbloadtext;
  std::string thumbpath = "res/thumbnails/thumb_{{num}}.png";
  bool thumbstatic = true;
  bool thumbauto = true;
  bool pagepreview = true;
  double thumbscale = 0.2;
  bool alwayshowthumb = false;
  bool autoMove = false;
  bool fullscreenopened = false;
  std::string langpath = "res/languages/";
  std::string download;
  std::unique_ptr<TMBackground> background = std::make_unique<TMBackground>(this);
  std::unique_ptr<TMBookmarks> bookmarks = std::make_unique<TMBookmarks>(this);
  std::unique_ptr<TMChapters> Chapters = std::make_unique<TMChapters>(this);
  std::uint32_t pos_search_ = 0;
  std::uint32_t size_search_ = 0;
  std::uint32_t pos_download_ = 0;
  std::uint32_t size_download_ = 0;
  std::uint32_t pos_langs_ = 0;
  std::uint32_t size_langs_ = 0;
  std::uint32_t pos_flag_ = 0;
  std::uint32_t size_flag_ = 0;
  std::string bookmarktype = "box";
  std::string errorlevel = "NONE";
};
