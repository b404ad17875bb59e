#include "model/settings/LMProjects.h"

#include "platform/Xml.h"
#include "util/ZanUtils.h"

// Each table lists the class's own properties in the order the authoring side writes them.

// --- TLMText ----------------------------------------------------------------------------------

TLMText::TLMText(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMText::StaticClassInfo() {
  using Self = TLMText;
  static const TLMClassInfo info("TLMText", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(WideString, value, "bookstub.example"),
                                     LM_PROPERTY(Cardinal, color, 0xFFFFFF),
                                     LM_PROPERTY(Integer, size, 12),
                                     LM_PROPERTY(WideString, font, "Tahoma"),
                                     LM_PROPERTY(Boolean, bold, false),
                                     LM_PROPERTY(Boolean, italic, false),
                                     LM_PROPERTY(Boolean, underline, false),
                                     LM_PROPERTY(String, url, "https://bookstub.example/"),
                                 });
  return info;
}

// --- TLMPagination ----------------------------------------------------------------------------

TLMPagination::TLMPagination(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMPagination::StaticClassInfo() {
  using Self = TLMPagination;
  static const TLMClassInfo info("TLMPagination", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Boolean, usepagination, true),
                                     LM_PROPERTY(Cardinal, color, 0xFFFFFF),
                                     LM_PROPERTY(Integer, size, 12),
                                     LM_PROPERTY(String, font, "Tahoma"),
                                     LM_PROPERTY(Boolean, bold, false),
                                     LM_PROPERTY(Boolean, italic, false),
                                     LM_PROPERTY(Boolean, underline, false),
                                 });
  return info;
}

// --- TLMNavBar --------------------------------------------------------------------------------

TLMNavBar::TLMNavBar(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMNavBar::StaticClassInfo() {
  using Self = TLMNavBar;
  static const TLMClassInfo info("TLMNavBar", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Boolean, usetop, true),
                                     LM_PROPERTY(Boolean, usebottom, true),
                                     LM_PROPERTY(Boolean, usefile, true),
                                     // The default is held in platform order, as the viewer
                                     // side expects it.
                                     LM_PROPERTY(Cardinal, color, SwapRedBlue(0x333333)),
                                     LM_PROPERTY(WideString, name, ""),
                                     LM_PROPERTY(WideString, topfile, ""),
                                     LM_PROPERTY(WideString, bottomfile, ""),
                                     LM_PROPERTY(Integer, height, 45),
                                     LM_PROPERTY(String, scale9grid, "15,1,85,34"),
                                     LM_PROPERTY(Boolean, backgroundrepeat, false),
                                     LM_PROPERTY(Integer, alpha, 100),
                                     LM_PROPERTY(String, anchors_top, "0,0,pw"),
                                     LM_PROPERTY(String, anchors_bottom, "0,ph-h,pw"),
                                     LM_PROPERTY(Integer, left, 0),
                                     LM_PROPERTY(Integer, right, 0),
                                     LM_PROPERTY(Integer, pos_, 0),
                                     LM_PROPERTY(Cardinal, size_, 0),
                                 });
  return info;
}

// --- TLMBasicBg / TLMBackground ---------------------------------------------------------------

TLMBasicBg::TLMBasicBg(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMBasicBg::StaticClassInfo() {
  using Self = TLMBasicBg;
  static const TLMClassInfo info("TLMBasicBg", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Boolean, usefile, false),
                                     LM_PROPERTY(Boolean, usegradient, false),
                                     LM_PROPERTY(String, gradienttype, "radial"),
                                     LM_PROPERTY(Cardinal, color, 0),
                                     LM_PROPERTY(Cardinal, color2, 0x999999),
                                     LM_PROPERTY(WideString, filename, ""),
                                     LM_PROPERTY(WideString, filenamesrc, ""),
                                     LM_PROPERTY(Boolean, backgroundrepeat, false),
                                     LM_PROPERTY(String, scale9grid, ""),
                                     LM_PROPERTY(String, filltype, ""),
                                     LM_PROPERTY(Integer, width, 0),
                                     LM_PROPERTY(Integer, height, 0),
                                     LM_PROPERTY(Double, alpha, 1.0),
                                     LM_PROPERTY(String, anchors, ""),
                                     LM_PROPERTY(Integer, pos_, 0),
                                     LM_PROPERTY(Cardinal, size_, 0),
                                 });
  return info;
}

TLMBackground::TLMBackground(const void* owner) : TLMBasicBg(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMBackground::StaticClassInfo() {
  static const TLMClassInfo info("TLMBackground", &TLMBasicBg::StaticClassInfo(),
                                 &lm_detail::Create<TLMBackground>, {});
  return info;
}

// --- TLMButtons -------------------------------------------------------------------------------

TLMButtons::TLMButtons(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMButtons::StaticClassInfo() {
  using Self = TLMButtons;
  static const TLMClassInfo info(
      "TLMButtons", &TLMBasicProject::StaticClassInfo(), &lm_detail::Create<Self>,
      {
          LM_PROPERTY(WideString, name, ""),        LM_PROPERTY(Integer, margin_lt_x, 5),
          LM_PROPERTY(Integer, margin_lt_y, 8),     LM_PROPERTY(Integer, margin_lb_x, 5),
          LM_PROPERTY(Integer, margin_lb_y, 8),     LM_PROPERTY(Integer, margin_rt_x, 5),
          LM_PROPERTY(Integer, margin_rb_x, 5),     LM_PROPERTY(Boolean, firstpage, true),
          LM_PROPERTY(Boolean, previous, true),     LM_PROPERTY(Boolean, play, true),
          LM_PROPERTY(Boolean, thumbnail, true),    LM_PROPERTY(Boolean, fullscreen, true),
          LM_PROPERTY(Boolean, music, true),        LM_PROPERTY(Boolean, print, true),
          LM_PROPERTY(Boolean, toc, true),          LM_PROPERTY(Boolean, zoomin, true),
          LM_PROPERTY(Boolean, zoombar, true),      LM_PROPERTY(Boolean, share, true),
          LM_PROPERTY(Boolean, download, false),    LM_PROPERTY(Boolean, bookmarks, true),
          LM_PROPERTY(Boolean, email, true),        LM_PROPERTY(Boolean, search, false),
          LM_PROPERTY(Boolean, searchbox, true),    LM_PROPERTY(Boolean, usekey, true),
          LM_PROPERTY(Integer, keyfullscreen, 122),  // F11
          LM_PROPERTY(Integer, keyprevpage, 37),     // left arrow
          LM_PROPERTY(Integer, keynextpage, 39),     // right arrow
          LM_PROPERTY(Integer, keyfirstpage, 36),    // Home
          LM_PROPERTY(Integer, keylastpage, 35),     // End
          LM_PROPERTY(Integer, keyzoomin, 38),       // up arrow
          LM_PROPERTY(Integer, keyzoomout, 40),      // down arrow
          LM_PROPERTY(Cardinal, pos_, 0),           LM_PROPERTY(Cardinal, size_, 0),
      });
  return info;
}

// --- TLMLogo, TLMToc, TLMPreloader, TLMSettings ----------------------------------------------

TLMLogo::TLMLogo(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMLogo::StaticClassInfo() {
  using Self = TLMLogo;
  static const TLMClassInfo info("TLMLogo", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Boolean, usefile, false),
                                     LM_PROPERTY(WideString, filename, ""),
                                     LM_PROPERTY(String, position, "logo_left_bottom"),
                                     LM_PROPERTY(Integer, width, 0),
                                     LM_PROPERTY(Integer, height, 0),
                                     LM_PROPERTY(String, url, ""),
                                     LM_PROPERTY(Cardinal, pos_, 0),
                                     LM_PROPERTY(Cardinal, size_, 0),
                                 });
  return info;
}

TLMToc::TLMToc(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMToc::StaticClassInfo() {
  using Self = TLMToc;
  static const TLMClassInfo info("TLMToc", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(WideString, filename, ""),
                                     LM_PROPERTY(Cardinal, pos_, 0),
                                     LM_PROPERTY(Cardinal, size_, 0),
                                 });
  return info;
}

TLMPreloader::TLMPreloader(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMPreloader::StaticClassInfo() {
  using Self = TLMPreloader;
  static const TLMClassInfo info("TLMPreloader", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(WideString, filename, ""),
                                     LM_PROPERTY(Cardinal, pos_, 0),
                                     LM_PROPERTY(Cardinal, size_, 0),
                                 });
  return info;
}

TLMSettings::TLMSettings(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

const TLMClassInfo& TLMSettings::StaticClassInfo() {
  using Self = TLMSettings;
  static const TLMClassInfo info("TLMSettings", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Boolean, genmobile, true),
                                     LM_PROPERTY(Boolean, genthumbnail, false),
                                     LM_PROPERTY(Boolean, extractpdflink, true),
                                     LM_PROPERTY(Boolean, extracttoc, true),
                                 });
  return info;
}

// --- TLMProject -------------------------------------------------------------------------------

TLMProject::TLMProject(const void* owner) : TLMBasicProject(owner) {
  InitialiseOwnProperties(StaticClassInfo());
}

void TLMProject::LoadFromStream(std::string_view xmlBytes) {
  platform::XmlDocument document;
  document.LoadFromBytes(xmlBytes);
  LoadFromNode(document.DocumentElement());
}

const TLMClassInfo& TLMProject::StaticClassInfo() {
  using Self = TLMProject;
  static const TLMClassInfo info("TLMProject", &TLMBasicProject::StaticClassInfo(),
                                 &lm_detail::Create<Self>,
                                 {
                                     LM_PROPERTY(Integer, booksizetype, 1),
                                     LM_PROPERTY(Integer, swfwd, 900),
                                     LM_PROPERTY(Integer, swfht, 600),
                                     LM_PROPERTY(WideString, templatename, ""),
                                     LM_PROPERTY(WideString, videoskin, "01"),
                                     LM_PROPERTY(Int64, videoskincolor, 0xCC333333),
                                     LM_PROPERTY(Integer, pagewidth, 0),
                                     LM_PROPERTY(Integer, pageheight, 0),
                                     LM_OBJECT(title),
                                     LM_OBJECT(pagination),
                                     LM_PROPERTY(Boolean, right2left, false),
                                     LM_PROPERTY(Boolean, hardcover, false),
                                     LM_PROPERTY(Boolean, hardpage, false),
                                     LM_PROPERTY(Double, pagethickness, 0.2),
                                     LM_PROPERTY(Double, spinecurvature, -0.5),
                                     LM_PROPERTY(Cardinal, spinecolor, 0xCCCCCC),
                                     LM_PROPERTY(String, gaaccount, ""),
                                     LM_PROPERTY(Boolean, landscape, false),
                                     LM_PROPERTY(Boolean, canclose, true),
                                     LM_PROPERTY(Boolean, centercovor, true),
                                     LM_OBJECT(navbar),
                                     LM_OBJECT(navbtn),
                                     LM_OBJECT(background),
                                     LM_PROPERTY(Boolean, usepassword, false),
                                     LM_PROPERTY(String, password, ""),
                                     LM_PROPERTY(Integer, pwstart, 1),
                                     LM_PROPERTY(Double, dragspeed, 0.5),
                                     LM_PROPERTY(String, dragarea, "top,middle,bottom"),
                                     LM_PROPERTY(String, dragrange, "auto"),
                                     LM_PROPERTY(Double, slidedelay, 3.0),
                                     LM_PROPERTY(Boolean, sliderepeat, false),
                                     LM_PROPERTY(Boolean, slidestart, false),
                                     LM_PROPERTY(Boolean, handcursor, true),
                                     LM_PROPERTY(String, layoutfile, ""),
                                     LM_OBJECT(preloader),
                                     LM_OBJECT(logo),
                                     LM_OBJECT(toc),
                                     LM_PROPERTY(Boolean, bgsound, true),
                                     LM_PROPERTY(Boolean, pagesound, true),
                                     LM_PROPERTY(Integer, maxloaded, 30),
                                     LM_PROPERTY(Boolean, cornerhint, true),
                                     LM_PROPERTY(Boolean, reflection, false),
                                     LM_PROPERTY(Double, reflectionalpha, 0.25),
                                     LM_PROPERTY(Boolean, reflectionfade, false),
                                     LM_PROPERTY(Integer, reflectionoffset, 0),
                                     LM_PROPERTY(String, zoomsnap, "1,3,5"),
                                     LM_PROPERTY(Double, zoomminscale, 0.1),
                                     LM_PROPERTY(Boolean, zoomdoubleclick, false),
                                     LM_PROPERTY(Boolean, useminfixzoom, true),
                                     LM_PROPERTY(Cardinal, pos_bookinfo_, 0),
                                     LM_PROPERTY(Cardinal, size_bookinfo_, 0),
                                     LM_PROPERTY(Cardinal, pos_mag_, 0),
                                     LM_PROPERTY(Cardinal, size_mag_, 0),
                                     LM_PROPERTY(Cardinal, pos_toolbar_, 0),
                                     LM_PROPERTY(Cardinal, size_toolbar_, 0),
                                     LM_PROPERTY(Cardinal, pos_input_, 0),
                                     LM_PROPERTY(Cardinal, size_input_, 0),
                                     LM_PROPERTY(Cardinal, pos_vs_, 0),
                                     LM_PROPERTY(Cardinal, size_vs_, 0),
                                     LM_PROPERTY(Cardinal, pos_thumbswf_, 0),
                                     LM_PROPERTY(Cardinal, size_thumbswf_, 0),
                                     LM_PROPERTY(Boolean, fullscreenopened, false),
                                     LM_PROPERTY(Integer, marginleft, 20),
                                     LM_PROPERTY(Integer, marginright, 20),
                                     LM_PROPERTY(Integer, margintop, 70),
                                     LM_PROPERTY(Integer, marginbottom, 75),
                                     LM_PROPERTY(Boolean, minimode, true),
                                     LM_PROPERTY(Integer, miniwidth, 400),
                                     LM_PROPERTY(Integer, miniheight, 300),
                                     LM_PROPERTY(WideString, tag_title, "Leafmark"),
                                     LM_PROPERTY(WideString, tag_keywords, ""),
                                     LM_PROPERTY(WideString, tag_description, ""),
                                     LM_PROPERTY(WideString, tag_generator, ""),
                                     LM_PROPERTY(WideString, exetitle, "Flash Player"),
                                     LM_OBJECT(settings),
                                 });
  return info;
}
