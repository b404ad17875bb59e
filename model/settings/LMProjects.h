#pragma once
// The project settings document: TLMProject (document element `project`) and the settings
// objects nested in it. Every property is a public data member named exactly like its XML
// element; the property tables in LMProjects.cpp give kinds and defaults.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/settings/LMBaiscProject.h"

// Element `title`: the title text of the toolbar.
class TLMText : public TLMBasicProject {
 public:
  explicit TLMText(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string value;
  std::uint32_t color = 0;
  std::int32_t size = 0;
  std::string font;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::string url;
};

// Element `pagination`: style of the page-number text.
class TLMPagination : public TLMBasicProject {
 public:
  explicit TLMPagination(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool usepagination = false;
  std::uint32_t color = 0;
  std::int32_t size = 0;
  std::string font;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// Element `navbar`: the toolbar bar artwork and its placement. `pos_`/`size_` address the
// bar's resource group in the package.
class TLMNavBar : public TLMBasicProject {
 public:
  explicit TLMNavBar(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool usetop = false;
  bool usebottom = false;
  bool usefile = false;
  std::uint32_t color = 0;  // BBGGRR once constructed
  std::string name;
  std::string topfile;
  std::string bottomfile;
  std::int32_t height = 0;
  std::string scale9grid;
  bool backgroundrepeat = false;
  std::int32_t alpha = 0;  // percent
  std::string anchors_top;
  std::string anchors_bottom;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// The stage background (no element of its own; see TLMBackground).
class TLMBasicBg : public TLMBasicProject {
 public:
  explicit TLMBasicBg(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool usefile = false;
  bool usegradient = false;
  std::string gradienttype;
  std::uint32_t color = 0;
  std::uint32_t color2 = 0;
  std::string filename;  // rewritten by the package splitting to the written file
  std::string filenamesrc;
  bool backgroundrepeat = false;
  std::string scale9grid;
  std::string filltype;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double alpha = 0;  // 0 to 1
  std::string anchors;
  std::int32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `background`.
class TLMBackground : public TLMBasicBg {
 public:
  explicit TLMBackground(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// Element `navbtn`: toolbar buttons, margins and keys (Windows virtual-key codes).
class TLMButtons : public TLMBasicProject {
 public:
  explicit TLMButtons(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string name;
  std::int32_t margin_lt_x = 0;
  std::int32_t margin_lt_y = 0;
  std::int32_t margin_lb_x = 0;
  std::int32_t margin_lb_y = 0;
  std::int32_t margin_rt_x = 0;
  std::int32_t margin_rb_x = 0;
  bool firstpage = false;
  bool previous = false;
  bool play = false;
  bool thumbnail = false;
  bool fullscreen = false;
  bool music = false;
  bool print = false;
  bool toc = false;
  bool zoomin = false;
  bool zoombar = false;
  bool share = false;
  bool download = false;  // also gates writing the download files
  bool bookmarks = false;
  bool email = false;
  bool search = false;
  bool searchbox = false;
  bool usekey = false;
  std::int32_t keyfullscreen = 0;
  std::int32_t keyprevpage = 0;
  std::int32_t keynextpage = 0;
  std::int32_t keyfirstpage = 0;
  std::int32_t keylastpage = 0;
  std::int32_t keyzoomin = 0;
  std::int32_t keyzoomout = 0;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `logo`.
class TLMLogo : public TLMBasicProject {
 public:
  explicit TLMLogo(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool usefile = false;
  std::string filename;
  std::string position;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::string url;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `toc`: the table-of-contents file.
class TLMToc : public TLMBasicProject {
 public:
  explicit TLMToc(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string filename;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `preloader`: the start movie.
class TLMPreloader : public TLMBasicProject {
 public:
  explicit TLMPreloader(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string filename;
  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
};

// Element `settings`: options of the authoring side's generation step.
class TLMSettings : public TLMBasicProject {
 public:
  explicit TLMSettings(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool genmobile = false;
  bool genthumbnail = false;
  bool extractpdflink = false;
  bool extracttoc = false;
};

// The project settings document. Each `pos_x_`/`size_x_` pair addresses one blob of the
// package (0 in either: the file is absent).
class TLMProject : public TLMBasicProject {
 public:
  explicit TLMProject(const void* owner = nullptr);
  static const TLMClassInfo& StaticClassInfo();
  const TLMClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Parses the whole document (encoding from its byte-order mark or declaration) and loads
  // its document element, whatever its name. Raises Error for a document that does not parse
  // and for a Boolean element that does not convert.
  void LoadFromStream(std::string_view xmlBytes);

  std::int32_t booksizetype = 0;
  std::int32_t swfwd = 0;
  std::int32_t swfht = 0;
  std::string templatename;
  std::string videoskin;
  std::int64_t videoskincolor = 0;  // never read from the document
  std::int32_t pagewidth = 0;
  std::int32_t pageheight = 0;
  std::unique_ptr<TLMText> title;
  std::unique_ptr<TLMPagination> pagination;
  bool right2left = false;
  bool hardcover = false;
  bool hardpage = false;
  double pagethickness = 0;
  double spinecurvature = 0;
  std::uint32_t spinecolor = 0;
  std::string gaaccount;
  bool landscape = false;
  bool canclose = false;
  bool centercovor = false;
  std::unique_ptr<TLMNavBar> navbar;
  std::unique_ptr<TLMButtons> navbtn;
  std::unique_ptr<TLMBackground> background;
  bool usepassword = false;
  std::string password;
  std::int32_t pwstart = 0;
  double dragspeed = 0;
  std::string dragarea;
  std::string dragrange;
  double slidedelay = 0;
  bool sliderepeat = false;
  bool slidestart = false;
  bool handcursor = false;
  std::string layoutfile;
  std::unique_ptr<TLMPreloader> preloader;
  std::unique_ptr<TLMLogo> logo;
  std::unique_ptr<TLMToc> toc;
  bool bgsound = false;
  bool pagesound = false;
  std::int32_t maxloaded = 0;
  bool cornerhint = false;
  bool reflection = false;
  double reflectionalpha = 0;
  bool reflectionfade = false;
  std::int32_t reflectionoffset = 0;
  std::string zoomsnap;
  double zoomminscale = 0;
  bool zoomdoubleclick = false;
  bool useminfixzoom = false;
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
  std::int32_t marginleft = 0;
  std::int32_t marginright = 0;
  std::int32_t margintop = 0;
  std::int32_t marginbottom = 0;
  bool minimode = false;
  std::int32_t miniwidth = 0;
  std::int32_t miniheight = 0;
  std::string tag_title;
  std::string tag_keywords;
  std::string tag_description;
  std::string tag_generator;
  std::string exetitle;
  std::unique_ptr<TLMSettings> settings;
};
