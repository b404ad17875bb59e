// Reading the book document: attribute conversions, the logged abort on a bad attribute, child
// element scalars, ignored names, list replacement and the page-element class choice.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "BookTestSupport.h"
#include "log/ZanLog.h"
#include "model/book/MPageElements.h"
#include "model/book/MProjects.h"
#include "util/Error.h"

namespace {

using booktest::BookFrom;

// ---------------------------------------------------------------------------------------------
// Attribute conversions

struct AttrCase {
  std::string label;
  std::string element;  // the document element, holding the attribute under test
  std::string property;
  std::optional<TPropValue> expected;  // nullopt: the load fails with `error`
  std::string error;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const AttrCase& c, std::ostream* os) {
  *os << c.label;
}

std::unique_ptr<TMBasicObject> Load(const std::string& element) {
  std::unique_ptr<TMBasicObject> object;
  if (element.rfind("<vid", 0) == 0)
    object = std::make_unique<TMVid>();
  else if (element.rfind("<chapter", 0) == 0)
    object = std::make_unique<TMChapter>();
  else
    object = std::make_unique<TMBook>();
  booktest::LoadInto(*object, element);
  return object;
}

class AttributeConversion : public testing::TestWithParam<AttrCase> {};

TEST_P(AttributeConversion, ConvertsByPropertyKindOrRaises) {
  const AttrCase& c = GetParam();
  if (!c.expected) {
    try {
      Load(c.element);
      FAIL() << "no error for " << c.element;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), c.error);
    }
    return;
  }
  const auto object = Load(c.element);
  const TPropInfo* prop = object->ClassInfo().Find(c.property);
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(prop->get(*object), *c.expected) << booktest::Describe(prop->get(*object));
}

const AttrCase kAttrCases[] = {
    {"BooleanInCapitals", R"(<book ignoresyslang="TRUE"/>)", "ignoresyslang", true, ""},
    {"BooleanMixedCase", R"(<book ltr="fAlSe"/>)", "ltr", false, ""},
    {"BooleanYes", R"(<book ltr="yes"/>)", "ltr", std::nullopt,
     "'yes' is not a valid boolean value"},
    {"BooleanOne", R"(<book ltr="1"/>)", "ltr", std::nullopt, "'1' is not a valid boolean value"},
    {"Int64Colour", R"(<book bgcolor="4291611852"/>)", "bgcolor", std::int64_t{4291611852}, ""},
    {"Int64OnVideo", R"(<vid guicolor="-9000000000"/>)", "guicolor", std::int64_t{-9000000000}, ""},
    {"Int64OnChapter", R"(<chapter bgcolor="4291611852"/>)", "bgcolor", std::int64_t{4291611852},
     ""},
    {"IntegerOutOfRange", R"(<book pagewidth="4291611852"/>)", "pagewidth", std::nullopt,
     "'4291611852' is not a valid integer value"},
    {"IntegerMinimum", R"(<book pagewidth="-2147483648"/>)", "pagewidth",
     std::int32_t{-2147483647 - 1}, ""},
    {"IntegerJustTooLarge", R"(<book pagewidth="2147483648"/>)", "pagewidth", std::nullopt,
     "'2147483648' is not a valid integer value"},
    {"IntegerTrailingLetters", R"(<book pagewidth="12px"/>)", "pagewidth", std::nullopt,
     "'12px' is not a valid integer value"},
    {"IntegerEmpty", R"(<book pagewidth=""/>)", "pagewidth", std::nullopt,
     "'' is not a valid integer value"},
    {"IntegerPlusSign", R"(<book pagewidth="+640"/>)", "pagewidth", std::int32_t{640}, ""},
    {"IntegerTwoSigns", R"(<book pagewidth="+-640"/>)", "pagewidth", std::nullopt,
     "'+-640' is not a valid integer value"},
    {"CardinalMaximum", R"(<book spinecolor="4294967295"/>)", "spinecolor",
     std::uint32_t{4294967295u}, ""},
    {"CardinalTooLarge", R"(<book spinecolor="4294967296"/>)", "spinecolor", std::nullopt,
     "'4294967296' is not a valid integer value"},
    {"CardinalNegative", R"(<book pos_search_="-1"/>)", "pos_search_", std::nullopt,
     "'-1' is not a valid integer value"},
    {"DoubleWithPoint", R"(<book foldfx="0.949579831932773"/>)", "foldfx", 0.949579831932773, ""},
    {"DoubleNegative", R"(<book spinecurvature="-0.25"/>)", "spinecurvature", -0.25, ""},
    {"DoubleExponent", R"(<book thumbscale="1e-3"/>)", "thumbscale", 0.001, ""},
    {"DoubleTwoSigns", R"(<book spinecurvature="+-0.25"/>)", "spinecurvature", std::nullopt,
     "'+-0.25' is not a valid floating point value"},
    {"DoubleWithComma", R"(<book foldfx="1,5"/>)", "foldfx", std::nullopt,
     "'1,5' is not a valid floating point value"},
    {"DoubleInfinity", R"(<book foldfx="inf"/>)", "foldfx", std::nullopt,
     "'inf' is not a valid floating point value"},
    {"DoubleUnderflow", R"(<book foldfx="1e-400"/>)", "foldfx", 0.0, ""},
    {"DoubleNegativeUnderflow", R"(<book spinecurvature="-0.1e-330"/>)", "spinecurvature", -0.0,
     ""},
    {"DoubleSubnormal", R"(<book foldfx="4.9e-324"/>)", "foldfx", 4.9e-324, ""},
    {"DoubleOverflow", R"(<book foldfx="1e400"/>)", "foldfx", std::nullopt,
     "'1e400' is not a valid floating point value"},
    {"StringUnchanged", R"(<book title="  A &amp; B &lt;c&gt; "/>)", "title",
     std::string("  A & B <c> "), ""},
    {"WideStringUtf8", R"(<book thumbpath="res/Ünïcødé/页_{{num}}.png"/>)", "thumbpath",
     std::string("res/Ünïcødé/页_{{num}}.png"), ""},
    {"NameInOtherCase", R"(<book PageWidth="5"/>)", "pagewidth", std::int32_t{5}, ""},
};

INSTANTIATE_TEST_SUITE_P(ByKind, AttributeConversion, testing::ValuesIn(kAttrCases),
                         [](const auto& info) { return info.param.label; });

// ---------------------------------------------------------------------------------------------
// The abort on a bad attribute, with its log line

class LoggedAbort : public testing::Test {
 protected:
  void SetUp() override {
    logFile_ =
        std::filesystem::temp_directory_path() /
        ("bookmodel_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
         ".txt");
    std::filesystem::remove(logFile_);
    AppLog = std::make_unique<TZanLog>(logFile_);
  }
  void TearDown() override {
    AppLog.reset();
    std::filesystem::remove(logFile_);
  }
  std::string LogText() const {
    std::ifstream in(logFile_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // The log holds exactly one line, carrying `message` after the time stamp.
  void ExpectSingleLine(const std::string& message) const {
    const std::string text = LogText();
    static const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d    )");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, stamp)) << text;
    EXPECT_EQ(text.substr(match.length()), message + "\r\n");
  }

  std::filesystem::path logFile_;
};

TEST_F(LoggedAbort, BadBooleanLogsOneLineAndLeavesTheRestUnread) {
  TMBook book;
  try {
    book.LoadFromStream(
        R"(<book title="Kept" ltr="yes" pagewidth="640"><Chapters><chapter/></Chapters></book>)");
    FAIL() << "the load did not fail";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "'yes' is not a valid boolean value");
  }
  ExpectSingleLine(
      "Error on LoadXMLAttr:'yes' is not a valid boolean value  PropName:ltr  PropValue:yes");
  EXPECT_EQ(book.title, "Kept");
  EXPECT_TRUE(book.ltr);
  EXPECT_EQ(book.pagewidth, 0);
  EXPECT_EQ(book.Chapters->Count(), 0);
}

TEST_F(LoggedAbort, DeepBadAttributeAbortsTheWholeBookNamingTheAttributeAsWritten) {
  TMBook book;
  EXPECT_THROW(book.LoadFromStream(R"(<book><Chapters><chapter><Pages><page><elem>
      <img src="a.swf" Width="4291611852"/></elem></page></Pages></chapter></Chapters></book>)"),
               Error);
  ExpectSingleLine(
      "Error on LoadXMLAttr:'4291611852' is not a valid integer value  PropName:Width  "
      "PropValue:4291611852");
}

TEST_F(LoggedAbort, BadChildElementScalarRaisesWithoutALogLine) {
  TMBook book;
  EXPECT_THROW(book.LoadFromStream("<book><ltr>maybe</ltr></book>"), Error);
  EXPECT_EQ(LogText(), "");
}

TEST_F(LoggedAbort, MalformedDocumentRaisesAndLeavesTheDefaults) {
  TMBook book;
  EXPECT_THROW(book.LoadFromStream("<book title=\"x\"><Chapters></book>"), Error);
  EXPECT_EQ(book.title, "");
  EXPECT_EQ(LogText(), "");
}

// ---------------------------------------------------------------------------------------------
// Names that are ignored, child-element scalars, documents as stored

TEST(BookReading, EmptyBookElementKeepsEveryDefault) {
  const auto book = BookFrom("<book/>");
  TMBook fresh;
  fresh.uid = book->uid;
  EXPECT_EQ(booktest::DeepDifference(*book, fresh), "");
}

TEST(BookReading, UnknownNamesAndAttributesNamingObjectsAreIgnored) {
  const auto book = BookFrom(
      R"(<book Chapters="3" background="red" nosuch="1" title="T"><nosuch><x/></nosuch></book>)");
  EXPECT_EQ(book->title, "T");
  EXPECT_EQ(book->Chapters->Count(), 0);
  EXPECT_EQ(book->background->box->background, "");
}

TEST(BookReading, MobileFileAddressesAreReadOnlyUnderTheirExactNames) {
  const auto book = BookFrom(R"(<book><Chapters><chapter><Pages>
      <page pos_mobilefile2="100" size_mobilefile2="20" pos_mobilefile2_="7" size_mobilefile2_="8"/>
      </Pages></chapter></Chapters></book>)");
  const TMPage& page = book->Chapters->Items(0).Pages->Items(0);
  EXPECT_EQ(page.pos_mobilefile2, 100u);
  EXPECT_EQ(page.size_mobilefile2, 20u);
}

TEST(BookReading, ChildElementScalarsFollowTheirOwnRules) {
  const auto book = BookFrom(R"(<book>
      <pagewidth>640</pagewidth>
      <miniwidth>abc</miniwidth>
      <spinecolor>4000000000</spinecolor>
      <pos_search_>-1</pos_search_>
      <foldfx>0.75</foldfx>
      <pagethickness>0,5</pagethickness>
      <bgcolor>5</bgcolor>
      <LTR>FALSE</LTR>
      <title>Te<b>x</b>t</title>
    </book>)");
  EXPECT_EQ(book->pagewidth, 640);
  EXPECT_EQ(book->miniwidth, 0);
  EXPECT_EQ(book->spinecolor, 4000000000u);
  EXPECT_EQ(book->pos_search_, 0u);  // an unsigned property reads a negative number as 0
  EXPECT_DOUBLE_EQ(book->foldfx, 0.75);
  EXPECT_EQ(book->pagethickness, 0.0);  // "," is not the decimal separator of this locale
  EXPECT_EQ(book->bgcolor, 13421772);   // 64-bit properties are never read from elements
  EXPECT_FALSE(book->ltr);
  EXPECT_EQ(book->title, "Text");
}

TEST(BookReading, DocumentEncodingComesFromItsByteOrderMark) {
  const std::u16string text = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><book title=\"Ü页\"/>";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  EXPECT_EQ(BookFrom(bytes)->title, "Ü页");
  EXPECT_EQ(BookFrom("\xEF\xBB\xBF<anyname title=\"Ü\"/>")->title, "Ü");
}

// ---------------------------------------------------------------------------------------------
// Lists

TEST(ListReading, ASecondLoadReplacesItemsButObjectsKeepUnnamedProperties) {
  TMBook book;
  book.LoadFromStream(R"(<book title="First"><Chapters>
      <chapter fade="5"/><chapter fade="6"/></Chapters>
      <background><box width="30"/></background></book>)");
  ASSERT_EQ(book.Chapters->Count(), 2);
  book.LoadFromStream(
      R"(<book pagewidth="7"><Chapters><chapter bgsound="s.mp3"/></Chapters>
      <background><box height="40"/></background></book>)");
  EXPECT_EQ(book.title, "First");
  EXPECT_EQ(book.pagewidth, 7);
  ASSERT_EQ(book.Chapters->Count(), 1);
  EXPECT_EQ(book.Chapters->Items(0).fade, 1000);
  EXPECT_EQ(book.Chapters->Items(0).bgsound, "s.mp3");
  EXPECT_EQ(book.background->box->width, 30);
  EXPECT_EQ(book.background->box->height, 40);
}

TEST(ListReading, EveryChildElementBecomesAnItemWhateverItsName) {
  const auto book = BookFrom(R"(<book><Chapters><chapter><Pages>
      <page/> text between <spreadpage/><!-- note --><whatever stiff="true"/>
      </Pages></chapter><x/></Chapters></book>)");
  ASSERT_EQ(book->Chapters->Count(), 2);
  const TMPages& pages = *book->Chapters->Items(0).Pages;
  ASSERT_EQ(pages.Count(), 3);
  EXPECT_TRUE(pages.Items(2).stiff);
  EXPECT_FALSE(pages.Items(1).isSimplePage());  // the element name says nothing
}

TEST(ListReading, EmptyElemGivesAnEmptyList) {
  const auto book = BookFrom(
      "<book><Chapters><chapter><Pages><page><elem/></page></Pages></chapter></Chapters></book>");
  EXPECT_EQ(book->Chapters->Items(0).Pages->Items(0).elem->Count(), 0);
}

// ---------------------------------------------------------------------------------------------
// The page-element class choice

struct ClassChoice {
  std::string element;
  std::string className;
};

void PrintTo(const ClassChoice& c, std::ostream* os) {
  *os << c.element;
}

class ElementClassChoice : public testing::TestWithParam<ClassChoice> {};

TEST_P(ElementClassChoice, ExactElementNameChoosesTheClass) {
  const ClassChoice& c = GetParam();
  TMPage page;
  booktest::LoadInto(page,
                     "<page><elem><" + c.element + R"( left="3" src="a.swf"/></elem></page>)");
  ASSERT_EQ(page.elem->Count(), 1);
  const TBasicVisualPageElement& item = page.elem->Items(0);
  EXPECT_EQ(item.ClassInfo().ClassName(), c.className);
  EXPECT_EQ(item.left, 3);
  EXPECT_EQ(item.Owner(), page.elem.get());
  if (const auto* file = dynamic_cast<const TBasicVisualPageFileElement*>(&item)) {
    EXPECT_EQ(file->src(), "a.swf");
  }
}

INSTANTIATE_TEST_SUITE_P(ByName, ElementClassChoice,
                         testing::Values(ClassChoice{"img", "TMImg"}, ClassChoice{"snd", "TMSnd"},
                                         ClassChoice{"vid", "TMVid"}, ClassChoice{"gif", "TMGif"},
                                         ClassChoice{"area", "TMArea"}, ClassChoice{"txt", "TMTxt"},
                                         ClassChoice{"IMG", "TBasicVisualPageElement"},
                                         ClassChoice{"Snd", "TBasicVisualPageElement"},
                                         ClassChoice{"picture", "TBasicVisualPageElement"}),
                         [](const auto& info) { return info.param.element; });

TEST(PageElementReading, TextBoxRotationIsTheOneRotationAttribute) {
  TMPage page;
  booktest::LoadInto(page, R"(<page><elem><txt rotation="90"/></elem></page>)");
  const auto& txt = dynamic_cast<const TMTxt&>(page.elem->Items(0));
  EXPECT_EQ(txt.rotation, 90);
  EXPECT_EQ(booktest::SavedAttributes(txt).find("rotation=\"90\""),
            booktest::SavedAttributes(txt).rfind("rotation="));
}

TEST(PageElementReading, SourceExtensionSetsThePictureElementName) {
  TMImg img;
  img.SetSrc("res/pages/Anim.GIF");
  EXPECT_EQ(img.ElementName(), "gif");
  img.SetSrc("res\\pages\\page_0000.swf");
  EXPECT_EQ(img.ElementName(), "img");
  img.SetSrc("res/x.gif/page.swf");
  EXPECT_EQ(img.ElementName(), "img");

  TMPage page;
  booktest::LoadInto(page, R"(<page><elem><img SRC="res/a.Gif"/></elem></page>)");
  EXPECT_EQ(page.elem->Items(0).ElementName(), "gif");
}

TEST(PageElementReading, SimplePageFlagSetsTheSpreadPageElementName) {
  TMPage page;
  booktest::LoadInto(page, R"(<page isSimplePage="true"/>)");
  EXPECT_TRUE(page.isSimplePage());
  EXPECT_EQ(page.ElementName(), "spreadpage");
  page.SetIsSimplePage(false);
  EXPECT_EQ(page.ElementName(), "page");
}

}  // namespace
