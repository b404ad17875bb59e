#include "model/book/MProjects.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <random>

#include "platform/Xml.h"
#include "util/Error.h"

// A full-period Lehmer generator over 1 .. 2^31-2, seeded once per process, so no colour is
// drawn twice in a run.
std::uint32_t NextBookmarkColor() {
  static std::mutex mutex;
  static std::minstd_rand engine(std::random_device{}());
  std::lock_guard lock(mutex);
  return static_cast<std::uint32_t>(engine());
}

namespace {

const TSaveSkipList& BoxSaveSkips() {
  static const TSaveSkipList skips = {
      {"width", "0"},     {"height", "0"}, {"backgroundrepeat", "false"},
      {"scale9grid", ""}, {"alpha", "1"},
  };
  return skips;
}

}  // namespace

const TClassInfo& TMURL::StaticClassInfo() {
  static const auto& info = Table("TMURL").Prop("src", &TMURL::src).Build();
  return info;
}

const TClassInfo& TMLink::StaticClassInfo() {
  using C = TMLink;
  static const auto& info = Table("TMLink")
                               .Prop("x", &C::x)
                               .Prop("y", &C::y)
                               .Prop("width", &C::width)
                               .Prop("height", &C::height)
                               .Prop("urls", &C::urls)
                               .Prop("page", &C::page)
                               .Build();
  return info;
}

const TClassInfo& TMPage::StaticClassInfo() {
  using C = TMPage;
  static const auto& info =
      Table("TMPage")
          .Accessor<bool>("isSimplePage", TPropKind::Boolean, &C::isSimplePage, &C::SetIsSimplePage)
          .Prop("bgcolor", &C::bgcolor)
          .Prop("foldfx", &C::foldfx)
          .Prop("shadows", &C::shadows)
          .Prop("stiff", &C::stiff)
          .Prop("turningenabled", &C::turningenabled)
          .Prop("print", &C::print)
          .Prop("searchtxt", &C::searchtxt)
          .Prop("download", &C::download)
          .Prop("elem", &C::elem)
          .Prop("pos_print_", &C::pos_print_)
          .Prop("size_print_", &C::size_print_)
          .Prop("pos_search_", &C::pos_search_)
          .Prop("size_search_", &C::size_search_)
          .Prop("pos_download_", &C::pos_download_)
          .Prop("size_download_", &C::size_download_)
          .Wide("mobilefile1", &C::mobilefile1)
          .Wide("mobilefile2", &C::mobilefile2)
          .Prop("pos_mobilefile2", &C::pos_mobilefile2)
          .Prop("size_mobilefile2", &C::size_mobilefile2)
          .Wide("pagethumb", &C::pagethumb)
          .Wide("photoviewthumb", &C::photoviewthumb)
          .Prop("links", &C::links)
          .SavedUnderElementName()
          .Build();
  return info;
}

void TMPage::SetIsSimplePage(bool value) {
  isSimplePage_ = value;
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
  static const auto& info = Table("TMChapter")
                               .Prop("Pages", &C::Pages)
                               .Wide("bgsound", &C::bgsound)
                               .Prop("fade", &C::fade)
                               .Prop("bgcolor", &C::bgcolor)
                               .Prop("pos_", &C::pos_)
                               .Prop("size_", &C::size_)
                               .Build();
  return info;
}

const TClassInfo& TMBookmark::StaticClassInfo() {
  using C = TMBookmark;
  static const auto& info = Table("TMBookmark")
                               .Wide("title", &C::title)
                               .Prop("page", &C::page)
                               .Prop("color", &C::color)
                               .Build();
  return info;
}

const TClassInfo& TMBox::StaticClassInfo() {
  using C = TMBox;
  static const auto& info = Table("TMBox")
                               .Prop("anchors", &C::anchors)
                               .Prop("width", &C::width)
                               .Prop("height", &C::height)
                               .Prop("background", &C::background)
                               .Prop("backgroundrepeat", &C::backgroundrepeat)
                               .Prop("scale9grid", &C::scale9grid)
                               .Prop("alpha", &C::alpha)
                               .Prop("pos", &C::pos)
                               .SaveSkips(BoxSaveSkips())
                               .Build();
  return info;
}

const TClassInfo& TMBackground::StaticClassInfo() {
  static const auto& info = Table("TMBackground").Prop("box", &TMBackground::box).Build();
  return info;
}

const TClassInfo& TMBook::StaticClassInfo() {
  using C = TMBook;
  static const auto& info = Table("TMBook")
                               .Prop("version", &C::version)
                               .Prop("title", &C::title)
                               .Prop("uid", &C::uid)
                               .Prop("asulextension", &C::asulextension)
                               .Prop("bgcolor", &C::bgcolor)
                               .Prop("foldfx", &C::foldfx)
                               .Prop("plugins", &C::plugins)
                               .Prop("guipath", &C::guipath)
                               .Prop("flagpath", &C::flagpath)
                               .Prop("ignoresyslang", &C::ignoresyslang)
                               .Prop("gaaccount", &C::gaaccount)
                               .Prop("lang", &C::lang)
                               .Prop("handcursor", &C::handcursor)
                               .Prop("ltr", &C::ltr)
                               .Prop("pagethickness", &C::pagethickness)
                               .Prop("pagesounds", &C::pagesounds)
                               .Prop("pagewidth", &C::pagewidth)
                               .Prop("pageheight", &C::pageheight)
                               .Prop("reflection", &C::reflection)
                               .Prop("reflectionalpha", &C::reflectionalpha)
                               .Prop("reflectionfade", &C::reflectionfade)
                               .Prop("reflectionoffset", &C::reflectionoffset)
                               .Prop("minimode", &C::minimode)
                               .Prop("miniwidth", &C::miniwidth)
                               .Prop("miniheight", &C::miniheight)
                               .Prop("marginleft", &C::marginleft)
                               .Prop("marginright", &C::marginright)
                               .Prop("margintop", &C::margintop)
                               .Prop("marginbottom", &C::marginbottom)
                               .Prop("rotate", &C::rotate)
                               .Prop("startpage", &C::startpage)
                               .Prop("slidedelay", &C::slidedelay)
                               .Prop("sliderepeat", &C::sliderepeat)
                               .Prop("slidestart", &C::slidestart)
                               .Prop("centercovers", &C::centercovers)
                               .Prop("cornerhint", &C::cornerhint)
                               .Prop("pluginpath", &C::pluginpath)
                               .Prop("dragspeed", &C::dragspeed)
                               .Prop("dragarea", &C::dragarea)
                               .Prop("dragrange", &C::dragrange)
                               .Prop("zoominit", &C::zoominit)
                               .Prop("zoomminscale", &C::zoomminscale)
                               .Prop("zoommaxscale", &C::zoommaxscale)
                               .Prop("zoomliquidscaling", &C::zoomliquidscaling)
                               .Prop("zoomsteps", &C::zoomsteps)
                               .Prop("zoomsnap", &C::zoomsnap)
                               .Prop("zoomwheel", &C::zoomwheel)
                               .Prop("zoomdoubleclick", &C::zoomdoubleclick)
                               .Prop("useminfixzoom", &C::useminfixzoom)
                               .Prop("zoombar", &C::zoombar)
                               .Prop("spinecurvature", &C::spinecurvature)
                               .Prop("spinecolor", &C::spinecolor)
                               .Prop("maxloaded", &C::maxloaded)
                               .Prop("bggradient", &C::bggradient)
                               .Prop("password", &C::password)
                               .Prop("pwstart", &C::pwstart)
                               .Prop("simplepage", &C::simplepage)
                               .Prop("searchindex", &C::searchindex)
                               .Prop("searchclear", &C::searchclear)
                               .Prop("printmaxpages", &C::printmaxpages)
                               .Prop("printthumbsperpage", &C::printthumbsperpage)
                               .Prop("printselectcurrent", &C::printselectcurrent)
                               .Prop("printstretch", &C::printstretch)
                               .Props(kViewerKeyProps)
                               .Prop("thumbloadtext", &C::thumbloadtext)
                               .Wide("thumbpath", &C::thumbpath)
                               .Prop("thumbstatic", &C::thumbstatic)
                               .Prop("thumbauto", &C::thumbauto)
                               .Prop("pagepreview", &C::pagepreview)
                               .Prop("thumbscale", &C::thumbscale)
                               .Prop("alwayshowthumb", &C::alwayshowthumb)
                               .Prop("autoMove", &C::autoMove)
                               .Prop("fullscreenopened", &C::fullscreenopened)
                               .Prop("langpath", &C::langpath)
                               .Prop("download", &C::download)
                               .Prop("background", &C::background)
                               .Prop("bookmarks", &C::bookmarks)
                               .Prop("Chapters", &C::Chapters)
                               .Prop("pos_search_", &C::pos_search_)
                               .Prop("size_search_", &C::size_search_)
                               .Prop("pos_download_", &C::pos_download_)
                               .Prop("size_download_", &C::size_download_)
                               .Prop("pos_langs_", &C::pos_langs_)
                               .Prop("size_langs_", &C::size_langs_)
                               .Prop("pos_flag_", &C::pos_flag_)
                               .Prop("size_flag_", &C::size_flag_)
                               .Prop("bookmarktype", &C::bookmarktype)
                               .Prop("errorlevel", &C::errorlevel)
                               .Build();
  return info;
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
