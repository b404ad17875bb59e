// The XML document facility: declared encodings, refusal of documents that are not well formed,
// entities and attribute defaults of the document's own DTD, nothing read from outside, and saves
// that always parse.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Os.h"
#include "platform/Xml.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

std::string Declared(const std::string& encoding, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>" + body;
}

std::string TitleOf(const std::string& bytes) {
  platform::XmlDocument document;
  document.LoadFromBytes(bytes);
  return document.DocumentElement().Attribute("title").value_or("(none)");
}

struct EncodingCase {
  const char* label;
  std::string bytes;
  std::string title;  // UTF-8
};

void PrintTo(const EncodingCase& c, std::ostream* os) {
  *os << c.label;
}

class DeclaredEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(DeclaredEncoding, IsReadAsUtf8Text) {
  EXPECT_EQ(TitleOf(GetParam().bytes), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DeclaredEncoding,
    testing::Values(
        EncodingCase{"Windows1252", Declared("windows-1252", "<book title=\"caf\xE9 \x80\"/>"),
                     "caf\xC3\xA9 \xE2\x82\xAC"},
        EncodingCase{"Windows1251",
                     Declared("windows-1251", "<book title=\"\xCA\xED\xE8\xE3\xE0\"/>"),
                     "\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0"},
        EncodingCase{"Gbk", Declared("GBK", "<book title=\"\xD6\xD0\xCE\xC4\"/>"),
                     "\xE4\xB8\xAD\xE6\x96\x87"},
        EncodingCase{"Latin1InCapitals", Declared("ISO-8859-1", "<book title=\"\xFC\"/>"),
                     "\xC3\xBC"},
        EncodingCase{"Utf8ByDefault", "<book title=\"\xC3\xBC\"/>", "\xC3\xBC"},
        EncodingCase{"Utf8MarkWithoutDeclaration", "\xEF\xBB\xBF<book title=\"\xC3\xBC\"/>",
                     "\xC3\xBC"},
        EncodingCase{"Utf8MarkDeclaredUtf8",
                     "\xEF\xBB\xBF" + Declared("utf-8", "<book title=\"\xC3\xBC\"/>"), "\xC3\xBC"},
        EncodingCase{"Utf16BigEndianBom",
                     std::string("\xFE\xFF\0<\0b\0 \0t\0i\0t\0l\0e\0=\0\"\0\xFC\0\"\0/\0>", 30),
                     "\xC3\xBC"}),
    [](const auto& info) { return info.param.label; });

struct RefusedCase {
  const char* label;
  std::string bytes;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
  *os << c.label;
}

class NotWellFormed : public testing::TestWithParam<RefusedCase> {};

TEST_P(NotWellFormed, IsRefusedWithTheParsersMessageAndNothingOnStderr) {
  platform::XmlDocument document;
  testing::internal::CaptureStderr();
  std::string message;
  try {
    document.LoadFromBytes(GetParam().bytes);
  } catch (const Error& error) {
    message = error.Message();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(message, "");
  EXPECT_FALSE(document.DocumentElement());
}

// Doubling entities: 10^9 copies of "lol" from a few hundred bytes.
std::string BillionLaughs() {
  std::string dtd = "<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return "<!DOCTYPE b [" + dtd + "]><b title=\"&l9;\">&l9;</b>";
}

// One 100 kB entity referenced 100 000 times: 10 GB of text from 400 kB.
std::string QuadraticBlowup() {
  std::string refs;
  for (int i = 0; i < 100000; ++i) refs += "&e;";
  return "<!DOCTYPE b [<!ENTITY e \"" + std::string(100000, 'x') + "\">]><b>" + refs + "</b>";
}

// One 100 kB attribute default supplied to 100 000 empty elements: 10 GB from 400 kB.
std::string DefaultAttributeBlowup() {
  std::string elements;
  for (int i = 0; i < 100000; ++i) elements += "<e/>";
  return "<!DOCTYPE b [<!ATTLIST e v CDATA \"" + std::string(100000, 'x') + "\">]><b>" + elements +
         "</b>";
}

INSTANTIATE_TEST_SUITE_P(
    Documents, NotWellFormed,
    testing::Values(
        RefusedCase{"Empty", ""}, RefusedCase{"TwoDocumentElements", "<a/><b/>"},
        RefusedCase{"TextAfterTheRoot", "<a/>text"},
        RefusedCase{"UndefinedEntity", "<a>&nbsp;</a>"},
        RefusedCase{"UndefinedEntityInAttribute", "<a title=\"&x;\"/>"},
        RefusedCase{"LessThanInAttribute", "<a title=\"<\"/>"},
        RefusedCase{"InvalidUtf8", "<a title=\"\xC3\x28\"/>"},
        RefusedCase{"DuplicateAttribute", "<a title=\"1\" title=\"2\"/>"},
        RefusedCase{"NulReference", "<a title=\"a&#0;b\"/>"},
        RefusedCase{"ControlCharacterReference", "<a title=\"&#x1;\"/>"},
        RefusedCase{"RawControlCharacter", "<a title=\"\x01\"/>"},
        RefusedCase{"UnclosedElement", "<a><b></a>"},
        RefusedCase{"SecondDeclaration", "<?xml version=\"1.0\"?> <?xml version=\"1.0\"?><a/>"},
        RefusedCase{"UnknownEncoding", Declared("x-no-such-encoding", "<a/>")},
        RefusedCase{"NotInTheDeclaredEncoding", Declared("GBK", "<a t=\"\x81\x20\xFF\"/>")},
        // Read as windows-1252 the UTF-8 text would come out garbled.
        RefusedCase{"Utf8MarkDeclaredWindows1252",
                    "\xEF\xBB\xBF" + Declared("windows-1252", "<a t=\"caf\xC3\xA9\"/>")},
        RefusedCase{"Utf8MarkDeclaredUtf16",
                    "\xEF\xBB\xBF" + Declared("UTF-16", "<a t=\"caf\xC3\xA9\"/>")},
        RefusedCase{"EntityLoop",
                    "<!DOCTYPE a [<!ENTITY x \"&y;\"><!ENTITY y \"&x;\">]><a>&x;</a>"},
        RefusedCase{"BillionLaughs", BillionLaughs()},
        RefusedCase{"QuadraticBlowup", QuadraticBlowup()},
        RefusedCase{"DefaultAttributeBlowup", DefaultAttributeBlowup()}),
    [](const auto& info) { return info.param.label; });

// A book document of some thousands of pages is past the ten million bytes the parser takes by
// default; past that size any entity declaration, the root of every entity bomb, is refused.
TEST(XmlLargeDocuments, LoadWhenTheyDeclareNoEntity) {
  const std::string page = "<page><elem><img src=\"res/pages/p.jpg\"/></elem></page>";
  std::string pages;
  while (pages.size() <= 12'000'000) pages += page;
  platform::XmlDocument document;
  document.LoadFromBytes("<?xml version=\"1.0\"?><book title=\"&amp;\">" + pages + "</book>");
  EXPECT_EQ(document.DocumentElement().Attribute("title"), "&");
  EXPECT_EQ(document.DocumentElement().Children().size(), pages.size() / page.size());

  const auto refusal = [](const std::string& bytes) {
    try {
      platform::XmlDocument large;
      large.LoadFromBytes(bytes);
    } catch (const Error& error) {
      return error.Message();
    }
    return std::string();
  };
  const std::string padding = "<!--" + std::string(10'000'000, ' ') + "-->";
  std::string laughs = BillionLaughs();
  EXPECT_NE(refusal(laughs.insert(laughs.find("<b "), padding)).find("may declare no entities"),
            std::string::npos);
  EXPECT_NE(refusal("<!DOCTYPE b [<!ENTITY e \"x\">]>" + padding + "<b>&e;</b>")
                .find("may declare no entities"),
            std::string::npos);
  EXPECT_NE(refusal("<!DOCTYPE b [<!ENTITY % p \"x\">]><b/>" + padding).find("no entities"),
            std::string::npos);
}

TEST(XmlEntities, InternalEntitiesAreExpandedInAttributesAndContent) {
  platform::XmlDocument document;
  document.LoadFromBytes(
      "<!DOCTYPE book [<!ENTITY t \"Tea &amp; &#x4E2D;\"><!ENTITY p \"<page n='&t;'/>\">]>"
      "<book title=\"&t;!\">&p;<x>&t;</x>&p;</book>");
  const platform::XmlNode book = document.DocumentElement();
  EXPECT_EQ(book.Attribute("title"), "Tea & \xE4\xB8\xAD!");
  int pages = 0;
  for (const platform::XmlNode& child : book.Children()) {
    if (child.Name() != "page") continue;
    ++pages;
    EXPECT_EQ(child.Attribute("n"), "Tea & \xE4\xB8\xAD");
  }
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(book.Child("x").Text(), "Tea & \xE4\xB8\xAD");
}

// A non-validating reader supplies the defaults the internal subset declares, as attributes of
// their own; a value written in the document wins, and the DTD's limits leave room for many
// elements with short defaults.
TEST(XmlAttributeDefaults, AreSuppliedFromTheInternalSubset) {
  platform::XmlDocument document;
  std::string pages;
  for (int i = 0; i < 5000; ++i) pages += "<page/>";
  document.LoadFromBytes(
      "<!DOCTYPE book [<!ENTITY t \"Tea\"><!ATTLIST book title CDATA \"x &t;\" ltr CDATA #IMPLIED>"
      "<!ATTLIST page label CDATA \"iv\" src CDATA \"blank.png\">]><book>" +
      pages + "<page label=\"v\"/></book>");
  const platform::XmlNode book = document.DocumentElement();
  EXPECT_EQ(book.Attribute("title"), "x Tea");
  EXPECT_EQ(book.Attribute("ltr"), std::nullopt);
  ASSERT_EQ(book.Attributes().size(), 1u);
  EXPECT_EQ(book.Attributes()[0].name, "title");
  const std::vector<platform::XmlNode> children = book.Children();
  ASSERT_EQ(children.size(), 5001u);
  EXPECT_EQ(children.front().Attribute("label"), "iv");
  EXPECT_EQ(children.front().Attribute("src"), "blank.png");
  EXPECT_EQ(children.back().Attribute("label"), "v");
  EXPECT_EQ(children.back().Attribute("src"), "blank.png");
}

class ExternalEntities : public testing::Test {
 protected:
  ExternalEntities() : folder_(platform::TempPath() / ("bookstub-xml-" + platform::NewGuid())) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "secret.txt") << "SECRET";
    std::ofstream(folder_ / "decl.ent") << "<!ENTITY s \"SECRET\">";
  }
  ~ExternalEntities() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  std::string Url(const char* name) const { return "file://" + (folder_ / name).string(); }
  fs::path folder_;
};

// A declared external entity is never read: referring to it is an undeclared entity.
TEST_F(ExternalEntities, AreNeverRead) {
  const std::string documents[] = {
      "<!DOCTYPE a [<!ENTITY x SYSTEM \"" + Url("secret.txt") + "\">]><a>&x;</a>",
      "<!DOCTYPE a [<!ENTITY % p SYSTEM \"" + Url("decl.ent") + "\"> %p;]><a>&s;</a>",
      "<!DOCTYPE a SYSTEM \"" + Url("decl.ent") + "\"><a>&s;</a>",
      "<!DOCTYPE a [<!ENTITY x SYSTEM \"http://127.0.0.1:9/x\">]><a>&x;</a>"};
  for (const std::string& bytes : documents) {
    platform::XmlDocument document;
    try {
      document.LoadFromBytes(bytes);
      EXPECT_EQ(document.DocumentElement().Text().find("SECRET"), std::string::npos) << bytes;
    } catch (const Error&) {
      // Refusing the document is as good.
    }
  }
}

struct SavedCase {
  const char* label;
  std::string value;
  std::string reread;
};

void PrintTo(const SavedCase& c, std::ostream* os) {
  *os << c.label;
}

class SavedValue : public testing::TestWithParam<SavedCase> {};

// Whatever a value holds, the saved text parses again; characters XML forbids are left out
// and bytes that are not UTF-8 become U+FFFD.
TEST_P(SavedValue, AlwaysGivesAWellFormedUtf8Document) {
  platform::XmlDocument document;
  document.CreateDocumentElement("book").SetAttribute("title", GetParam().value);
  const std::string text = document.SaveToText();
  platform::XmlDocument reread;
  ASSERT_NO_THROW(reread.LoadFromText(text)) << text;
  EXPECT_EQ(reread.DocumentElement().Attribute("title"), GetParam().reread) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, SavedValue,
    testing::Values(SavedCase{"Markup", "<a & \"b\" 'c'>", "<a & \"b\" 'c'>"},
                    SavedCase{"Blanks", "a\tb\nc\rd", "a\tb\nc\rd"},
                    SavedCase{"Nul", std::string("a\0b", 3), "ab"},
                    SavedCase{"ControlCharacters",
                              "a\x01\x1F\x7F"
                              "b",
                              "a\x7F"
                              "b"},
                    SavedCase{"NonCharacters",
                              "a\xEF\xBF\xBE\xEF\xBF\xBF"
                              "b",
                              "ab"},
                    SavedCase{"StrayByte",
                              "a\xFF"
                              "b",
                              "a\xEF\xBF\xBD"
                              "b"},
                    SavedCase{"TruncatedSequence", "a\xE4\xB8", "a\xEF\xBF\xBD\xEF\xBF\xBD"},
                    SavedCase{"Overlong", "\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
                    SavedCase{"Surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
                    SavedCase{"FourByteCharacter", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"}),
    [](const auto& info) { return info.param.label; });

// Text beyond ASCII is saved as its UTF-8 bytes, in values and in content, never as character
// references: the documents stay readable and their size does not grow fivefold.
TEST(SavedText, KeepsCharactersBeyondAsciiAsUtf8) {
  const std::string text = "gr\xC3\xBC\xC3\x9F \xE4\xB8\xAD";  // "grüß 中"
  platform::XmlDocument document;
  platform::XmlNode book = document.CreateDocumentElement("book");
  book.SetAttribute("title", text);
  book.AddChild("note").AddText(text);
  const std::string saved = document.SaveToText();
  EXPECT_EQ(saved.find("&#"), std::string::npos) << saved;
  EXPECT_NE(saved.find("title=\"" + text + "\""), std::string::npos) << saved;
  EXPECT_NE(saved.find(">" + text + "</note>"), std::string::npos) << saved;
}

}  // namespace
