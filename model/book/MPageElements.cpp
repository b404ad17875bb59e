#include "model/book/MPageElements.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace {

using S = std::string;

// The extension (with its dot) of a path with "\" delimiters, as the element-name rule reads it.
std::string LowerExtension(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  const std::size_t mark = path.find_last_of(".\\:");
  if (mark == std::string::npos || path[mark] != '.') return {};
  std::string ext = path.substr(mark);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return ext;
}

}  // namespace

const TClassInfo& TMBasicPageElement::StaticClassInfo() {
  static const auto info =
      TPropTableBuilder<TMBasicPageElement>("TMBasicPageElement", &TMBasicObject::StaticClassInfo())
          .Build();
  return *info;
}

TMBasicPageElement::TMBasicPageElement(TMPersistent* owner) : TMBasicObject(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TBasicVisualPageElement::StaticClassInfo() {
  using C = TBasicVisualPageElement;
  static const auto info =
      TPropTableBuilder<C>("TBasicVisualPageElement", &TMBasicPageElement::StaticClassInfo())
          .Prop("left", &C::left, 0)
          .Prop("top", &C::top, 0)
          .Prop("width", &C::width, 0)
          .Prop("height", &C::height, 0)
          .Prop("orgwd", &C::orgwd, 0)
          .Prop("orght", &C::orght, 0)
          .Prop("rotation", &C::rotation, 0)
          .Prop("scaleX", &C::scaleX, 1)
          .Prop("scaleY", &C::scaleY, 1)
          .Prop("mouseenabled", &C::mouseenabled, true)
          .Prop("priority", &C::priority, 10)
          .Build();
  return *info;
}

TBasicVisualPageElement::TBasicVisualPageElement(TMPersistent* owner) : TMBasicPageElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMBaseInteractive::StaticClassInfo() {
  using C = TMBaseInteractive;
  static const auto info =
      TPropTableBuilder<C>("TMBaseInteractive", &TBasicVisualPageElement::StaticClassInfo())
          .Prop("url", &C::url, "")
          .Prop("target", &C::target, "_blank")
          .Prop("linktype", &C::linktype, "")
          .Prop("page", &C::page, 1)
          .Prop("email", &C::email, "")
          .Prop("code", &C::code, "")
          .Build();
  return *info;
}

TMBaseInteractive::TMBaseInteractive(TMPersistent* owner) : TBasicVisualPageElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMArea::StaticClassInfo() {
  using C = TMArea;
  static const auto info = TPropTableBuilder<C>("TMArea", &TMBaseInteractive::StaticClassInfo())
                               .Prop("bgcolor", &C::bgcolor, 16777215)
                               .Prop("alpha", &C::alpha, 0.2)
                               .Prop("orgWidth", &C::orgWidth, 0)
                               .Prop("orgHeight", &C::orgHeight, 0)
                               .DefaultOf("priority", std::int32_t{5})
                               .SavedUnderElementName()
                               .Build();
  return *info;
}

TMArea::TMArea(TMPersistent* owner) : TMBaseInteractive(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMTxt::StaticClassInfo() {
  using C = TMTxt;
  static const auto info = TPropTableBuilder<C>("TMTxt", &TMBaseInteractive::StaticClassInfo())
                               .Prop("align", &C::align, "left")
                               .Prop("color", &C::color, 0)
                               .Prop("content", &C::content, "")
                               .Prop("rasterize", &C::rasterize, true)
                               .Prop("selectable", &C::selectable, false)
                               .Prop("bold", &C::bold, false)
                               .Prop("italic", &C::italic, false)
                               .Prop("underline", &C::underline, false)
                               .Prop("size", &C::size, 12)
                               .Prop("font", &C::font, "Tahoma")
                               .DefaultOf("rotation", std::int32_t{0})
                               .DefaultOf("priority", std::int32_t{5})
                               .DefaultOf("target", S("_blank"))
                               .DefaultOf("linktype", S("none"))
                               .DefaultOf("page", std::int32_t{1})
                               .Build();
  return *info;
}

TMTxt::TMTxt(TMPersistent* owner) : TMBaseInteractive(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TBasicVisualPageFileElement::StaticClassInfo() {
  using C = TBasicVisualPageFileElement;
  static const auto info =
      TPropTableBuilder<C>("TBasicVisualPageFileElement", &TMBaseInteractive::StaticClassInfo())
          .Accessor<std::string>("src", TPropKind::WideString, &C::src, &C::SetSrc, "")
          .Prop("pos_", &C::pos_, 0)
          .Prop("size_", &C::size_, 0)
          .Wide("thumb", &C::thumb, "")
          .Prop("pos_thumb_", &C::pos_thumb_, 0)
          .Prop("size_thumb_", &C::size_thumb_, 0)
          .Build();
  return *info;
}

TBasicVisualPageFileElement::TBasicVisualPageFileElement(TMPersistent* owner)
    : TMBaseInteractive(owner) {
  StaticClassInfo().InitLevel(*this);
}

void TBasicVisualPageFileElement::SetSrc(std::string value) {
  FSrc = std::move(value);
  SetElementName(LowerExtension(FSrc) == ".gif" ? "gif" : "img");
}

const TClassInfo& TMImg::StaticClassInfo() {
  using C = TMImg;
  static const auto info =
      TPropTableBuilder<C>("TMImg", &TBasicVisualPageFileElement::StaticClassInfo())
          .Prop("keepar", &C::keepar, false)
          .Prop("yt", &C::yt, false)
          .Prop("aa", &C::aa, false)
          .Prop("rasterize", &C::rasterize, false)
          .Prop("onlywhenactive", &C::onlywhenactive, false)
          .Prop("sameappdomain", &C::sameappdomain, false)
          .Prop("samesecdomain", &C::samesecdomain, false)
          .DefaultOf("target", S("_blank"))
          .DefaultOf("linktype", S("none"))
          .DefaultOf("page", std::int32_t{1})
          .DefaultOf("priority", std::int32_t{10})
          .SavedUnderElementName()
          .Build();
  return *info;
}

TMImg::TMImg(TMPersistent* owner) : TBasicVisualPageFileElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMGif::StaticClassInfo() {
  static const auto info =
      TPropTableBuilder<TMGif>("TMGif", &TBasicVisualPageFileElement::StaticClassInfo())
          .Prop("cache", &TMGif::cache, true)
          .Build();
  return *info;
}

TMGif::TMGif(TMPersistent* owner) : TBasicVisualPageFileElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMSnd::StaticClassInfo() {
  using C = TMSnd;
  static const auto info =
      TPropTableBuilder<C>("TMSnd", &TBasicVisualPageFileElement::StaticClassInfo())
          .Prop("delay", &C::delay, 0)
          .Prop("fade", &C::fade, 2000)
          .Prop("loop", &C::loop, true)
          .Prop("onlywhenactive", &C::onlywhenactive, true)
          .Prop("restart", &C::restart, false)
          .DefaultOf("priority", std::int32_t{15})
          .Build();
  return *info;
}

TMSnd::TMSnd(TMPersistent* owner) : TBasicVisualPageFileElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

const TClassInfo& TMVid::StaticClassInfo() {
  using C = TMVid;
  static const auto info =
      TPropTableBuilder<C>("TMVid", &TBasicVisualPageFileElement::StaticClassInfo())
          .Prop("autoplay", &C::autoplay, true)
          .Prop("delay", &C::delay, 0)
          .Prop("fade", &C::fade, 2000)
          .Prop("gui", &C::gui, "res/other/videoskin.swf")
          .Prop("guicolor", &C::guicolor, 3425907507)
          .Prop("loop", &C::loop, true)
          .Prop("nopause", &C::nopause, false)
          .Prop("onlywhenactive", &C::onlywhenactive, true)
          .Prop("preview", &C::preview, "")
          .Prop("restart", &C::restart, false)
          .Prop("pos_pre_", &C::pos_pre_, 0)
          .Prop("size_pre_", &C::size_pre_, 0)
          .DefaultOf("priority", std::int32_t{20})
          .Build();
  return *info;
}

TMVid::TMVid(TMPersistent* owner) : TBasicVisualPageFileElement(owner) {
  StaticClassInfo().InitLevel(*this);
}

TBasicVisualPageElements::TBasicVisualPageElements(TMPersistent* owner)
    : TMTypedObjects<TBasicVisualPageElement>(owner) {}

std::unique_ptr<TMBasicObject> TBasicVisualPageElements::CreateItemFor(
    const platform::XmlNode& child) {
  using Describe = const TClassInfo& (*)();
  static const std::array<std::pair<std::string_view, Describe>, 6> classes = {{
      {"img", &TMImg::StaticClassInfo},
      {"snd", &TMSnd::StaticClassInfo},
      {"vid", &TMVid::StaticClassInfo},
      {"gif", &TMGif::StaticClassInfo},
      {"area", &TMArea::StaticClassInfo},
      {"txt", &TMTxt::StaticClassInfo},
  }};
  const std::string name = child.Name();
  for (const auto& [elementName, describe] : classes)
    if (name == elementName) return describe().NewInstance(this);
  return TMTypedObjects<TBasicVisualPageElement>::CreateItemFor(child);
}
