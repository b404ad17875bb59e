#pragma once
// The project settings document: TLMProject (document element `project`) and the settings
// objects nested in it. Every property is a public data member named exactly like its XML
// element and declared with its default; the property tables in LMProjects.cpp give the kinds.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/ViewerKeys.h"
#include "model/settings/LMBaiscProject.h"
#include "util/ZanUtils.h"

// Element `title`: the title text of the toolbar.
class TLMText : public TModelClass<TLMText, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  std::string value = "bookstub.example";
  std::uint32_t color = 0xFFFFFF;
  std::int32_t size = 12;
  std::string font = "Tahoma";
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::string url = "https://bookstub.example/";
};

// Element `pagination`: style of the page-number text.
class TLMPagination : public TModelClass<TLMPagination, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  bool usepagination = true;
  std::uint32_t color = 0xFFFFFF;
  std::int32_t size = 12;
  std::string font = "Tahoma";
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// Element `navbar`: the toolbar bar artwork and its placement. `pos_`/`size_` address the
// bar's resource group in the package.
class TLMNavBar : public TModelClass<TLMNavBar, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  bool usetop = true;
  bool usebottom = true;
  bool usefile = true;
  std::uint32_t color = SwapRedBlue(0x333333);  // BBGGRR, the order the viewer side expects
  std::string name;
  std::string topfile;
  std::string bottomfile;
  std::int32_t height = 45;
  std::string scale9grid = "15,1,85,34";
  bool backgroundrepeat = false;
  std::int32_t alpha = 100;  // percent
  std::string anchors_top = "0,0,pw";
  std::string anchors_bottom = "0,ph-h,pw";
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// The stage background (no element of its own; see TLMBackground).
class TLMBasicBg : public TModelClass<TLMBasicBg, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  bool usefile = false;
  bool usegradient = false;
  std::string gradienttype = "radial";
  std::uint32_t color = 0;
  std::uint32_t color2 = 0x999999;
  std::string filename;  // rewritten by the package splitting to the written file
  std::string filenamesrc;
  bool backgroundrepeat = false;
  std::string scale9grid;
  std::string filltype;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double alpha = 1.0;  // 0 to 1
  std::string anchors;
  std::int32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `background`.
class TLMBackground : public TModelClass<TLMBackground, TLMBasicBg> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();
};

// Element `navbtn`: toolbar buttons, margins and keys (Windows virtual-key codes).
class TLMButtons : public TModelClass<TLMButtons, TLMBasicProject>, public TViewerKeys {
 public:
  explicit TLMButtons(const void* owner = nullptr)
      : TModelClass(owner),
        TViewerKeys{.keyfullscreen = 122,  // F11
                    .keyprevpage = 37,     // left arrow
                    .keynextpage = 39,     // right arrow
                    .keyfirstpage = 36,    // Home
                    .keylastpage = 35,     // End
                    .keyzoomin = 38,       // up arrow
                    .keyzoomout = 40} {}   // down arrow
  static const TLMClassInfo& StaticClassInfo();

  std::string name;
  std::int32_t margin_lt_x = 5;
  std::int32_t margin_lt_y = 8;
  std::int32_t margin_lb_x = 5;
  std::int32_t margin_lb_y = 8;
  std::int32_t margin_rt_x = 5;
  std::int32_t margin_rb_x = 5;
  bool firstpage = true;
  bool previous = true;
  bool play = true;
  bool thumbnail = true;
  bool fullscreen = true;
  bool music = true;
  bool print = true;
  bool toc = true;
  bool zoomin = true;
  bool zoombar = true;
  bool share = true;
  bool download = false;  // also gates writing the download files
  bool bookmarks = true;
  bool email = true;
  bool search = false;
  bool searchbox = true;
  bool usekey = true;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `logo`.
class TLMLogo : public TModelClass<TLMLogo, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  bool usefile = false;
  std::string filename;
  std::string position = "logo_left_bottom";
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string url;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `toc`: the table-of-contents file.
class TLMToc : public TModelClass<TLMToc, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  std::string filename;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `preloader`: the start movie.
class TLMPreloader : public TModelClass<TLMPreloader, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  std::string filename;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `settings`: options of the authoring side's generation step.
class TLMSettings : public TModelClass<TLMSettings, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  bool genmobile = true;
  bool genthumbnail = false;
  bool extractpdflink = true;
  bool extracttoc = true;
};

// The project settings document. Each `pos_x_`/`size_x_` pair addresses one blob of the
// package (0 in either: the file is absent).
class TLMProject : public TModelClass<TLMProject, TLMBasicProject> {
 public:
  using TModelClass::TModelClass;
  static const TLMClassInfo& StaticClassInfo();

  // Parses the whole document (encoding from its byte-order mark or declaration) and loads
  // its document element, whatever its name. Raises Error for a document that does not parse
  // and for a Boolean element that does not convert.
  void LoadFromStream(std::string_view xmlBytes);

  std::int32_t booksizetype = 1;
  std::int32_t swfwd = 900;
  std::int32_t swfht = 600;
  std::string templatename;
  std::string videoskin = "01";
  std::int64_t videoskincolor = 0xCC333333;  // never read from the document
  std::int32_t pagewidth = 0;
  std::int32_t pageheight = 0;
  std::unique_ptr<TLMText> title = std::make_unique<TLMText>(this);
  std::unique_ptr<TLMPagination> pagination = std::make_unique<TLMPagination>(this);
  bool right2left = false;
  bool hardcover = false;
  bool hardpage = false;
  double pagethickness = 0.2;
  double spinecurvature = -0.5;
  std::uint32_t spinecolor = 0xCCCCCC;
  std::string gaaccount;
  bool landscape = false;
  bool canclose = true;
  bool centercovor = true;
  std::unique_ptr<TLMNavBar> navbar = std::make_unique<TLMNavBar>(this);
  std::unique_ptr<TLMButtons> navbtn = std::make_unique<TLMButtons>(this);
  std::unique_ptr<TLMBackground> background = std::make_unique<TLMBackground>(this);
  bool usepassword = false;
  std::string password;
  std::int32_t pwstart = 1;
  double dragspeed = 0.5;
  std::string dragarea = "top,middle,bottom";
  std::string dragrange = "auto";
  double slidedelay = 3.0;
  bool sliderepeat = false;
  bool slidestart = false;
  bool handcursor = true;
  std::string layoutfile;
  std::unique_ptr<TLMPreloader> preloader = std::make_unique<TLMPreloader>(this);
  std::unique_ptr<TLMLogo> logo = std::make_unique<TLMLogo>(this);
  std::unique_ptr<TLMToc> toc = std::make_unique<TLMToc>(this);
  bool bgsound = true;
  bool pagesound = true;
  std::int32_t maxloaded = 30;
  bool cornerhint = true;
  bool reflection = false;
  double reflectionalpha = 0.25;
  bool reflectionfade = false;
  std::int32_t reflectionoffset = 0;
  std::string zoomsnap = "1,3,5";
  double zoomminscale = 0.1;
  bool zoomdoubleclick = false;
  bool useminfixzoom = true;
  std::uint32_t pos_bookinfo_ = 0;
  std::uint32_t size_bookinfo_ = 0;
  std::uint32_t pos_mag_ = 0;
  std::uint32_t size_mag_ = 0;
  std::uint32_t pos_toolbar_ = 0;
  std::uint32_t size_toolbar_ = 0;
  std::uint32_t pos_input_ = 0;
  std::uint32_t size_input_ = 0;
  std::uint32_t pos_vs_ = 0;
  std::uint32_t size_vs_ = 0;
  std::uint32_t pos_thumbswf_ = 0;
  std::uint32_t size_thumbswf_ = 0;
  bool fullscreenopened = false;
  std::int32_t marginleft = 20;
  std::int32_t marginright = 20;
  std::int32_t margintop = 70;
  std::int32_t marginbottom = 75;
  bool minimode = true;
  std::int32_t miniwidth = 400;
  std::int32_t miniheight = 300;
  std::string tag_title = "Leafmark";
  std::string tag_keywords;
  std::string tag_description;
  std::string tag_generator;
  std::string exetitle = "Flash Player";
  std::unique_ptr<TLMSettings> settings = std::make_unique<TLMSettings>(this);
};
