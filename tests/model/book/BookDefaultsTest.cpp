// Defaults of fresh objects of every model class, against tables written from the documented
// defaults (names, kinds, order with ancestors first, values).

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "BookTestSupport.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"

namespace {

constexpr TPropKind Int = TPropKind::Integer, Card = TPropKind::Cardinal, I64 = TPropKind::Int64,
                    Dbl = TPropKind::Double, Bool = TPropKind::Boolean, Str = TPropKind::String,
                    Wide = TPropKind::WideString, Obj = TPropKind::Object, List = TPropKind::List;

struct Expected {
  std::string name;
  TPropKind kind;
  std::string value;  // "<guid>" and "<random>" for generated defaults
};
using Rows = std::vector<Expected>;

Rows Concat(std::initializer_list<Rows> parts) {
  Rows all;
  for (const Rows& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Sets `name` to `value` in rows inherited from an ancestor.
Rows With(Rows rows, std::initializer_list<std::pair<std::string, std::string>> changes) {
  for (const auto& [name, value] : changes)
    for (Expected& row : rows)
      if (row.name == name) row.value = value;
  return rows;
}

const Rows kGeometry = {
    {"left", Int, "0"},      {"top", Int, "0"},
    {"width", Int, "0"},     {"height", Int, "0"},
    {"orgwd", Int, "0"},     {"orght", Int, "0"},
    {"rotation", Int, "0"},  {"scaleX", Dbl, "1"},
    {"scaleY", Dbl, "1"},    {"mouseenabled", Bool, "true"},
    {"priority", Int, "10"},
};
const Rows kInteractive = {
    {"url", Str, ""},   {"target", Str, "_blank"}, {"linktype", Str, ""},
    {"page", Int, "1"}, {"email", Str, ""},        {"code", Str, ""},
};
const Rows kFile = {
    {"src", Wide, ""},   {"pos_", Card, "0"},       {"size_", Card, "0"},
    {"thumb", Wide, ""}, {"pos_thumb_", Card, "0"}, {"size_thumb_", Card, "0"},
};
const Rows kInteractiveBase = Concat({kGeometry, kInteractive});
const Rows kFileBase = Concat({kInteractiveBase, kFile});

const Rows kBook = {
    {"version", Str, ""},
    {"title", Str, ""},
    {"uid", Str, "<guid>"},
    {"asulextension", Str, "swf"},
    {"bgcolor", I64, "13421772"},
    {"foldfx", Dbl, "0.5"},
    {"plugins", Str, ""},
    {"guipath", Str, "res/other/"},
    {"flagpath", Str, "res/flags/"},
    {"ignoresyslang", Bool, "false"},
    {"gaaccount", Str, ""},
    {"lang", Str, ""},
    {"handcursor", Bool, "true"},
    {"ltr", Bool, "true"},
    {"pagethickness", Dbl, "0.3"},
    {"pagesounds", Bool, "true"},
    {"pagewidth", Int, "0"},
    {"pageheight", Int, "0"},
    {"reflection", Bool, "false"},
    {"reflectionalpha", Dbl, "0.25"},
    {"reflectionfade", Bool, "false"},
    {"reflectionoffset", Int, "0"},
    {"minimode", Bool, "false"},
    {"miniwidth", Int, "400"},
    {"miniheight", Int, "300"},
    {"marginleft", Int, "20"},
    {"marginright", Int, "20"},
    {"margintop", Int, "70"},
    {"marginbottom", Int, "75"},
    {"rotate", Int, "0"},
    {"startpage", Int, "1"},
    {"slidedelay", Dbl, "3"},
    {"sliderepeat", Bool, "false"},
    {"slidestart", Bool, "false"},
    {"centercovers", Bool, "true"},
    {"cornerhint", Bool, "false"},
    {"pluginpath", Str, "plugins/"},
    {"dragspeed", Dbl, "0.5"},
    {"dragarea", Str, "top,middle,bottom"},
    {"dragrange", Str, "auto"},
    {"zoominit", Dbl, "0.5"},
    {"zoomminscale", Dbl, "0.1"},
    {"zoommaxscale", Dbl, "5"},
    {"zoomliquidscaling", Bool, "true"},
    {"zoomsteps", Int, "1"},
    {"zoomsnap", Str, "1,2,3,5"},
    {"zoomwheel", Bool, "false"},
    {"zoomdoubleclick", Bool, "false"},
    {"useminfixzoom", Bool, "true"},
    {"zoombar", Bool, "true"},
    {"spinecurvature", Dbl, "-0.5"},
    {"spinecolor", Card, "13421772"},
    {"maxloaded", Int, "30"},
    {"bggradient", Bool, "false"},
    {"password", Str, ""},
    {"pwstart", Int, "1"},
    {"simplepage", Bool, "false"},
    {"searchindex", Str, ""},
    {"searchclear", Bool, "false"},
    {"printmaxpages", Int, "30"},
    {"printthumbsperpage", Int, "30"},
    {"printselectcurrent", Bool, "true"},
    {"printstretch", Bool, "true"},
    {"keyfullscreen", Int, "0"},
    {"keyprevpage", Int, "0"},
    {"keynextpage", Int, "0"},
    {"keyfirstpage", Int, "0"},
    {"keylastpage", Int, "0"},
    {"keyzoomin", Int, "0"},
    {"keyzoomout", Int, "0"},
    {"thumbloadtext", Str, ""},
    {"thumbpath", Wide, "res/thumbnails/thumb_{{num}}.png"},
    {"thumbstatic", Bool, "true"},
    {"thumbauto", Bool, "true"},
    {"pagepreview", Bool, "true"},
    {"thumbscale", Dbl, "0.2"},
    {"alwayshowthumb", Bool, "false"},
    {"autoMove", Bool, "false"},
    {"fullscreenopened", Bool, "false"},
    {"langpath", Str, "res/languages/"},
    {"download", Str, ""},
    {"background", Obj, ""},
    {"bookmarks", List, ""},
    {"Chapters", List, ""},
    {"pos_search_", Card, "0"},
    {"size_search_", Card, "0"},
    {"pos_download_", Card, "0"},
    {"size_download_", Card, "0"},
    {"pos_langs_", Card, "0"},
    {"size_langs_", Card, "0"},
    {"pos_flag_", Card, "0"},
    {"size_flag_", Card, "0"},
    {"bookmarktype", Str, "box"},
    {"errorlevel", Str, "NONE"},
};

const Rows kPage = {
    {"isSimplePage", Bool, "false"},
    {"bgcolor", I64, "4291611852"},
    {"foldfx", Dbl, "0.5"},
    {"shadows", Dbl, "0.5"},
    {"stiff", Bool, "false"},
    {"turningenabled", Bool, "true"},
    {"print", Str, ""},
    {"searchtxt", Str, ""},
    {"download", Str, ""},
    {"elem", List, ""},
    {"pos_print_", Card, "0"},
    {"size_print_", Card, "0"},
    {"pos_search_", Card, "0"},
    {"size_search_", Card, "0"},
    {"pos_download_", Card, "0"},
    {"size_download_", Card, "0"},
    {"mobilefile1", Wide, ""},
    {"mobilefile2", Wide, ""},
    {"pos_mobilefile2", Card, "0"},
    {"size_mobilefile2", Card, "0"},
    {"pagethumb", Wide, ""},
    {"photoviewthumb", Wide, ""},
    {"links", List, ""},
};

struct ClassCase {
  std::string className;
  std::function<std::unique_ptr<TMBasicObject>()> create;
  Rows rows;
  std::string elementName;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const ClassCase& c, std::ostream* os) {
  *os << c.className;
}

template <class T>
std::function<std::unique_ptr<TMBasicObject>()> Make() {
  return [] { return std::make_unique<T>(); };
}

std::vector<ClassCase> Cases() {
  return {
      {"TMBook", Make<TMBook>(), kBook, "book"},
      {"TMBackground", Make<TMBackground>(), {{"box", Obj, ""}}, "background"},
      {"TMBox",
       Make<TMBox>(),
       {{"anchors", Str, "0, 0, pw, ph"},
        {"width", Int, "0"},
        {"height", Int, "0"},
        {"background", Str, ""},
        {"backgroundrepeat", Bool, "false"},
        {"scale9grid", Str, ""},
        {"alpha", Dbl, "1"},
        {"pos", Int, "0"}},
       "box"},
      {"TMBookmark",
       Make<TMBookmark>(),
       {{"title", Wide, ""}, {"page", Int, "1"}, {"color", Card, "<random>"}},
       "bookmark"},
      {"TMChapter",
       Make<TMChapter>(),
       {{"Pages", List, ""},
        {"bgsound", Wide, ""},
        {"fade", Int, "1000"},
        {"bgcolor", I64, "4291611852"},
        {"pos_", Card, "0"},
        {"size_", Card, "0"}},
       "chapter"},
      {"TMPage", Make<TMPage>(), kPage, "page"},
      {"TMLink",
       Make<TMLink>(),
       {{"x", Int, "0"},
        {"y", Int, "0"},
        {"width", Int, "0"},
        {"height", Int, "0"},
        {"urls", List, ""},
        {"page", Str, ""}},
       "link"},
      {"TMURL", Make<TMURL>(), {{"src", Str, ""}}, "url"},
      {"TMBasicPageElement", Make<TMBasicPageElement>(), {}, "basicpageelement"},
      {"TBasicVisualPageElement", Make<TBasicVisualPageElement>(), kGeometry,
       "asicvisualpageelement"},
      {"TMBaseInteractive", Make<TMBaseInteractive>(), kInteractiveBase, "baseinteractive"},
      {"TMArea", Make<TMArea>(),
       Concat({With(kInteractiveBase, {{"priority", "5"}}),
               {{"bgcolor", Card, "16777215"},
                {"alpha", Dbl, "0.2"},
                {"orgWidth", Dbl, "0"},
                {"orgHeight", Dbl, "0"}}}),
       "area"},
      {"TMTxt", Make<TMTxt>(),
       Concat({With(kInteractiveBase, {{"priority", "5"}, {"linktype", "none"}}),
               {{"align", Str, "left"},
                {"color", Card, "0"},
                {"content", Str, ""},
                {"rasterize", Bool, "true"},
                {"selectable", Bool, "false"},
                {"bold", Bool, "false"},
                {"italic", Bool, "false"},
                {"underline", Bool, "false"},
                {"size", Int, "12"},
                {"font", Str, "Tahoma"}}}),
       "txt"},
      {"TBasicVisualPageFileElement", Make<TBasicVisualPageFileElement>(), kFileBase,
       "asicvisualpagefileelement"},
      {"TMImg", Make<TMImg>(),
       Concat({With(kFileBase, {{"linktype", "none"}}),
               {{"keepar", Bool, "false"},
                {"yt", Bool, "false"},
                {"aa", Bool, "false"},
                {"rasterize", Bool, "false"},
                {"onlywhenactive", Bool, "false"},
                {"sameappdomain", Bool, "false"},
                {"samesecdomain", Bool, "false"}}}),
       "img"},
      {"TMGif", Make<TMGif>(), Concat({kFileBase, {{"cache", Bool, "true"}}}), "gif"},
      {"TMSnd", Make<TMSnd>(),
       Concat({With(kFileBase, {{"priority", "15"}}),
               {{"delay", Int, "0"},
                {"fade", Int, "2000"},
                {"loop", Bool, "true"},
                {"onlywhenactive", Bool, "true"},
                {"restart", Bool, "false"}}}),
       "snd"},
      {"TMVid", Make<TMVid>(),
       Concat({With(kFileBase, {{"priority", "20"}}),
               {{"autoplay", Bool, "true"},
                {"delay", Int, "0"},
                {"fade", Int, "2000"},
                {"gui", Str, "res/other/videoskin.swf"},
                {"guicolor", I64, "3425907507"},
                {"loop", Bool, "true"},
                {"nopause", Bool, "false"},
                {"onlywhenactive", Bool, "true"},
                {"preview", Str, ""},
                {"restart", Bool, "false"},
                {"pos_pre_", Card, "0"},
                {"size_pre_", Card, "0"}}}),
       "vid"},
  };
}

TPropValue Typed(TPropKind kind, const std::string& text) {
  switch (kind) {
    case Int:
      return static_cast<std::int32_t>(std::stol(text));
    case Card:
      return static_cast<std::uint32_t>(std::stoul(text));
    case I64:
      return static_cast<std::int64_t>(std::stoll(text));
    case Dbl:
      return std::stod(text);
    case Bool:
      return text == "true";
    default:
      return text;
  }
}

class FreshObjectDefaults : public testing::TestWithParam<ClassCase> {};

TEST_P(FreshObjectDefaults, PropertyTableAndValuesMatchTheDocumentedDefaults) {
  const ClassCase& c = GetParam();
  const auto object = c.create();
  EXPECT_EQ(object->ClassInfo().ClassName(), c.className);
  EXPECT_EQ(object->ElementName(), c.elementName);

  const auto& props = object->ClassInfo().Properties();
  ASSERT_EQ(props.size(), c.rows.size());
  for (std::size_t i = 0; i < props.size(); ++i) {
    const TPropInfo& prop = *props[i];
    const Expected& row = c.rows[i];
    SCOPED_TRACE(c.className + "." + row.name);
    EXPECT_EQ(prop.name, row.name);
    EXPECT_EQ(prop.kind, row.kind);
    if (row.kind == Obj) {
      ASSERT_NE(prop.object(*object), nullptr);
      EXPECT_EQ(prop.object(*object)->Owner(), object.get());
    } else if (row.kind == List) {
      ASSERT_NE(prop.list(*object), nullptr);
      EXPECT_EQ(prop.list(*object)->Count(), 0);
      EXPECT_EQ(prop.list(*object)->Owner(), object.get());
    } else if (row.value == "<guid>") {
      EXPECT_TRUE(std::regex_match(
          std::get<std::string>(prop.get(*object)),
          std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")));
    } else if (row.value == "<random>") {
      EXPECT_LE(std::get<std::uint32_t>(prop.get(*object)), 2147483646u);
    } else {
      EXPECT_EQ(prop.get(*object), Typed(row.kind, row.value))
          << booktest::Describe(prop.get(*object));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryClass, FreshObjectDefaults, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.className; });

TEST(GeneratedDefaults, EveryBookGetsItsOwnUid) {
  TMBook first;
  TMBook second;
  EXPECT_NE(first.uid, second.uid);
}

TEST(GeneratedDefaults, BookmarkColoursNeverRepeatInARun) {
  std::set<std::uint32_t> seen;
  for (int i = 0; i < 5000; ++i) {
    TMBookmark bookmark;
    EXPECT_LE(bookmark.color, 2147483646u);
    EXPECT_TRUE(seen.insert(bookmark.color).second) << "colour drawn twice: " << bookmark.color;
  }
}

TEST(GeneratedDefaults, AFreshBookHasAnEmptyBoxAndNoBookmarksOrChapters) {
  TMBook book;
  ASSERT_TRUE(book.background && book.background->box);
  EXPECT_EQ(book.background->box->Owner(), book.background.get());
  EXPECT_EQ(book.bookmarks->Count(), 0);
  EXPECT_EQ(book.Chapters->Count(), 0);
}

}  // namespace
