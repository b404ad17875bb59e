#include "model/settings/LMProjects.h"

#include "platform/Xml.h"

// Each table lists the class's own properties in the order the authoring side writes them.

const TLMClassInfo& TLMText::StaticClassInfo() {
  using C = TLMText;
  static const auto& info = Table("TLMText")
                               .Wide("value", &C::value)
                               .Prop("color", &C::color)
                               .Prop("size", &C::size)
                               .Wide("font", &C::font)
                               .Prop("bold", &C::bold)
                               .Prop("italic", &C::italic)
                               .Prop("underline", &C::underline)
                               .Prop("url", &C::url)
                               .Build();
  return info;
}

const TLMClassInfo& TLMPagination::StaticClassInfo() {
  using C = TLMPagination;
  static const auto& info = Table("TLMPagination")
                               .Prop("usepagination", &C::usepagination)
                               .Prop("color", &C::color)
                               .Prop("size", &C::size)
                               .Prop("font", &C::font)
                               .Prop("bold", &C::bold)
                               .Prop("italic", &C::italic)
                               .Prop("underline", &C::underline)
                               .Build();
  return info;
}

const TLMClassInfo& TLMNavBar::StaticClassInfo() {
  using C = TLMNavBar;
  static const auto& info = Table("TLMNavBar")
                               .Prop("usetop", &C::usetop)
                               .Prop("usebottom", &C::usebottom)
                               .Prop("usefile", &C::usefile)
                               .Prop("color", &C::color)
                               .Wide("name", &C::name)
                               .Wide("topfile", &C::topfile)
                               .Wide("bottomfile", &C::bottomfile)
                               .Prop("height", &C::height)
                               .Prop("scale9grid", &C::scale9grid)
                               .Prop("backgroundrepeat", &C::backgroundrepeat)
                               .Prop("alpha", &C::alpha)
                               .Prop("anchors_top", &C::anchors_top)
                               .Prop("anchors_bottom", &C::anchors_bottom)
                               .Prop("left", &C::left)
                               .Prop("right", &C::right)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMBasicBg::StaticClassInfo() {
  using C = TLMBasicBg;
  static const auto& info = Table("TLMBasicBg")
                               .Prop("usefile", &C::usefile)
                               .Prop("usegradient", &C::usegradient)
                               .Prop("gradienttype", &C::gradienttype)
                               .Prop("color", &C::color)
                               .Prop("color2", &C::color2)
                               .Wide("filename", &C::filename)
                               .Wide("filenamesrc", &C::filenamesrc)
                               .Prop("backgroundrepeat", &C::backgroundrepeat)
                               .Prop("scale9grid", &C::scale9grid)
                               .Prop("filltype", &C::filltype)
                               .Prop("width", &C::width)
                               .Prop("height", &C::height)
                               .Prop("alpha", &C::alpha)
                               .Prop("anchors", &C::anchors)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMBackground::StaticClassInfo() {
  static const auto& info = Table("TLMBackground").Build();
  return info;
}

const TLMClassInfo& TLMButtons::StaticClassInfo() {
  using C = TLMButtons;
  static const auto& info = Table("TLMButtons")
                               .Wide("name", &C::name)
                               .Prop("margin_lt_x", &C::margin_lt_x)
                               .Prop("margin_lt_y", &C::margin_lt_y)
                               .Prop("margin_lb_x", &C::margin_lb_x)
                               .Prop("margin_lb_y", &C::margin_lb_y)
                               .Prop("margin_rt_x", &C::margin_rt_x)
                               .Prop("margin_rb_x", &C::margin_rb_x)
                               .Prop("firstpage", &C::firstpage)
                               .Prop("previous", &C::previous)
                               .Prop("play", &C::play)
                               .Prop("thumbnail", &C::thumbnail)
                               .Prop("fullscreen", &C::fullscreen)
                               .Prop("music", &C::music)
                               .Prop("print", &C::print)
                               .Prop("toc", &C::toc)
                               .Prop("zoomin", &C::zoomin)
                               .Prop("zoombar", &C::zoombar)
                               .Prop("share", &C::share)
                               .Prop("download", &C::download)
                               .Prop("bookmarks", &C::bookmarks)
                               .Prop("email", &C::email)
                               .Prop("search", &C::search)
                               .Prop("searchbox", &C::searchbox)
                               .Prop("usekey", &C::usekey)
                               .Props(kViewerKeyProps)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMLogo::StaticClassInfo() {
  using C = TLMLogo;
  static const auto& info = Table("TLMLogo")
                               .Prop("usefile", &C::usefile)
                               .Wide("filename", &C::filename)
                               .Prop("position", &C::position)
                               .Prop("width", &C::width)
                               .Prop("height", &C::height)
                               .Prop("url", &C::url)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMToc::StaticClassInfo() {
  using C = TLMToc;
  static const auto& info = Table("TLMToc")
                               .Wide("filename", &C::filename)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMPreloader::StaticClassInfo() {
  using C = TLMPreloader;
  static const auto& info = Table("TLMPreloader")
                               .Wide("filename", &C::filename)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TLMClassInfo& TLMSettings::StaticClassInfo() {
  using C = TLMSettings;
  static const auto& info = Table("TLMSettings")
                               .Prop("genmobile", &C::genmobile)
                               .Prop("genthumbnail", &C::genthumbnail)
                               .Prop("extractpdflink", &C::extractpdflink)
                               .Prop("extracttoc", &C::extracttoc)
                               .Build();
  return info;
}

void TLMProject::LoadFromStream(std::string_view xmlBytes) {
  platform::XmlDocument document;
  document.LoadFromBytes(xmlBytes);
  LoadFromXML(document.DocumentElement());
}

const TLMClassInfo& TLMProject::StaticClassInfo() {
  using C = TLMProject;
  static const auto& info = Table("TLMProject")
                               .Prop("booksizetype", &C::booksizetype)
                               .Prop("swfwd", &C::swfwd)
                               .Prop("swfht", &C::swfht)
                               .Wide("templatename", &C::templatename)
                               .Wide("videoskin", &C::videoskin)
                               .Prop("videoskincolor", &C::videoskincolor)
                               .Prop("pagewidth", &C::pagewidth)
                               .Prop("pageheight", &C::pageheight)
                               .Prop("title", &C::title)
                               .Prop("pagination", &C::pagination)
                               .Prop("right2left", &C::right2left)
                               .Prop("hardcover", &C::hardcover)
                               .Prop("hardpage", &C::hardpage)
                               .Prop("pagethickness", &C::pagethickness)
                               .Prop("spinecurvature", &C::spinecurvature)
                               .Prop("spinecolor", &C::spinecolor)
                               .Prop("gaaccount", &C::gaaccount)
                               .Prop("landscape", &C::landscape)
                               .Prop("canclose", &C::canclose)
                               .Prop("centercovor", &C::centercovor)
                               .Prop("navbar", &C::navbar)
                               .Prop("navbtn", &C::navbtn)
                               .Prop("background", &C::background)
                               .Prop("usepassword", &C::usepassword)
                               .Prop("password", &C::password)
                               .Prop("pwstart", &C::pwstart)
                               .Prop("dragspeed", &C::dragspeed)
                               .Prop("dragarea", &C::dragarea)
                               .Prop("dragrange", &C::dragrange)
                               .Prop("slidedelay", &C::slidedelay)
                               .Prop("sliderepeat", &C::sliderepeat)
                               .Prop("slidestart", &C::slidestart)
                               .Prop("handcursor", &C::handcursor)
                               .Prop("layoutfile", &C::layoutfile)
                               .Prop("preloader", &C::preloader)
                               .Prop("logo", &C::logo)
                               .Prop("toc", &C::toc)
                               .Prop("bgsound", &C::bgsound)
                               .Prop("pagesound", &C::pagesound)
                               .Prop("maxloaded", &C::maxloaded)
                               .Prop("cornerhint", &C::cornerhint)
                               .Prop("reflection", &C::reflection)
                               .Prop("reflectionalpha", &C::reflectionalpha)
                               .Prop("reflectionfade", &C::reflectionfade)
                               .Prop("reflectionoffset", &C::reflectionoffset)
                               .Prop("zoomsnap", &C::zoomsnap)
                               .Prop("zoomminscale", &C::zoomminscale)
                               .Prop("zoomdoubleclick", &C::zoomdoubleclick)
                               .Prop("useminfixzoom", &C::useminfixzoom)
                               .Prop("pos_bookinfo_", &C::pos_bookinfo_)
                               .Prop("size_bookinfo_", &C::size_bookinfo_)
                               .Prop("pos_mag_", &C::pos_mag_)
                               .Prop("size_mag_", &C::size_mag_)
                               .Prop("pos_toolbar_", &C::pos_toolbar_)
                               .Prop("size_toolbar_", &C::size_toolbar_)
                               .Prop("pos_input_", &C::pos_input_)
                               .Prop("size_input_", &C::size_input_)
                               .Prop("pos_vs_", &C::pos_vs_)
                               .Prop("size_vs_", &C::size_vs_)
                               .Prop("pos_thumbswf_", &C::pos_thumbswf_)
                               .Prop("size_thumbswf_", &C::size_thumbswf_)
                               .Prop("fullscreenopened", &C::fullscreenopened)
                               .Prop("marginleft", &C::marginleft)
                               .Prop("marginright", &C::marginright)
                               .Prop("margintop", &C::margintop)
                               .Prop("marginbottom", &C::marginbottom)
                               .Prop("minimode", &C::minimode)
                               .Prop("miniwidth", &C::miniwidth)
                               .Prop("miniheight", &C::miniheight)
                               .Wide("tag_title", &C::tag_title)
                               .Wide("tag_keywords", &C::tag_keywords)
                               .Wide("tag_description", &C::tag_description)
                               .Wide("tag_generator", &C::tag_generator)
                               .Wide("exetitle", &C::exetitle)
                               .Prop("settings", &C::settings)
                               .Build();
  return info;
}
