// Defaults of a freshly constructed settings object of every class, checked property by property
// (name, order, kind, value) against tables written out by hand from the documented defaults.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/settings/LMProjects.h"

namespace {

using Kind = TPropKind;

struct Expected {
  std::string name;
  Kind kind;
  TPropValue value;       // scalar kinds
  std::string className;  // object kinds
};

Expected I(std::string n, std::int32_t v) {
  return {n, Kind::Integer, v, {}};
}
Expected C(std::string n, std::uint32_t v) {
  return {n, Kind::Cardinal, v, {}};
}
Expected B(std::string n, bool v) {
  return {n, Kind::Boolean, v, {}};
}
Expected D(std::string n, double v) {
  return {n, Kind::Double, v, {}};
}
Expected S(std::string n, std::string v) {
  return {n, Kind::String, v, {}};
}
Expected W(std::string n, std::string v) {
  return {n, Kind::WideString, v, {}};
}
Expected L(std::string n, std::int64_t v) {
  return {n, Kind::Int64, v, {}};
}
Expected O(std::string n, std::string cls) {
  return {n, Kind::Object, {}, cls};
}

struct ClassCase {
  std::string name;
  std::function<std::unique_ptr<TLMBasicProject>()> create;
  std::vector<Expected> properties;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const ClassCase& c, std::ostream* os) {
  *os << c.name;
}

template <typename T>
std::function<std::unique_ptr<TLMBasicProject>()> Maker() {
  return [] { return std::make_unique<T>(); };
}

const std::vector<Expected> kBackground = {B("usefile", false),
                                           B("usegradient", false),
                                           S("gradienttype", "radial"),
                                           C("color", 0),
                                           C("color2", 10066329),
                                           W("filename", ""),
                                           W("filenamesrc", ""),
                                           B("backgroundrepeat", false),
                                           S("scale9grid", ""),
                                           S("filltype", ""),
                                           I("width", 0),
                                           I("height", 0),
                                           D("alpha", 1),
                                           S("anchors", ""),
                                           I("pos_", 0),
                                           C("size_", 0)};

std::vector<ClassCase> Cases() {
  return {
      {"TLMText",
       Maker<TLMText>(),
       {W("value", "bookstub.example"), C("color", 16777215), I("size", 12), W("font", "Tahoma"),
        B("bold", false), B("italic", false), B("underline", false),
        S("url", "https://bookstub.example/")}},
      {"TLMPagination",
       Maker<TLMPagination>(),
       {B("usepagination", true), C("color", 16777215), I("size", 12), S("font", "Tahoma"),
        B("bold", false), B("italic", false), B("underline", false)}},
      {"TLMNavBar",
       Maker<TLMNavBar>(),
       {B("usetop", true), B("usebottom", true), B("usefile", true), C("color", 3355443),
        W("name", ""), W("topfile", ""), W("bottomfile", ""), I("height", 45),
        S("scale9grid", "15,1,85,34"), B("backgroundrepeat", false), I("alpha", 100),
        S("anchors_top", "0,0,pw"), S("anchors_bottom", "0,ph-h,pw"), I("left", 0), I("right", 0),
        I("pos_", 0), C("size_", 0)}},
      {"TLMBasicBg", Maker<TLMBasicBg>(), kBackground},
      {"TLMBackground", Maker<TLMBackground>(), kBackground},
      {"TLMButtons",
       Maker<TLMButtons>(),
       {W("name", ""),           I("margin_lt_x", 5),  I("margin_lt_y", 8),
        I("margin_lb_x", 5),     I("margin_lb_y", 8),  I("margin_rt_x", 5),
        I("margin_rb_x", 5),     B("firstpage", true), B("previous", true),
        B("play", true),         B("thumbnail", true), B("fullscreen", true),
        B("music", true),        B("print", true),     B("toc", true),
        B("zoomin", true),       B("zoombar", true),   B("share", true),
        B("download", false),    B("bookmarks", true), B("email", true),
        B("search", false),      B("searchbox", true), B("usekey", true),
        I("keyfullscreen", 122), I("keyprevpage", 37), I("keynextpage", 39),
        I("keyfirstpage", 36),   I("keylastpage", 35), I("keyzoomin", 38),
        I("keyzoomout", 40),     C("pos_", 0),         C("size_", 0)}},
      {"TLMLogo",
       Maker<TLMLogo>(),
       {B("usefile", false), W("filename", ""), S("position", "logo_left_bottom"), I("width", 0),
        I("height", 0), S("url", ""), C("pos_", 0), C("size_", 0)}},
      {"TLMToc", Maker<TLMToc>(), {W("filename", ""), C("pos_", 0), C("size_", 0)}},
      {"TLMPreloader", Maker<TLMPreloader>(), {W("filename", ""), C("pos_", 0), C("size_", 0)}},
      {"TLMSettings",
       Maker<TLMSettings>(),
       {B("genmobile", true), B("genthumbnail", false), B("extractpdflink", true),
        B("extracttoc", true)}},
      {"TLMProject",
       Maker<TLMProject>(),
       {I("booksizetype", 1),
        I("swfwd", 900),
        I("swfht", 600),
        W("templatename", ""),
        W("videoskin", "01"),
        L("videoskincolor", 3425907507),
        I("pagewidth", 0),
        I("pageheight", 0),
        O("title", "TLMText"),
        O("pagination", "TLMPagination"),
        B("right2left", false),
        B("hardcover", false),
        B("hardpage", false),
        D("pagethickness", 0.2),
        D("spinecurvature", -0.5),
        C("spinecolor", 13421772),
        S("gaaccount", ""),
        B("landscape", false),
        B("canclose", true),
        B("centercovor", true),
        O("navbar", "TLMNavBar"),
        O("navbtn", "TLMButtons"),
        O("background", "TLMBackground"),
        B("usepassword", false),
        S("password", ""),
        I("pwstart", 1),
        D("dragspeed", 0.5),
        S("dragarea", "top,middle,bottom"),
        S("dragrange", "auto"),
        D("slidedelay", 3),
        B("sliderepeat", false),
        B("slidestart", false),
        B("handcursor", true),
        S("layoutfile", ""),
        O("preloader", "TLMPreloader"),
        O("logo", "TLMLogo"),
        O("toc", "TLMToc"),
        B("bgsound", true),
        B("pagesound", true),
        I("maxloaded", 30),
        B("cornerhint", true),
        B("reflection", false),
        D("reflectionalpha", 0.25),
        B("reflectionfade", false),
        I("reflectionoffset", 0),
        S("zoomsnap", "1,3,5"),
        D("zoomminscale", 0.1),
        B("zoomdoubleclick", false),
        B("useminfixzoom", true),
        C("pos_bookinfo_", 0),
        C("size_bookinfo_", 0),
        C("pos_mag_", 0),
        C("size_mag_", 0),
        C("pos_toolbar_", 0),
        C("size_toolbar_", 0),
        C("pos_input_", 0),
        C("size_input_", 0),
        C("pos_vs_", 0),
        C("size_vs_", 0),
        C("pos_thumbswf_", 0),
        C("size_thumbswf_", 0),
        B("fullscreenopened", false),
        I("marginleft", 20),
        I("marginright", 20),
        I("margintop", 70),
        I("marginbottom", 75),
        B("minimode", true),
        I("miniwidth", 400),
        I("miniheight", 300),
        W("tag_title", "Leafmark"),
        W("tag_keywords", ""),
        W("tag_description", ""),
        W("tag_generator", ""),
        W("exetitle", "Flash Player"),
        O("settings", "TLMSettings")}},
  };
}

class SettingsDefaults : public testing::TestWithParam<ClassCase> {};

TEST_P(SettingsDefaults, FreshObjectHasDocumentedPropertiesInOrderWithDefaults) {
  const ClassCase& c = GetParam();
  const std::unique_ptr<TLMBasicProject> object = c.create();
  const TLMClassInfo& info = object->ClassInfo();
  EXPECT_EQ(info.ClassName(), c.name);

  const auto& properties = info.Properties();
  ASSERT_EQ(properties.size(), c.properties.size());
  for (std::size_t i = 0; i < properties.size(); ++i) {
    const TLMPropertyInfo& actual = *properties[i];
    const Expected& expected = c.properties[i];
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(actual.name, expected.name);
    EXPECT_EQ(actual.kind, expected.kind);
    if (expected.kind == Kind::Object) {
      const TLMBasicProject* sub = actual.object(*object);
      ASSERT_NE(sub, nullptr);
      EXPECT_EQ(sub->ClassInfo().ClassName(), expected.className);
      EXPECT_EQ(sub->Owner(), object.get());
    } else {
      EXPECT_EQ(actual.get(*object), expected.value);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryClass, SettingsDefaults, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(SettingsDefaults, ProjectDeclaresSeventyFiveProperties) {
  EXPECT_EQ(TLMProject::StaticClassInfo().Properties().size(), 75u);
}

TEST(SettingsDefaults, RootIsCreatedWithoutOwner) {
  const TLMProject project;
  EXPECT_EQ(project.Owner(), nullptr);
  EXPECT_EQ(project.navbtn->Owner(), &project);
}

}  // namespace
