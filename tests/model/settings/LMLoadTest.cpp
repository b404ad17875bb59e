// Loading the project settings document: text conversions per kind, name matching, order of
// application, error handling and a document that sets every property.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "model/settings/LMProjects.h"
#include "util/Error.h"

namespace {

std::unique_ptr<TLMProject> Load(const std::string& body, const std::string& attributes = "") {
  auto project = std::make_unique<TLMProject>();
  project->LoadFromStream("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project" + attributes +
                          ">" + body + "</project>");
  return project;
}

std::string Element(const std::string& name, const std::string& text) {
  return "<" + name + ">" + text + "</" + name + ">";
}

// Every scalar property of two objects, compared through their tables (sub-objects deeply).
void ExpectSameValues(const TLMBasicProject& a, const TLMBasicProject& b) {
  ASSERT_EQ(&a.ClassInfo(), &b.ClassInfo());
  for (const TLMPropertyInfo* property : a.ClassInfo().Properties()) {
    SCOPED_TRACE(std::string(a.ClassInfo().ClassName()) + "." + std::string(property->name));
    if (property->kind == TPropKind::Object) {
      ExpectSameValues(*property->object(a), *property->object(b));
    } else if (property->IsScalar()) {
      EXPECT_EQ(property->get(a), property->get(b));
    }
  }
}

struct IntegerCase {
  std::string text;
  std::int32_t expected;
};

// Test listings show the text and the value, not the struct's raw bytes.
void PrintTo(const IntegerCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" -> " << c.expected;
}

class IntegerElement : public testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerElement, ConvertsOrGivesZero) {
  EXPECT_EQ(Load(Element("swfwd", GetParam().text))->swfwd, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerElement,
    testing::Values(IntegerCase{"1024", 1024}, IntegerCase{"  42", 42}, IntegerCase{"-7", -7},
                    IntegerCase{"+7", 7}, IntegerCase{"$FF", 255}, IntegerCase{"x1a", 26},
                    IntegerCase{"0x10", 16}, IntegerCase{"-$10", -16}, IntegerCase{"$FFFFFFFF", -1},
                    IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                    // everything below does not convert
                    IntegerCase{"2147483648", 0}, IntegerCase{"$100000000", 0},
                    IntegerCase{"abc", 0}, IntegerCase{"", 0}, IntegerCase{"12px", 0},
                    IntegerCase{"12 ", 0}, IntegerCase{"1.5", 0}, IntegerCase{"$", 0}));

struct CardinalCase {
  std::string text;
  std::uint32_t expected;
};

void PrintTo(const CardinalCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" -> " << c.expected;
}

class CardinalElement : public testing::TestWithParam<CardinalCase> {};

TEST_P(CardinalElement, KeepsTheThirtyTwoBitPattern) {
  EXPECT_EQ(Load(Element("spinecolor", GetParam().text))->spinecolor, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CardinalElement,
    testing::Values(CardinalCase{"13421772", 13421772}, CardinalCase{"$CC333333", 3425907507u},
                    CardinalCase{"0xFFFFFFFF", 4294967295u}, CardinalCase{"-1", 4294967295u},
                    CardinalCase{"2147483647", 2147483647u},
                    // a decimal value above the signed range does not convert
                    CardinalCase{"2147483648", 0}, CardinalCase{"4294967295", 0},
                    CardinalCase{"red", 0}, CardinalCase{"", 0}));

struct BooleanCase {
  std::string text;
  bool expected;
};

void PrintTo(const BooleanCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" -> " << std::boolalpha << c.expected;
}

class BooleanElement : public testing::TestWithParam<BooleanCase> {};

TEST_P(BooleanElement, AcceptsTrueAndFalseInAnyCase) {
  // hardcover defaults to False, canclose to True: both directions are visible.
  const auto project =
      Load(Element("hardcover", GetParam().text) + Element("canclose", GetParam().text));
  EXPECT_EQ(project->hardcover, GetParam().expected);
  EXPECT_EQ(project->canclose, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, BooleanElement,
                         testing::Values(BooleanCase{"True", true}, BooleanCase{"true", true},
                                         BooleanCase{"TRUE", true}, BooleanCase{"False", false},
                                         BooleanCase{"fAlSe", false}));

class InvalidBooleanElement : public testing::TestWithParam<std::string> {};

TEST_P(InvalidBooleanElement, RaisesWithTheTextAndStopsTheLoad) {
  TLMProject project;
  const std::string document = "<project>" + Element("swfwd", "111") +
                               Element("hardcover", GetParam()) + Element("swfht", "222") +
                               "</project>";
  try {
    project.LoadFromStream(document);
    FAIL() << "no error raised";
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), "Invalid property element: " + GetParam());
  }
  EXPECT_EQ(project.swfwd, 111);  // applied before the fault
  EXPECT_FALSE(project.hardcover);
  EXPECT_EQ(project.swfht, 600);  // never reached
}

INSTANTIATE_TEST_SUITE_P(Texts, InvalidBooleanElement,
                         testing::Values("1", "0", "", "yes", " True", "True "));

TEST(InvalidBooleanElement, InsideANestedObjectAlsoStopsTheLoad) {
  EXPECT_THROW(Load(Element("navbtn", Element("download", "on"))), Error);
}

struct DoubleCase {
  std::string text;
  double expected;
};

void PrintTo(const DoubleCase& c, std::ostream* os) {
  *os << '"' << c.text << "\" -> " << c.expected;
}

class DoubleElement : public testing::TestWithParam<DoubleCase> {};

// The test runs in the "C" locale, whose decimal separator is ".".
TEST_P(DoubleElement, ReadsTheLocaleFormatOrGivesZero) {
  EXPECT_EQ(Load(Element("dragspeed", GetParam().text))->dragspeed, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, DoubleElement,
                         testing::Values(DoubleCase{"0.75", 0.75}, DoubleCase{"-0.5", -0.5},
                                         DoubleCase{"+2", 2}, DoubleCase{" 3.5 ", 3.5},
                                         DoubleCase{".5", 0.5}, DoubleCase{"5.", 5},
                                         DoubleCase{"1e2", 100}, DoubleCase{"2.5E-1", 0.25},
                                         // everything below does not convert
                                         DoubleCase{"0,5", 0}, DoubleCase{"", 0},
                                         DoubleCase{"abc", 0}, DoubleCase{".", 0},
                                         DoubleCase{"1e", 0}, DoubleCase{"inf", 0},
                                         DoubleCase{"nan", 0}, DoubleCase{"0x1p3", 0},
                                         DoubleCase{"1e999", 0}, DoubleCase{"1.000,5", 0}));

TEST(SettingsLoad, EmptyProjectKeepsEveryDefault) {
  ExpectSameValues(*Load(""), TLMProject());
}

TEST(SettingsLoad, NamesMatchIgnoringLetterCase) {
  const auto project = Load(Element("SWFWD", "1") + Element("NavBar", Element("HEIGHT", "60")) +
                            Element("Pos_Mag_", "77"));
  EXPECT_EQ(project->swfwd, 1);
  EXPECT_EQ(project->navbar->height, 60);
  EXPECT_EQ(project->pos_mag_, 77u);
}

TEST(SettingsLoad, LastOccurrenceWins) {
  const auto project =
      Load(Element("swfwd", "1") + Element("swfwd", "2") +
           Element("navbar", Element("height", "10")) + Element("navbar", Element("alpha", "50")));
  EXPECT_EQ(project->swfwd, 2);
  EXPECT_EQ(project->navbar->height, 10);  // the second element loads into the same object
  EXPECT_EQ(project->navbar->alpha, 50);
}

TEST(SettingsLoad, SixtyFourBitPropertyIsNeverRead) {
  for (const std::string text : {"5", "$FF", "0", "garbage", ""}) {
    EXPECT_EQ(Load(Element("videoskincolor", text))->videoskincolor, 3425907507);
    EXPECT_EQ(Load("", " videoskincolor=\"" + text + "\"")->videoskincolor, 3425907507);
  }
}

TEST(SettingsLoad, NestedObjectIsFilledInPlaceAndKeepsItsOtherDefaults) {
  TLMProject project;
  const TLMNavBar* before = project.navbar.get();
  project.LoadFromStream(
      "<project><navbar left=\"3\"><height>50</height><usetop>False</usetop></navbar>"
      "</project>");
  EXPECT_EQ(project.navbar.get(), before);
  EXPECT_EQ(project.navbar->left, 3);
  EXPECT_EQ(project.navbar->height, 50);
  EXPECT_FALSE(project.navbar->usetop);
  EXPECT_EQ(project.navbar->alpha, 100);
  EXPECT_EQ(project.navbar->color, 3355443u);
  EXPECT_EQ(project.navbar->scale9grid, "15,1,85,34");
}

TEST(SettingsLoad, AttributesApplyBeforeChildElements) {
  const auto project =
      Load(Element("swfht", "2"), " swfwd=\"$10\" swfht=\"1\" canclose=\"false\" navbar=\"7\"");
  EXPECT_EQ(project->swfwd, 16);
  EXPECT_EQ(project->swfht, 2);
  EXPECT_FALSE(project->canclose);
  EXPECT_EQ(project->navbar->height, 45);  // object properties are not set from attributes
}

TEST(SettingsLoad, InvalidBooleanAttributeRaises) {
  EXPECT_THROW(Load("", " hardcover=\"maybe\""), Error);
}

TEST(SettingsLoad, IgnoresWhatNamesNoProperty) {
  const auto project =
      Load("<!-- comment -->text<?swfwd 5?><unknown>1</unknown>" + Element("hardcover", "True") +
           Element("navbar", "<unknown><height>1</height></unknown>stray") +
           Element("swfwd_", "3") + Element("swfw", "4"));
  EXPECT_EQ(project->swfwd, 900);
  EXPECT_TRUE(project->hardcover);
  EXPECT_EQ(project->navbar->height, 45);
}

TEST(SettingsLoad, ObjectNameOnAScalarElementAndScalarTextOnAnObjectAreHarmless) {
  const auto project = Load(Element("navbar", "12") + Element("swfwd", Element("height", "3")));
  EXPECT_EQ(project->navbar->height, 45);
  EXPECT_EQ(project->swfwd, 3);  // the element's text content, at any depth
}

std::string Nested(int depth, const std::string& text) {
  std::string nested;
  for (int i = 0; i < depth; ++i) nested += "<a>";
  nested += text;
  for (int i = 0; i < depth; ++i) nested += "</a>";
  return nested;
}

// Text deep inside an element still counts; a document nested past the parser's depth limit is
// refused instead of exhausting the stack.
TEST(SettingsLoad, DeeplyNestedElementTextIsReadWithinTheDepthLimit) {
  EXPECT_EQ(Load(Element("swfwd", Nested(200, "7")))->swfwd, 7);
  EXPECT_THROW(Load(Element("swfwd", Nested(300000, "7"))), Error);
}

TEST(SettingsLoad, DocumentElementNameIsNotExamined) {
  TLMProject project;
  project.LoadFromStream("<book><swfwd>5</swfwd></book>");
  EXPECT_EQ(project.swfwd, 5);
}

TEST(SettingsLoad, MalformedDocumentRaises) {
  TLMProject project;
  EXPECT_THROW(project.LoadFromStream("<project><swfwd>5</swfwd>"), Error);
  EXPECT_THROW(project.LoadFromStream(""), Error);
}

TEST(SettingsLoad, TextIsKeptAsWrittenInUtf8) {
  const auto project = Load(Element("exetitle",
                                    "B\xC3\xBC"
                                    "cher &amp; Co ") +
                            Element("password", " p w "));
  EXPECT_EQ(project->exetitle,
            "B\xC3\xBC"
            "cher & Co ");
  EXPECT_EQ(project->password, " p w ");
}

TEST(SettingsLoad, Utf16DocumentWithByteOrderMark) {
  const std::string text = "<project><exetitle>\xC3\xA9t\xC3\xA9</exetitle></project>";
  std::string bytes = "\xFF\xFE";
  // Every character here is in the Basic Latin or Latin-1 range: one code unit each.
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0xC3) {
      bytes += static_cast<char>(0x40 + static_cast<unsigned char>(text[++i]));
      bytes += '\0';
    } else {
      bytes += static_cast<char>(c);
      bytes += '\0';
    }
  }
  TLMProject project;
  project.LoadFromStream(bytes);
  EXPECT_EQ(project.exetitle, "\xC3\xA9t\xC3\xA9");
}

// A document as the authoring side writes it, with every property away from its default.
const char* const kFullDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<project>
  <booksizetype>2</booksizetype><swfwd>1024</swfwd><swfht>768</swfht>
  <templatename>Classic</templatename><videoskin>02</videoskin>
  <videoskincolor>4278190080</videoskincolor><pagewidth>500</pagewidth><pageheight>700</pageheight>
  <title><value>My Book</value><color>255</color><size>14</size><font>Arial</font>
    <bold>True</bold><italic>True</italic><underline>True</underline>
    <url>https://example.org/book</url></title>
  <pagination><usepagination>False</usepagination><color>65280</color><size>9</size>
    <font>Verdana</font><bold>True</bold><italic>True</italic><underline>True</underline></pagination>
  <right2left>True</right2left><hardcover>True</hardcover><hardpage>True</hardpage>
  <pagethickness>0.4</pagethickness><spinecurvature>-0.75</spinecurvature>
  <spinecolor>1118481</spinecolor><gaaccount>UA-1-1</gaaccount><landscape>True</landscape>
  <canclose>False</canclose><centercovor>False</centercovor>
  <navbar><usetop>False</usetop><usebottom>False</usebottom><usefile>False</usefile>
    <color>1193046</color><name>Dark</name><topfile>top.png</topfile>
    <bottomfile>bottom.png</bottomfile><height>50</height><scale9grid>1,2,3,4</scale9grid>
    <backgroundrepeat>True</backgroundrepeat><alpha>80</alpha><anchors_top>0,0,100</anchors_top>
    <anchors_bottom>0,500,100</anchors_bottom><left>3</left><right>4</right>
    <pos_>1000</pos_><size_>200</size_></navbar>
  <navbtn><name>Round</name><margin_lt_x>1</margin_lt_x><margin_lt_y>2</margin_lt_y>
    <margin_lb_x>3</margin_lb_x><margin_lb_y>4</margin_lb_y><margin_rt_x>6</margin_rt_x>
    <margin_rb_x>7</margin_rb_x><firstpage>False</firstpage><previous>False</previous>
    <play>False</play><thumbnail>False</thumbnail><fullscreen>False</fullscreen>
    <music>False</music><print>False</print><toc>False</toc><zoomin>False</zoomin>
    <zoombar>False</zoombar><share>False</share><download>True</download>
    <bookmarks>False</bookmarks><email>False</email><search>True</search>
    <searchbox>False</searchbox><usekey>False</usekey><keyfullscreen>1</keyfullscreen>
    <keyprevpage>2</keyprevpage><keynextpage>3</keynextpage><keyfirstpage>4</keyfirstpage>
    <keylastpage>5</keylastpage><keyzoomin>6</keyzoomin><keyzoomout>7</keyzoomout>
    <pos_>3000</pos_><size_>300</size_></navbtn>
  <background><usefile>True</usefile><usegradient>True</usegradient>
    <gradienttype>linear</gradienttype><color>1</color><color2>2</color2>
    <filename>C:\res\bg.jpg</filename><filenamesrc>bg.jpg</filenamesrc>
    <backgroundrepeat>True</backgroundrepeat><scale9grid>5,5,5,5</scale9grid>
    <filltype>Stretch</filltype><width>800</width><height>600</height><alpha>0.5</alpha>
    <anchors>0,0</anchors><pos_>5000</pos_><size_>500</size_></background>
  <usepassword>True</usepassword><password>secret</password><pwstart>3</pwstart>
  <dragspeed>0.75</dragspeed><dragarea>top</dragarea><dragrange>full</dragrange>
  <slidedelay>5</slidedelay><sliderepeat>True</sliderepeat><slidestart>True</slidestart>
  <handcursor>False</handcursor><layoutfile>C:\layout.xml</layoutfile>
  <preloader><filename>start.swf</filename><pos_>6000</pos_><size_>600</size_></preloader>
  <logo><usefile>True</usefile><filename>logo.PNG</filename><position>logo_right_top</position>
    <width>64</width><height>32</height><url>https://example.org/</url>
    <pos_>7000</pos_><size_>700</size_></logo>
  <toc><filename>res\toc.xml</filename><pos_>8000</pos_><size_>800</size_></toc>
  <bgsound>False</bgsound><pagesound>False</pagesound><maxloaded>10</maxloaded>
  <cornerhint>False</cornerhint><reflection>True</reflection>
  <reflectionalpha>0.5</reflectionalpha><reflectionfade>True</reflectionfade>
  <reflectionoffset>4</reflectionoffset><zoomsnap>1,2</zoomsnap><zoomminscale>0.5</zoomminscale>
  <zoomdoubleclick>True</zoomdoubleclick><useminfixzoom>False</useminfixzoom>
  <pos_bookinfo_>11</pos_bookinfo_><size_bookinfo_>12</size_bookinfo_>
  <pos_mag_>13</pos_mag_><size_mag_>14</size_mag_><pos_toolbar_>15</pos_toolbar_>
  <size_toolbar_>16</size_toolbar_><pos_input_>17</pos_input_><size_input_>18</size_input_>
  <pos_vs_>19</pos_vs_><size_vs_>20</size_vs_><pos_thumbswf_>21</pos_thumbswf_>
  <size_thumbswf_>22</size_thumbswf_><fullscreenopened>True</fullscreenopened>
  <marginleft>1</marginleft><marginright>2</marginright><margintop>3</margintop>
  <marginbottom>4</marginbottom><minimode>False</minimode><miniwidth>320</miniwidth>
  <miniheight>240</miniheight><tag_title>Title</tag_title><tag_keywords>a,b</tag_keywords>
  <tag_description>About</tag_description><tag_generator>Generator</tag_generator>
  <exetitle>My Book Title</exetitle>
  <settings><genmobile>False</genmobile><genthumbnail>True</genthumbnail>
    <extractpdflink>False</extractpdflink><extracttoc>False</extracttoc></settings>
</project>
)";

// Every scalar property of `loaded` (sub-objects included) differs from a fresh object's.
void ExpectEveryPropertyChanged(const TLMBasicProject& loaded, const TLMBasicProject& fresh) {
  for (const TLMPropertyInfo* property : loaded.ClassInfo().Properties()) {
    SCOPED_TRACE(std::string(loaded.ClassInfo().ClassName()) + "." + std::string(property->name));
    if (property->kind == TPropKind::Object) {
      ExpectEveryPropertyChanged(*property->object(loaded), *property->object(fresh));
    } else if (property->kind != TPropKind::Int64) {
      EXPECT_NE(property->get(loaded), property->get(fresh));
    }
  }
}

TEST(SettingsLoad, DocumentWithEveryPropertySetLoads) {
  TLMProject project;
  project.LoadFromStream(kFullDocument);
  ExpectEveryPropertyChanged(project, TLMProject());

  EXPECT_EQ(project.exetitle, "My Book Title");
  EXPECT_EQ(project.videoskincolor, 3425907507);
  EXPECT_EQ(project.title->value, "My Book");
  EXPECT_EQ(project.pagination->font, "Verdana");
  EXPECT_EQ(project.navbar->color, 1193046u);  // loaded values are not swapped
  EXPECT_EQ(project.navbtn->keyzoomout, 7);
  EXPECT_TRUE(project.navbtn->download);
  EXPECT_EQ(project.background->filename, "C:\\res\\bg.jpg");
  EXPECT_EQ(project.background->alpha, 0.5);
  EXPECT_EQ(project.logo->pos_, 7000u);
  EXPECT_EQ(project.toc->size_, 800u);
  EXPECT_EQ(project.preloader->filename, "start.swf");
  EXPECT_EQ(project.pagethickness, 0.4);
  EXPECT_EQ(project.pos_thumbswf_, 21u);
  EXPECT_FALSE(project.settings->extracttoc);
}

TEST(SettingsAssign, CopiesEveryPropertyIntoTheExistingSubObjects) {
  TLMProject source;
  source.LoadFromStream(kFullDocument);
  source.videoskincolor = 7;
  TLMProject target;
  const TLMNavBar* targetNavBar = target.navbar.get();
  target.Assign(source);
  ExpectSameValues(target, source);
  EXPECT_EQ(target.videoskincolor, 7);
  EXPECT_EQ(target.navbar.get(), targetNavBar);
}

}  // namespace
