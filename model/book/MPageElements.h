#pragma once
// The page elements of the book document: the things placed on a page (the page file itself,
// pictures, animations, sounds, videos, text boxes, clickable areas) and the `elem` list that
// chooses an element's class by its element name.

#include <cstdint>
#include <memory>
#include <string>

#include "model/book/MBasicProjects.h"

class TMBasicPageElement : public TModelClass<TMBasicPageElement, TMBasicObject> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();
};

// Geometry of an element on the page, in pixels.
class TBasicVisualPageElement : public TModelClass<TBasicVisualPageElement, TMBasicPageElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t orgwd = 0;
  std::int32_t orght = 0;
  std::int32_t rotation = 0;
  double scaleX = 1;
  double scaleY = 1;
  bool mouseenabled = true;
  std::int32_t priority = 10;
};

// The link action of an element.
class TMBaseInteractive : public TModelClass<TMBaseInteractive, TBasicVisualPageElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::string url;
  std::string target = "_blank";
  std::string linktype;
  std::int32_t page = 1;
  std::string email;
  std::string code;
};

// A clickable area.
class TMArea : public TModelClass<TMArea, TMBaseInteractive> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::uint32_t bgcolor = 16777215;
  double alpha = 0.2;
  double orgWidth = 0;
  double orgHeight = 0;
};

// A text box. Its own `rotation` is the inherited member: the document has one `rotation`
// attribute, at the inherited position, and it always means the text box's rotation.
class TMTxt : public TModelClass<TMTxt, TMBaseInteractive> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::string align = "left";
  std::uint32_t color = 0;
  std::string content;
  bool rasterize = true;
  bool selectable = false;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::int32_t size = 12;
  std::string font = "Tahoma";
};

// An element backed by a file of the package.
class TBasicVisualPageFileElement
    : public TModelClass<TBasicVisualPageFileElement, TMBaseInteractive> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  // The file name, relative to the working folder. Setting it also sets the element name:
  // "gif" for a ".gif" file (any case, either slash), "img" otherwise.
  const std::string& src() const { return src_; }
  void SetSrc(std::string value);

  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
  std::string thumb;
  std::uint32_t pos_thumb_ = 0;
  std::uint32_t size_thumb_ = 0;

 private:
  std::string src_;
};

// A picture or the page file itself.
class TMImg : public TModelClass<TMImg, TBasicVisualPageFileElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  bool keepar = false;
  bool yt = false;
  bool aa = false;
  bool rasterize = false;
  bool onlywhenactive = false;
  bool sameappdomain = false;
  bool samesecdomain = false;
};

// An animated picture.
class TMGif : public TModelClass<TMGif, TBasicVisualPageFileElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  bool cache = true;
};

class TMSnd : public TModelClass<TMSnd, TBasicVisualPageFileElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  std::int32_t delay = 0;
  std::int32_t fade = 2000;
  bool loop = true;
  bool onlywhenactive = true;
  bool restart = false;
};

class TMVid : public TModelClass<TMVid, TBasicVisualPageFileElement> {
 public:
  using TModelClass::TModelClass;
  static const TClassInfo& StaticClassInfo();

  bool autoplay = true;
  std::int32_t delay = 0;
  std::int32_t fade = 2000;
  std::string gui = "res/other/videoskin.swf";
  std::int64_t guicolor = 3425907507;
  bool loop = true;
  bool nopause = false;
  bool onlywhenactive = true;
  std::string preview;
  bool restart = false;
  std::uint32_t pos_pre_ = 0;
  std::uint32_t size_pre_ = 0;
};

// The `elem` list of a page. Reading chooses each item's class by the exact element name
// ("img", "snd", "vid", "gif", "area", "txt"); any other name gives a plain geometry element.
class TBasicVisualPageElements : public TMTypedObjects<TBasicVisualPageElement> {
 public:
  using TMTypedObjects::TMTypedObjects;

 protected:
  std::unique_ptr<TMBasicObject> CreateItemFor(const platform::XmlNode& child) override;
};
