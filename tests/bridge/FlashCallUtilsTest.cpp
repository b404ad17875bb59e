#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "bridge/FlashCallUtils.h"

namespace {

std::string Invoke(const std::string& name, const std::string& arguments = "<arguments/>") {
  return R"(<invoke name=")" + name + R"(" returntype="xml">)" + arguments + "</invoke>";
}

TEST(FlashParamParser, ReadsTheFunctionNameOfAnInvokeWithEmptyArguments) {
  const TFlashParamParser parser(Invoke("fullscreen_error", "<arguments></arguments>"));
  EXPECT_EQ(parser.GetFunctionName(), "fullscreen_error");
  EXPECT_TRUE(parser.HasArguments());
}

TEST(FlashParamParser, KeepsNonAsciiNamesAsUtf8) {
  const TFlashParamParser parser(Invoke("gr\xC3\xBC\xC3\x9F"));
  EXPECT_EQ(parser.GetFunctionName(), "gr\xC3\xBC\xC3\x9F");
}

struct EmptyNameCase {
  const char* label;
  std::string request;
};

// Keeps test listings to the label instead of the struct's raw bytes.
void PrintTo(const EmptyNameCase& c, std::ostream* os) {
  *os << c.label;
}

class FlashParamParserEmptyName : public testing::TestWithParam<EmptyNameCase> {};

TEST_P(FlashParamParserEmptyName, GivesAnEmptyNameWithoutError) {
  std::string name = "unset";
  EXPECT_NO_THROW(name = TFlashParamParser(GetParam().request).GetFunctionName());
  EXPECT_EQ(name, "");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FlashParamParserEmptyName,
    testing::Values(
        EmptyNameCase{"NotXml", "this is not xml at all"}, EmptyNameCase{"Empty", ""},
        EmptyNameCase{"Unclosed", R"(<invoke name="fullscreen_error">)"},
        EmptyNameCase{"NoNameAttribute", "<invoke><arguments/></invoke>"},
        EmptyNameCase{"OtherRoot", R"(<call name="fullscreen_error"/>)"},
        EmptyNameCase{"InvokeNotTopLevel", R"(<outer><invoke name="fullscreen_error"/></outer>)"},
        // Not well-formed, though an invoke element with the name can be found.
        EmptyNameCase{"SecondDocumentElement", R"(<a/><invoke name="fullscreen_error"/>)"},
        EmptyNameCase{"TwoInvokes", R"(<invoke name="fullscreen_error"/><invoke/>)"},
        EmptyNameCase{"LeadingGarbage", R"(garbage<invoke name="fullscreen_error"/>)"},
        EmptyNameCase{"TrailingText", R"(<invoke name="fullscreen_error"/>text)"},
        EmptyNameCase{"DuplicateName",
                      R"(<invoke name="fullscreen_error" name="fullscreen_error"/>)"},
        EmptyNameCase{"UndefinedEntity", R"(<invoke name="fullscreen_error">&nbsp;</invoke>)"},
        EmptyNameCase{"UndefinedEntityInName", R"(<invoke name="full&x;screen_error"/>)"},
        EmptyNameCase{"SecondDeclaration",
                      R"(<?xml version="1.0"?><invoke name="fullscreen_error"/>)"},
        EmptyNameCase{"LessThanInAttribute", R"(<invoke name="fullscreen_error" x="<"/>)"},
        EmptyNameCase{"InvalidUtf8", "<invoke name=\"fullscreen_error\" x=\"\xFF\"/>"},
        EmptyNameCase{"ControlCharacter", "<invoke name=\"fullscreen_error\" x=\"\x01\"/>"}),
    [](const testing::TestParamInfo<EmptyNameCase>& info) { return info.param.label; });

struct DecisionCase {
  const char* label;
  std::string request;
  FlashCallAction expected;
};

void PrintTo(const DecisionCase& c, std::ostream* os) {
  *os << c.label;
}

class FlashCallDecision : public testing::TestWithParam<DecisionCase> {};

TEST_P(FlashCallDecision, TogglesOnlyForTheExactCommand) {
  EXPECT_EQ(DecideFlashCall(GetParam().request), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FlashCallDecision,
    testing::Values(
        DecisionCase{"Command", Invoke("fullscreen_error"), FlashCallAction::ToggleFullscreen},
        DecisionCase{"CommandWithArguments",
                     Invoke("fullscreen_error", "<arguments><string>x</string></arguments>"),
                     FlashCallAction::ToggleFullscreen},
        DecisionCase{"UpperCase", Invoke("FULLSCREEN_ERROR"), FlashCallAction::Ignore},
        DecisionCase{"MixedCase", Invoke("Fullscreen_Error"), FlashCallAction::Ignore},
        DecisionCase{"Prefix", Invoke("fullscreen_error2"), FlashCallAction::Ignore},
        DecisionCase{"OtherName", Invoke("gotoPage"), FlashCallAction::Ignore},
        DecisionCase{
            "ScriptInArguments",
            Invoke("fullscreen_error", "<arguments><string>function(){}</string></arguments>"),
            FlashCallAction::Ignore},
        DecisionCase{"WordThatStartsLikeTheScriptMarker",
                     Invoke("fullscreen_error",
                            "<arguments><string>functional function</string></arguments>"),
                     FlashCallAction::ToggleFullscreen},
        DecisionCase{
            "ScriptMarkerIsCaseSensitive",
            Invoke("fullscreen_error", "<arguments><string>Function(</string></arguments>"),
            FlashCallAction::ToggleFullscreen},
        DecisionCase{"NotXml", "fullscreen_error", FlashCallAction::Ignore},
        DecisionCase{"MissingName", "<invoke><arguments/></invoke>", FlashCallAction::Ignore},
        DecisionCase{
            "Download",
            Invoke("download_file", "<arguments><string>res/downloads/a.pdf</string></arguments>"),
            FlashCallAction::SaveDownload},
        DecisionCase{"DownloadWithoutArgument", Invoke("download_file"), FlashCallAction::Ignore},
        DecisionCase{"DownloadOfANumber",
                     Invoke("download_file", "<arguments><number>1</number></arguments>"),
                     FlashCallAction::Ignore},
        DecisionCase{
            "DownloadOfTwoFiles",
            Invoke("download_file", "<arguments><string>a</string><string>b</string></arguments>"),
            FlashCallAction::Ignore},
        DecisionCase{"DownloadUpperCase",
                     Invoke("DOWNLOAD_FILE", "<arguments><string>a</string></arguments>"),
                     FlashCallAction::Ignore},
        DecisionCase{
            "DownloadWithScript",
            Invoke("download_file", "<arguments><string>function(){}</string></arguments>"),
            FlashCallAction::Ignore}),
    [](const testing::TestParamInfo<DecisionCase>& info) { return info.param.label; });

TEST(FlashCallDownload, GivesTheFileItNamesDecodedAndNothingForOtherCalls) {
  EXPECT_EQ(DownloadRequestPath(Invoke(
                "download_file",
                "<arguments>\n <string>res/downloads/a&amp;b \xC3\xA9.pdf</string>\n</arguments>")),
            "res/downloads/a&b \xC3\xA9.pdf");
  EXPECT_EQ(
      DownloadRequestPath(Invoke("download_file", "<arguments><string></string></arguments>")), "");
  EXPECT_EQ(
      DownloadRequestPath(Invoke("fullscreen_error", "<arguments><string>x</string></arguments>")),
      std::nullopt);
  EXPECT_EQ(DownloadRequestPath("not a request"), std::nullopt);
}

}  // namespace
