#include "model/book/MProjects.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <random>

#include "platform/Os.h"
#include "platform/Xml.h"
#include "util/Error.h"

namespace {

// Bookmark colours: a full-period Lehmer generator over 1 .. 2^31-2, seeded once per process,
// so no colour is drawn twice in a run.
std::uint32_t NextBookmarkColor() {
  static std::mutex mutex;
  static std::minstd_rand engine(std::random_device{}());
  std::lock_guard lock(mutex);
  return static_cast<std::uint32_t>(engine());
}

const TSaveSkipList& BoxSaveSkips() {
  static const TSaveSkipList skips = {
      {"width", "0"},     {"height", "0"}, {"backgroundrepeat", "false"},
      {"scale9grid", ""}, {"alpha", "1"},
  };
  return skips;
}

}  // namespace

const TClassInfo& TMURL::StaticClassInfo() {
  static const auto info = TPropTableBuilder<TMURL>("TMURL", &TMBasicObject::StaticClassInfo())
                               .Prop("src", &TMURL::src, "")
                               .Build();
  return *info;
}

TMURL::TMURL(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMLink::StaticClassInfo() {
  using C = TMLink;
  static const auto info = TPropTableBuilder<C>("TMLink", &TMBasicObject::StaticClassInfo())
                               .Prop("x", &C::x, 0)
                               .Prop("y", &C::y, 0)
                               .Prop("width", &C::width, 0)
                               .Prop("height", &C::height, 0)
                               .Prop("urls", &C::urls)
                               .Prop("page", &C::page, "")
                               .Build();
  return *info;
}

TMLink::TMLink(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMPage::StaticClassInfo() {
  using C = TMPage;
  static const auto info = TPropTableBuilder<C>("TMPage", &TMBasicObject::StaticClassInfo())
                               .Accessor<bool>("isSimplePage", TPropKind::Boolean, &C::isSimplePage,
                                               &C::SetIsSimplePage, false)
                               .Prop("bgcolor", &C::bgcolor, 4291611852)
                               .Prop("foldfx", &C::foldfx, 0.5)
                               .Prop("shadows", &C::shadows, 0.5)
                               .Prop("stiff", &C::stiff, false)
                               .Prop("turningenabled", &C::turningenabled, true)
                               .Prop("print", &C::print, "")
                               .Prop("searchtxt", &C::searchtxt, "")
                               .Prop("download", &C::download, "")
                               .Prop("elem", &C::elem)
                               .Prop("pos_print_", &C::pos_print_, 0)
                               .Prop("size_print_", &C::size_print_, 0)
                               .Prop("pos_search_", &C::pos_search_, 0)
                               .Prop("size_search_", &C::size_search_, 0)
                               .Prop("pos_download_", &C::pos_download_, 0)
                               .Prop("size_download_", &C::size_download_, 0)
                               .Wide("mobilefile1", &C::mobilefile1, "")
                               .Wide("mobilefile2", &C::mobilefile2, "")
                               .Prop("pos_mobilefile2", &C::pos_mobilefile2, 0)
                               .Prop("size_mobilefile2", &C::size_mobilefile2, 0)
                               .Wide("pagethumb", &C::pagethumb, "")
                               .Wide("photoviewthumb", &C::photoviewthumb, "")
                               .Prop("links", &C::links)
                               .SavedUnderElementName()
                               .Build();
  return *info;
}

TMPage::TMPage(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

void TMPage::SetIsSimplePage(bool value) {
  FIsSimplePage = value;
  SetElementName(value ? "spreadpage" : "page");
}

void TMPages::MovePages(const std::vector<std::string>& indexes, int target) {
  CheckIndex(target, Count() + 1);
  std::vector<int> moved;
  for (const std::string& text : indexes) {
    // Decimal digits only: no blanks, no hexadecimal forms.
    std::int32_t index = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), index, 10);
    if (ec != std::errc() || end != text.data() + text.size())
      throw Error("'" + text + "' is not a valid integer value");
    CheckIndex(index, Count());
    moved.push_back(index);
  }
  // In ascending order, each page once.
  std::sort(moved.begin(), moved.end());
  moved.erase(std::unique(moved.begin(), moved.end()), moved.end());

  std::vector<std::unique_ptr<TMBasicObject>> copies;
  for (int index : moved) {
    copies.push_back(Items(index).ClassInfo().NewInstance(this));
    copies.back()->Assign(Items(index));
  }
  for (std::size_t i = 0; i < copies.size(); ++i)
    Insert(target + static_cast<int>(i), std::move(copies[i]));

  // The originals, shifted past the inserted copies, go from the back so that deleting one
  // does not move the next.
  const int count = static_cast<int>(moved.size());
  for (auto index = moved.rbegin(); index != moved.rend(); ++index)
    Delete(*index >= target ? *index + count : *index);
}

const TClassInfo& TMChapter::StaticClassInfo() {
  using C = TMChapter;
  static const auto info = TPropTableBuilder<C>("TMChapter", &TMBasicObject::StaticClassInfo())
                               .Prop("Pages", &C::Pages)
                               .Wide("bgsound", &C::bgsound, "")
                               .Prop("fade", &C::fade, 1000)
                               .Prop("bgcolor", &C::bgcolor, 4291611852)
                               .Prop("pos_", &C::pos_, 0)
                               .Prop("size_", &C::size_, 0)
                               .Build();
  return *info;
}

TMChapter::TMChapter(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMBookmark::StaticClassInfo() {
  using C = TMBookmark;
  static const auto info = TPropTableBuilder<C>("TMBookmark", &TMBasicObject::StaticClassInfo())
                               .Wide("title", &C::title, "")
                               .Prop("page", &C::page, 1)
                               .Generated("color", &C::color, &NextBookmarkColor)
                               .Build();
  return *info;
}

TMBookmark::TMBookmark(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMBox::StaticClassInfo() {
  using C = TMBox;
  static const auto info = TPropTableBuilder<C>("TMBox", &TMBasicObject::StaticClassInfo())
                               .Prop("anchors", &C::anchors, "0, 0, pw, ph")
                               .Prop("width", &C::width, 0)
                               .Prop("height", &C::height, 0)
                               .Prop("background", &C::background, "")
                               .Prop("backgroundrepeat", &C::backgroundrepeat, false)
                               .Prop("scale9grid", &C::scale9grid, "")
                               .Prop("alpha", &C::alpha, 1)
                               .Prop("pos", &C::pos, 0)
                               .SaveSkips(BoxSaveSkips())
                               .Build();
  return *info;
}

TMBox::TMBox(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMBackground::StaticClassInfo() {
  static const auto info =
      TPropTableBuilder<TMBackground>("TMBackground", &TMBasicObject::StaticClassInfo())
          .Prop("box", &TMBackground::box)
          .Build();
  return *info;
}

TMBackground::TMBackground(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMBook::StaticClassInfo() {
  using C = TMBook;
  static const auto info = TPropTableBuilder<C>("TMBook", &TMBasicObject::StaticClassInfo())
                               .Prop("version", &C::version, "")
                               .Prop("title", &C::title, "")
                               .Generated("uid", &C::uid, &platform::NewGuid)
                               .Prop("asulextension", &C::asulextension, "swf")
                               .Prop("bgcolor", &C::bgcolor, 13421772)
                               .Prop("foldfx", &C::foldfx, 0.5)
                               .Prop("plugins", &C::plugins, "")
                               .Prop("guipath", &C::guipath, "res/other/")
                               .Prop("flagpath", &C::flagpath, "res/flags/")
                               .Prop("ignoresyslang", &C::ignoresyslang, false)
                               .Prop("gaaccount", &C::gaaccount, "")
                               .Prop("lang", &C::lang, "")
                               .Prop("handcursor", &C::handcursor, true)
                               .Prop("ltr", &C::ltr, true)
                               .Prop("pagethickness", &C::pagethickness, 0.3)
                               .Prop("pagesounds", &C::pagesounds, true)
                               .Prop("pagewidth", &C::pagewidth, 0)
                               .Prop("pageheight", &C::pageheight, 0)
                               .Prop("reflection", &C::reflection, false)
                               .Prop("reflectionalpha", &C::reflectionalpha, 0.25)
                               .Prop("reflectionfade", &C::reflectionfade, false)
                               .Prop("reflectionoffset", &C::reflectionoffset, 0)
                               .Prop("minimode", &C::minimode, false)
                               .Prop("miniwidth", &C::miniwidth, 400)
                               .Prop("miniheight", &C::miniheight, 300)
                               .Prop("marginleft", &C::marginleft, 20)
                               .Prop("marginright", &C::marginright, 20)
                               .Prop("margintop", &C::margintop, 70)
                               .Prop("marginbottom", &C::marginbottom, 75)
                               .Prop("rotate", &C::rotate, 0)
                               .Prop("startpage", &C::startpage, 1)
                               .Prop("slidedelay", &C::slidedelay, 3.0)
                               .Prop("sliderepeat", &C::sliderepeat, false)
                               .Prop("slidestart", &C::slidestart, false)
                               .Prop("centercovers", &C::centercovers, true)
                               .Prop("cornerhint", &C::cornerhint, false)
                               .Prop("pluginpath", &C::pluginpath, "plugins/")
                               .Prop("dragspeed", &C::dragspeed, 0.5)
                               .Prop("dragarea", &C::dragarea, "top,middle,bottom")
                               .Prop("dragrange", &C::dragrange, "auto")
                               .Prop("zoominit", &C::zoominit, 0.5)
                               .Prop("zoomminscale", &C::zoomminscale, 0.1)
                               .Prop("zoommaxscale", &C::zoommaxscale, 5.0)
                               .Prop("zoomliquidscaling", &C::zoomliquidscaling, true)
                               .Prop("zoomsteps", &C::zoomsteps, 1)
                               .Prop("zoomsnap", &C::zoomsnap, "1,2,3,5")
                               .Prop("zoomwheel", &C::zoomwheel, false)
                               .Prop("zoomdoubleclick", &C::zoomdoubleclick, false)
                               .Prop("useminfixzoom", &C::useminfixzoom, true)
                               .Prop("zoombar", &C::zoombar, true)
                               .Prop("spinecurvature", &C::spinecurvature, -0.5)
                               .Prop("spinecolor", &C::spinecolor, 13421772)
                               .Prop("maxloaded", &C::maxloaded, 30)
                               .Prop("bggradient", &C::bggradient, false)
                               .Prop("password", &C::password, "")
                               .Prop("pwstart", &C::pwstart, 1)
                               .Prop("simplepage", &C::simplepage, false)
                               .Prop("searchindex", &C::searchindex, "")
                               .Prop("searchclear", &C::searchclear, false)
                               .Prop("printmaxpages", &C::printmaxpages, 30)
                               .Prop("printthumbsperpage", &C::printthumbsperpage, 30)
                               .Prop("printselectcurrent", &C::printselectcurrent, true)
                               .Prop("printstretch", &C::printstretch, true)
                               .Prop("keyfullscreen", &C::keyfullscreen, 0)
                               .Prop("keyprevpage", &C::keyprevpage, 0)
                               .Prop("keynextpage", &C::keynextpage, 0)
                               .Prop("keyfirstpage", &C::keyfirstpage, 0)
                               .Prop("keylastpage", &C::keylastpage, 0)
                               .Prop("keyzoomin", &C::keyzoomin, 0)
                               .Prop("keyzoomout", &C::keyzoomout, 0)
                               .Prop("thumbloadtext", &C::thumbloadtext, "")
                               .Wide("thumbpath", &C::thumbpath, "res/thumbnails/thumb_{{num}}.png")
                               .Prop("thumbstatic", &C::thumbstatic, true)
                               .Prop("thumbauto", &C::thumbauto, true)
                               .Prop("pagepreview", &C::pagepreview, true)
                               .Prop("thumbscale", &C::thumbscale, 0.2)
                               .Prop("alwayshowthumb", &C::alwayshowthumb, false)
                               .Prop("autoMove", &C::autoMove, false)
                               .Prop("fullscreenopened", &C::fullscreenopened, false)
                               .Prop("langpath", &C::langpath, "res/languages/")
                               .Prop("download", &C::download, "")
                               .Prop("background", &C::background)
                               .Prop("bookmarks", &C::bookmarks)
                               .Prop("Chapters", &C::Chapters)
                               .Prop("pos_search_", &C::pos_search_, 0)
                               .Prop("size_search_", &C::size_search_, 0)
                               .Prop("pos_download_", &C::pos_download_, 0)
                               .Prop("size_download_", &C::size_download_, 0)
                               .Prop("pos_langs_", &C::pos_langs_, 0)
                               .Prop("size_langs_", &C::size_langs_, 0)
                               .Prop("pos_flag_", &C::pos_flag_, 0)
                               .Prop("size_flag_", &C::size_flag_, 0)
                               .Prop("bookmarktype", &C::bookmarktype, "box")
                               .Prop("errorlevel", &C::errorlevel, "NONE")
                               .Build();
  return *info;
}

TMBook::TMBook(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

void TMBook::LoadFromStream(std::string_view xmlBytes) {
  platform::XmlDocument document;
  document.LoadFromBytes(xmlBytes);
  LoadFromXML(document.DocumentElement());
}

std::string TMBook::SaveToText() const {
  platform::XmlDocument document;
  SaveToXML(document.CreateDocumentElement("book"));
  return document.SaveToText();
}
