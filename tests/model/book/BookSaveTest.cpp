// Writing the book document in canonical form, round trips, locale independence and Assign.

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <locale>
#include <optional>

#include "BookTestSupport.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "util/Error.h"

namespace {

using booktest::DeepDifference;

// One bookmark, one chapter with a spread page holding a GIF picture and an area, and one link.
std::unique_ptr<TMBook> SmallBook() {
  auto book = std::make_unique<TMBook>();
  book->uid = "{00000000-1111-2222-3333-444444444444}";
  book->title = "Small";
  TMBookmark& bookmark = book->bookmarks->AddNew<TMBookmark>();
  bookmark.title = "Start";
  bookmark.color = 255;
  TMChapter& chapter = book->Chapters->AddNew<TMChapter>();
  TMPage& page = chapter.Pages->AddNew<TMPage>();
  page.SetIsSimplePage(true);
  page.elem->AddNew<TMImg>().SetSrc("res/pages/a.GIF");
  page.elem->AddNew<TMArea>().alpha = 113.0 / 119.0;
  TMLink& link = page.links->AddNew<TMLink>();
  link.urls->AddNew<TMURL>().src = "http://example.com/?a=1&b=2";
  return book;
}

constexpr const char* kSmallBookText = R"(<?xml version="1.0"?>
<book version="" title="Small" uid="{00000000-1111-2222-3333-444444444444}" asulextension="swf" bgcolor="13421772" foldfx="0.5" plugins="" guipath="res/other/" flagpath="res/flags/" ignoresyslang="false" lang="" handcursor="true" ltr="true" pagethickness="0.3" pagesounds="true" pagewidth="0" pageheight="0" reflection="false" reflectionalpha="0.25" reflectionfade="false" reflectionoffset="0" minimode="false" miniwidth="400" miniheight="300" marginleft="20" marginright="20" margintop="70" marginbottom="75" rotate="0" slidedelay="3" sliderepeat="false" slidestart="false" centercovers="true" cornerhint="false" pluginpath="plugins/" dragspeed="0.5" dragarea="top,middle,bottom" dragrange="auto" zoomminscale="0.1" zoommaxscale="5" zoomliquidscaling="true" zoomsteps="1" zoomsnap="1,2,3,5" zoomwheel="false" zoomdoubleclick="false" useminfixzoom="true" zoombar="true" spinecurvature="-0.5" maxloaded="30" bggradient="false" pwstart="1" simplepage="false" searchindex="" searchclear="false" printmaxpages="30" printthumbsperpage="30" printselectcurrent="true" printstretch="true" keyfullscreen="0" keyprevpage="0" keynextpage="0" keyfirstpage="0" keylastpage="0" keyzoomin="0" keyzoomout="0" thumbloadtext="" thumbpath="res/thumbnails/thumb_{{num}}.png" thumbstatic="true" thumbauto="true" pagepreview="true" thumbscale="0.2" alwayshowthumb="false" autoMove="false" fullscreenopened="false" langpath="res/languages/" download="" pos_search_="0" size_search_="0" pos_download_="0" size_download_="0" pos_langs_="0" size_langs_="0" pos_flag_="0" size_flag_="0" bookmarktype="box" errorlevel="NONE">
  <background>
    <box anchors="0, 0, pw, ph" background="" pos="0"/>
  </background>
  <bookmarks>
    <bookmark title="Start" page="1" color="255"/>
  </bookmarks>
  <Chapters>
    <chapter bgsound="" fade="1000" bgcolor="4291611852" pos_="0" size_="0">
      <Pages>
        <spreadpage isSimplePage="true" bgcolor="4291611852" foldfx="0.5" shadows="0.5" stiff="false" turningenabled="true" print="" searchtxt="" download="" pos_print_="0" size_print_="0" pos_search_="0" size_search_="0" pos_download_="0" size_download_="0" mobilefile1="" mobilefile2="" pos_mobilefile2="0" size_mobilefile2="0" pagethumb="" photoviewthumb="">
          <elem>
            <gif left="0" top="0" width="0" height="0" orgwd="0" orght="0" rotation="0" scaleX="1" scaleY="1" mouseenabled="true" priority="10" url="" target="_blank" linktype="none" page="1" email="" code="" src="res/pages/a.GIF" pos_="0" size_="0" thumb="" pos_thumb_="0" size_thumb_="0" keepar="false" yt="false" aa="false" rasterize="false" onlywhenactive="false" sameappdomain="false" samesecdomain="false"/>
            <area left="0" top="0" width="0" height="0" orgwd="0" orght="0" rotation="0" scaleX="1" scaleY="1" mouseenabled="true" priority="5" url="" target="_blank" linktype="" page="1" email="" code="" bgcolor="16777215" alpha="0.949579831932773" orgWidth="0" orgHeight="0"/>
          </elem>
          <links>
            <link x="0" y="0" width="0" height="0" page="">
              <urls>
                <url src="http://example.com/?a=1&amp;b=2"/>
              </urls>
            </link>
          </links>
        </spreadpage>
      </Pages>
    </chapter>
  </Chapters>
</book>
)";

TEST(CanonicalSave, SmallBookIsWrittenInTheCanonicalForm) {
  EXPECT_EQ(SmallBook()->SaveToText(), kSmallBookText);
}

TEST(CanonicalSave, APictureSavedAsGifIsReadBackAsAnimation) {
  const auto reread = booktest::BookFrom(SmallBook()->SaveToText());
  const auto& elem = *reread->Chapters->Items(0).Pages->Items(0).elem;
  EXPECT_NE(dynamic_cast<const TMGif*>(&elem.Items(0)), nullptr);
  EXPECT_NE(dynamic_cast<const TMArea*>(&elem.Items(1)), nullptr);
}

// A value of `prop`'s kind that differs from every default and survives the canonical form.
TPropValue Sample(const TPropInfo& prop, const TMBasicObject& object, int seed) {
  switch (prop.kind) {
    case TPropKind::Integer:
      return std::int32_t{-1000 - seed};
    case TPropKind::Cardinal:
      return std::uint32_t{4000000000u + static_cast<std::uint32_t>(seed)};
    case TPropKind::Int64:
      return std::int64_t{-9000000000} - seed;
    case TPropKind::Double:
      return seed % 3 == 0 ? 0.949579831932773 : (seed % 3 == 1 ? 1.5e-7 : -2.5e20);
    case TPropKind::Boolean:
      return !std::get<bool>(prop.get(object));
    default:
      return "v" + std::to_string(seed) + " <&> \"'\" é页";
  }
}

void SetEveryScalar(TMBasicObject& object, int& seed) {
  for (const TPropInfo* prop : object.ClassInfo().Properties()) {
    if (prop->IsScalar()) {
      prop->set(object, Sample(*prop, object, ++seed));
    } else if (prop->kind == TPropKind::Object) {
      SetEveryScalar(*prop->object(object), seed);
    } else {
      TMBasicObjects& list = *prop->list(object);
      for (int i = 0; i < list.Count(); ++i) SetEveryScalar(list.Items(i), seed);
    }
  }
}

// Two bookmarks, two chapters, pages of both kinds, every element class, links with urls; every
// scalar set to a value unlike its default.
std::unique_ptr<TMBook> FullBook() {
  auto book = std::make_unique<TMBook>();
  book->bookmarks->AddNew<TMBookmark>();
  book->bookmarks->AddNew<TMBookmark>();
  for (int c = 0; c < 2; ++c) {
    TMChapter& chapter = book->Chapters->AddNew<TMChapter>();
    for (int p = 0; p < 2; ++p) {
      TMPage& page = chapter.Pages->AddNew<TMPage>();
      page.elem->AddNew<TMImg>();
      page.elem->AddNew<TMGif>();
      page.elem->AddNew<TMSnd>();
      page.elem->AddNew<TMVid>();
      page.elem->AddNew<TMArea>();
      page.elem->AddNew<TMTxt>();
      page.elem->AddNew<TBasicVisualPageElement>();
      TMLink& link = page.links->AddNew<TMLink>();
      link.urls->AddNew<TMURL>();
      link.urls->AddNew<TMURL>();
    }
  }
  int seed = 0;
  SetEveryScalar(*book, seed);
  return book;
}

TEST(CanonicalSave, EveryPropertySurvivesSaveAndLoad) {
  const auto book = FullBook();
  const std::string text = book->SaveToText();
  const auto reread = booktest::BookFrom(text);
  EXPECT_EQ(DeepDifference(*book, *reread), "");
  EXPECT_EQ(reread->SaveToText(), text);
}

TEST(CanonicalSave, DefaultBookSurvivesSaveAndLoad) {
  TMBook book;
  const auto reread = booktest::BookFrom(book.SaveToText());
  EXPECT_EQ(DeepDifference(book, *reread), "");
}

// ---------------------------------------------------------------------------------------------
// Attribute rules

struct SaveCase {
  std::string label;
  std::function<std::unique_ptr<TMBasicObject>()> make;
  std::string attribute;
  std::optional<std::string> text;  // nullopt: left out
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const SaveCase& c, std::ostream* os) {
  *os << c.label;
}

template <class T>
std::function<std::unique_ptr<TMBasicObject>()> Object(std::function<void(T&)> setup) {
  return [setup] {
    auto object = std::make_unique<T>();
    setup(*object);
    return object;
  };
}

std::optional<std::string> SavedAttribute(const TMBasicObject& object, const std::string& name) {
  platform::XmlDocument document;
  platform::XmlNode root = document.CreateDocumentElement("x");
  object.SaveToXML(root);
  return root.Attribute(name);
}

class SaveRule : public testing::TestWithParam<SaveCase> {};

TEST_P(SaveRule, WritesTheCanonicalTextOrLeavesTheAttributeOut) {
  const SaveCase& c = GetParam();
  EXPECT_EQ(SavedAttribute(*c.make(), c.attribute), c.text);
}

using B = TMBook;
const SaveCase kSaveCases[] = {
    {"StartPageOne", Object<B>([](B& b) { b.startpage = 1; }), "startpage", std::nullopt},
    {"StartPageTwo", Object<B>([](B& b) { b.startpage = 2; }), "startpage", "2"},
    {"ZoomInitHalf", Object<B>([](B& b) { b.zoominit = 0.5; }), "zoominit", std::nullopt},
    {"ZoomInitOther", Object<B>([](B& b) { b.zoominit = 0.75; }), "zoominit", "0.75"},
    {"PasswordEmpty", Object<B>([](B&) {}), "password", std::nullopt},
    {"PasswordSet", Object<B>([](B& b) { b.password = "se cret"; }), "password", "se cret"},
    {"ZoomSnapEmpty", Object<B>([](B& b) { b.zoomsnap = ""; }), "zoomsnap", std::nullopt},
    {"GaAccountSet", Object<B>([](B& b) { b.gaaccount = "UA-1"; }), "gaaccount", "UA-1"},
    {"SpineColourDefault", Object<B>([](B&) {}), "spinecolor", std::nullopt},
    {"SpineColourZero", Object<B>([](B& b) { b.spinecolor = 0; }), "spinecolor", "0"},
    {"CardinalHighBit", Object<B>([](B& b) { b.pos_flag_ = 4294967295u; }), "pos_flag_",
     "4294967295"},
    {"Int64Negative", Object<B>([](B& b) { b.bgcolor = -1; }), "bgcolor", "-1"},
    {"BooleanFalse", Object<B>([](B& b) { b.ltr = false; }), "ltr", "false"},
    {"StringTrue", Object<B>([](B& b) { b.title = "True"; }), "title", "true"},
    {"StringFalse", Object<B>([](B& b) { b.title = "False"; }), "title", "false"},
    {"StringTrueInCapitals", Object<B>([](B& b) { b.title = "TRUE"; }), "title", "TRUE"},
    {"DoubleFifteenDigits", Object<B>([](B& b) { b.foldfx = 113.0 / 119.0; }), "foldfx",
     "0.949579831932773"},
    {"DoubleWhole", Object<B>([](B& b) { b.foldfx = 5; }), "foldfx", "5"},
    {"DoubleSumRounded", Object<B>([](B& b) { b.foldfx = 0.1 + 0.2; }), "foldfx", "0.3"},
    {"DoubleNotANumber",
     Object<B>([](B& b) { b.foldfx = std::numeric_limits<double>::quiet_NaN(); }), "foldfx",
     std::nullopt},
    {"OtherAttributesAfterAFailingOne",
     Object<B>([](B& b) { b.foldfx = std::numeric_limits<double>::infinity(); }), "plugins", ""},
    {"VideoSkinEmpty", Object<TMVid>([](TMVid& v) { v.gui = ""; }), "gui", std::nullopt},
    {"VideoSkinDefault", Object<TMVid>([](TMVid&) {}), "gui", "res/other/videoskin.swf"},
    {"VideoColour", Object<TMVid>([](TMVid&) {}), "guicolor", "3425907507"},
    {"BoxAlphaOne", Object<TMBox>([](TMBox&) {}), "alpha", std::nullopt},
    {"BoxAlphaHalf", Object<TMBox>([](TMBox& x) { x.alpha = 0.5; }), "alpha", "0.5"},
    {"BoxWidthZero", Object<TMBox>([](TMBox&) {}), "width", std::nullopt},
    {"BoxHeightSet", Object<TMBox>([](TMBox& x) { x.height = 600; }), "height", "600"},
    {"BoxRepeatOn", Object<TMBox>([](TMBox& x) { x.backgroundrepeat = true; }), "backgroundrepeat",
     "true"},
    {"BoxRepeatOff", Object<TMBox>([](TMBox&) {}), "backgroundrepeat", std::nullopt},
    {"BoxGridEmpty", Object<TMBox>([](TMBox&) {}), "scale9grid", std::nullopt},
    {"BoxEmptyBackground", Object<TMBox>([](TMBox&) {}), "background", ""},
    {"BoxPosZero", Object<TMBox>([](TMBox&) {}), "pos", "0"},
};

INSTANTIATE_TEST_SUITE_P(Canonical, SaveRule, testing::ValuesIn(kSaveCases),
                         [](const auto& info) { return info.param.label; });

// ---------------------------------------------------------------------------------------------
// Locale independence

// Sets the process locale to one whose decimal separator is ",", if the system has one.
class CommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "de_DE"}) {
      if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",")
        return;
    }
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no locale with a \",\" decimal separator is installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CommaLocale, AttributesUseThePointBothWays) {
  TMBook book;
  book.foldfx = 0.25;
  book.background->box->alpha = 0.5;
  const std::string text = book.SaveToText();
  EXPECT_NE(text.find("foldfx=\"0.25\""), std::string::npos);
  EXPECT_NE(text.find("<box anchors=\"0, 0, pw, ph\" background=\"\" alpha=\"0.5\""),
            std::string::npos);
  EXPECT_EQ(SavedAttribute(book, "zoominit"), std::nullopt);
  const auto reread = booktest::BookFrom(text);
  EXPECT_EQ(reread->foldfx, 0.25);
  EXPECT_EQ(reread->background->box->alpha, 0.5);
}

TEST_F(CommaLocale, ChildElementDoublesUseTheLocaleSeparator) {
  const auto book =
      booktest::BookFrom("<book><foldfx>0,75</foldfx><dragspeed>0.25</dragspeed></book>");
  EXPECT_EQ(book->foldfx, 0.75);
  EXPECT_EQ(book->dragspeed, 0.0);
}

// Sets the process locale to a Turkish one, whose "I" is not the capital of "i", if the system
// has one.
class TurkishLocale : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"tr_TR.UTF-8", "tr_TR.utf8", "tr_TR.ISO-8859-9", "tr_TR"}) {
      if (std::setlocale(LC_ALL, name) && std::tolower('I') != 'i') return;
    }
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no locale with a Turkish letter case is installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(TurkishLocale, NamesAndBooleansMatchInAnyLetterCase) {
  const auto book = booktest::BookFrom(
      R"(<book IGNORESYSLANG="TRUE" PAGEWIDTH="640"><Chapters><chapter><Pages><page><elem>
      <img src="a.swf" LEFT="7"/></elem></page></Pages></chapter></Chapters></book>)");
  EXPECT_TRUE(book->ignoresyslang);
  EXPECT_EQ(book->pagewidth, 640);
  const auto& picture = book->Chapters->Items(0).Pages->Items(0).elem->Items(0);
  EXPECT_EQ(picture.left, 7);
}

TEST_F(TurkishLocale, PictureElementNamesKeepTheirAsciiLetters) {
  TMBook book;
  auto& page = book.Chapters->AddNew<TMChapter>().Pages->AddNew<TMPage>();
  page.elem->AddNew<TMImg>();
  page.elem->AddNew<TMImg>().SetSrc("res/PAGES/ANIM.GIF");
  const auto reread = booktest::BookFrom(book.SaveToText());
  const auto& elements = *reread->Chapters->Items(0).Pages->Items(0).elem;
  EXPECT_NE(dynamic_cast<const TMImg*>(&elements.Items(0)), nullptr);
  EXPECT_NE(dynamic_cast<const TMGif*>(&elements.Items(1)), nullptr);
}

struct CommaNumpunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(StreamLocale, GlobalStreamLocaleDoesNotChangeTheCanonicalForm) {
  const std::locale previous = std::locale::global(std::locale(std::locale(), new CommaNumpunct));
  const std::string text = SmallBook()->SaveToText();
  const auto reread = booktest::BookFrom(text);
  std::locale::global(previous);
  EXPECT_EQ(text, kSmallBookText);
  EXPECT_EQ(DeepDifference(*booktest::BookFrom(kSmallBookText), *reread), "");
}

// ---------------------------------------------------------------------------------------------
// Assign

TEST(Assign, CopiesTheWholeTreeIndependently) {
  const auto source = FullBook();
  TMBook copy;
  copy.Assign(*source);
  EXPECT_EQ(DeepDifference(*source, copy), "");

  copy.Chapters->Items(0).Pages->Items(0).elem->Delete(0);
  copy.background->box->width = 1;
  EXPECT_EQ(source->Chapters->Items(0).Pages->Items(0).elem->Count(), 7);
  EXPECT_NE(source->background->box->width, 1);
  EXPECT_EQ(copy.Chapters->Items(0).Owner(), copy.Chapters.get());
}

TEST(Assign, RefusesAnObjectOfAnotherClass) {
  TMPage page;
  TMChapter chapter;
  try {
    static_cast<TMBasicObject&>(page).Assign(chapter);
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TMChapter to a TMPage");
  }
}

}  // namespace
