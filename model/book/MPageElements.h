#pragma once
// The page elements of the book document: the things placed on a page (the page file itself,
// pictures, animations, sounds, videos, text boxes, clickable areas) and the `elem` list that
// chooses an element's class by its element name.

#include <cstdint>
#include <memory>
#include <string>

#include "model/book/MBasicProjects.h"

class TMBasicPageElement : public TMBasicObject {
 public:
  explicit TMBasicPageElement(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// Geometry of an element on the page, in pixels.
class TBasicVisualPageElement : public TMBasicPageElement {
 public:
  explicit TBasicVisualPageElement(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t orgwd = 0;
  std::int32_t orght = 0;
  std::int32_t rotation = 0;
  double scaleX = 0;
  double scaleY = 0;
  bool mouseenabled = false;
  std::int32_t priority = 0;
};

// The link action of an element.
class TMBaseInteractive : public TBasicVisualPageElement {
 public:
  explicit TMBaseInteractive(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string url;
  std::string target;
  std::string linktype;
  std::int32_t page = 0;
  std::string email;
  std::string code;
};

// A clickable area.
class TMArea : public TMBaseInteractive {
 public:
  explicit TMArea(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::uint32_t bgcolor = 0;
  double alpha = 0;
  double orgWidth = 0;
  double orgHeight = 0;
};

// A text box. Its own `rotation` is the inherited member: the document has one `rotation`
// attribute, at the inherited position, and it always means the text box's rotation.
class TMTxt : public TMBaseInteractive {
 public:
  explicit TMTxt(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string align;
  std::uint32_t color = 0;
  std::string content;
  bool rasterize = false;
  bool selectable = false;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::int32_t size = 0;
  std::string font;
};

// An element backed by a file of the package.
class TBasicVisualPageFileElement : public TMBaseInteractive {
 public:
  explicit TBasicVisualPageFileElement(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // The file name, relative to the working folder. Setting it also sets the element name:
  // "gif" for a ".gif" file (any case, either slash), "img" otherwise.
  const std::string& src() const { return FSrc; }
  void SetSrc(std::string value);

  std::uint32_t pos_ = 0;
  std::uint32_t size_ = 0;
  std::string thumb;
  std::uint32_t pos_thumb_ = 0;
  std::uint32_t size_thumb_ = 0;

 private:
  std::string FSrc;
};

// A picture or the page file itself.
class TMImg : public TBasicVisualPageFileElement {
 public:
  explicit TMImg(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool keepar = false;
  bool yt = false;
  bool aa = false;
  bool rasterize = false;
  bool onlywhenactive = false;
  bool sameappdomain = false;
  bool samesecdomain = false;
};

// An animated picture.
class TMGif : public TBasicVisualPageFileElement {
 public:
  explicit TMGif(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool cache = false;
};

class TMSnd : public TBasicVisualPageFileElement {
 public:
  explicit TMSnd(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::int32_t delay = 0;
  std::int32_t fade = 0;
  bool loop = false;
  bool onlywhenactive = false;
  bool restart = false;
};

class TMVid : public TBasicVisualPageFileElement {
 public:
  explicit TMVid(TMPersistent* owner = nullptr);
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  bool autoplay = false;
  std::int32_t delay = 0;
  std::int32_t fade = 0;
  std::string gui;
  std::int64_t guicolor = 0;
  bool loop = false;
  bool nopause = false;
  bool onlywhenactive = false;
  std::string preview;
  bool restart = false;
  std::uint32_t pos_pre_ = 0;
  std::uint32_t size_pre_ = 0;
};

// The `elem` list of a page. Reading chooses each item's class by the exact element name
// ("img", "snd", "vid", "gif", "area", "txt"); any other name gives a plain geometry element.
class TBasicVisualPageElements : public TMTypedObjects<TBasicVisualPageElement> {
 public:
  explicit TBasicVisualPageElements(TMPersistent* owner = nullptr);

 protected:
  std::unique_ptr<TMBasicObject> CreateItemFor(const platform::XmlNode& child) override;
};
