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
  static const auto& info = Table("TMBasicPageElement").Build();
  return info;
}

const TClassInfo& TBasicVisualPageElement::StaticClassInfo() {
  using C = TBasicVisualPageElement;
  static const auto& info = Table("TBasicVisualPageElement")
                               .Prop("left", &C::left)
                               .Prop("top", &C::top)
                               .Prop("width", &C::width)
                               .Prop("height", &C::height)
                               .Prop("orgwd", &C::orgwd)
                               .Prop("orght", &C::orght)
                               .Prop("rotation", &C::rotation)
                               .Prop("scaleX", &C::scaleX)
                               .Prop("scaleY", &C::scaleY)
                               .Prop("mouseenabled", &C::mouseenabled)
                               .Prop("priority", &C::priority)
                               .Build();
  return info;
}

const TClassInfo& TMBaseInteractive::StaticClassInfo() {
  using C = TMBaseInteractive;
  static const auto& info = Table("TMBaseInteractive")
                               .Prop("url", &C::url)
                               .Prop("target", &C::target)
                               .Prop("linktype", &C::linktype)
                               .Prop("page", &C::page)
                               .Prop("email", &C::email)
                               .Prop("code", &C::code)
                               .Build();
  return info;
}

const TClassInfo& TMArea::StaticClassInfo() {
  using C = TMArea;
  static const auto& info = Table("TMArea")
                               .Prop("bgcolor", &C::bgcolor)
                               .Prop("alpha", &C::alpha)
                               .Prop("orgWidth", &C::orgWidth)
                               .Prop("orgHeight", &C::orgHeight)
                               .DefaultOf("priority", std::int32_t{5})
                               .SavedUnderElementName()
                               .Build();
  return info;
}

const TClassInfo& TMTxt::StaticClassInfo() {
  using C = TMTxt;
  static const auto& info = Table("TMTxt")
                               .Prop("align", &C::align)
                               .Prop("color", &C::color)
                               .Prop("content", &C::content)
                               .Prop("rasterize", &C::rasterize)
                               .Prop("selectable", &C::selectable)
                               .Prop("bold", &C::bold)
                               .Prop("italic", &C::italic)
                               .Prop("underline", &C::underline)
                               .Prop("size", &C::size)
                               .Prop("font", &C::font)
                               .DefaultOf("rotation", std::int32_t{0})
                               .DefaultOf("priority", std::int32_t{5})
                               .DefaultOf("target", S("_blank"))
                               .DefaultOf("linktype", S("none"))
                               .DefaultOf("page", std::int32_t{1})
                               .Build();
  return info;
}

const TClassInfo& TBasicVisualPageFileElement::StaticClassInfo() {
  using C = TBasicVisualPageFileElement;
  static const auto& info =
      Table("TBasicVisualPageFileElement")
          .Accessor<std::string>("src", TPropKind::WideString, &C::src, &C::SetSrc)
          .Prop("pos_", &C::pos_)
          .Prop("size_", &C::size_)
          .Wide("thumb", &C::thumb)
          .Prop("pos_thumb_", &C::pos_thumb_)
          .Prop("size_thumb_", &C::size_thumb_)
          .Build();
  return info;
}

void TBasicVisualPageFileElement::SetSrc(std::string value) {
  src_ = std::move(value);
  SetElementName(LowerExtension(src_) == ".gif" ? "gif" : "img");
}

const TClassInfo& TMImg::StaticClassInfo() {
  using C = TMImg;
  static const auto& info = Table("TMImg")
                               .Prop("keepar", &C::keepar)
                               .Prop("yt", &C::yt)
                               .Prop("aa", &C::aa)
                               .Prop("rasterize", &C::rasterize)
                               .Prop("onlywhenactive", &C::onlywhenactive)
                               .Prop("sameappdomain", &C::sameappdomain)
                               .Prop("samesecdomain", &C::samesecdomain)
                               .DefaultOf("target", S("_blank"))
                               .DefaultOf("linktype", S("none"))
                               .DefaultOf("page", std::int32_t{1})
                               .DefaultOf("priority", std::int32_t{10})
                               .SavedUnderElementName()
                               .Build();
  return info;
}

const TClassInfo& TMGif::StaticClassInfo() {
  static const auto& info = Table("TMGif").Prop("cache", &TMGif::cache).Build();
  return info;
}

const TClassInfo& TMSnd::StaticClassInfo() {
  using C = TMSnd;
  static const auto& info = Table("TMSnd")
                               .Prop("delay", &C::delay)
                               .Prop("fade", &C::fade)
                               .Prop("loop", &C::loop)
                               .Prop("onlywhenactive", &C::onlywhenactive)
                               .Prop("restart", &C::restart)
                               .DefaultOf("priority", std::int32_t{15})
                               .Build();
  return info;
}

const TClassInfo& TMVid::StaticClassInfo() {
  using C = TMVid;
  static const auto& info = Table("TMVid")
                               .Prop("autoplay", &C::autoplay)
                               .Prop("delay", &C::delay)
                               .Prop("fade", &C::fade)
                               .Prop("gui", &C::gui)
                               .Prop("guicolor", &C::guicolor)
                               .Prop("loop", &C::loop)
                               .Prop("nopause", &C::nopause)
                               .Prop("onlywhenactive", &C::onlywhenactive)
                               .Prop("preview", &C::preview)
                               .Prop("restart", &C::restart)
                               .Prop("pos_pre_", &C::pos_pre_)
                               .Prop("size_pre_", &C::size_pre_)
                               .DefaultOf("priority", std::int32_t{20})
                               .Build();
  return info;
}

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
