#pragma once
// The XML-serialisable object base of the book document model, on the property tables of
// model/PropertyTable.h. Scalars map to attributes, objects and lists to child elements named
// like the property.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/PropertyTable.h"
#include "platform/Xml.h"

class TMBasicObject;
class TMBasicObjects;

// Common base of objects and lists, so that either can own an object.
class TMPersistent {
 public:
  virtual ~TMPersistent() = default;
};

// The book's classes and its text conversions: attributes strictly (a text that does not
// convert logs one line and raises Error), child elements leniently (integers 0 when not a
// number, Doubles in the user's locale, Int64 never read).
struct TBookModel {
  using Object = TMBasicObject;
  using List = TMBasicObjects;
  using Owner = TMPersistent*;
  static std::optional<TPropValue> AttributeValue(TPropKind kind,
                                                  const platform::XmlAttribute& attr);
  static std::optional<TPropValue> ChildValue(TPropKind kind, const std::string& text);
};

using TPropInfo = TPropInfoOf<TBookModel>;
using TClassInfo = TClassInfoOf<TBookModel>;

// The element name a class gets by default: the class name without its first two characters,
// in lower case ("TMChapter" -> "chapter").
std::string DefaultElementName(std::string_view className);

// The skip list of the general save rule.
const TSaveSkipList& StandardSaveSkips();

class TMBasicObject : public TMPersistent {
 public:
  using TModel = TBookModel;

  explicit TMBasicObject(TMPersistent* owner = nullptr);
  TMBasicObject(const TMBasicObject&) = delete;
  TMBasicObject& operator=(const TMBasicObject&) = delete;
  ~TMBasicObject() override;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }

  TMPersistent* Owner() const { return owner_; }
  // The name set by the last accessor that sets one, else the class's default element name.
  std::string ElementName() const;
  void SetElementName(std::string name) { elementName_ = std::move(name); }

  // Copies every property from an object of the same class (deep copy of objects and lists).
  virtual void Assign(const TMBasicObject& source);
  // Attributes first (a conversion error logs one line and raises Error), then child elements.
  virtual void LoadFromXML(const platform::XmlNode& node);
  // Writes every property in table order into `node`.
  virtual void SaveToXML(platform::XmlNode node) const;

 private:
  TMPersistent* owner_;
  std::string elementName_;
};

class TMBasicObjects : public TMPersistent {
 public:
  TMBasicObjects(TMPersistent* owner, const TClassInfo& itemClass);
  TMBasicObjects(const TMBasicObjects&) = delete;
  TMBasicObjects& operator=(const TMBasicObjects&) = delete;
  ~TMBasicObjects() override;

  TMPersistent* Owner() const { return owner_; }
  const TClassInfo& ItemClass() const { return itemClass_; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMBasicObject& Items(int index) const;
  // Appends an item of the item class (or a descendant) and returns its index.
  int Add(std::unique_ptr<TMBasicObject> item);
  // Appends a new item of class T, the item class or a descendant, and returns it.
  template <class T>
  T& AddNew() {
    auto item = std::make_unique<T>(this);
    T& added = *item;
    Add(std::move(item));
    return added;
  }
  // Inserts at 0..Count.
  void Insert(int index, std::unique_ptr<TMBasicObject> item);
  // Frees the item and removes it.
  void Delete(int index);
  void Exchange(int index1, int index2);
  // Takes the item out of curIndex and puts it at newIndex.
  void Move(int curIndex, int newIndex);
  void Clear();

  // Replaces the items by one per child element.
  virtual void LoadFromXML(const platform::XmlNode& node);
  // Adds one child element per item, named after the item.
  virtual void SaveToXML(platform::XmlNode node) const;
  // The name of the element an item is saved as.
  static std::string ItemElementName(const TMBasicObject& item);
  // Replaces the items by copies of the source's items, each of its source item's class.
  virtual void Assign(const TMBasicObjects& source);

 protected:
  // The item to read from `child`; by default an item of the item class.
  virtual std::unique_ptr<TMBasicObject> CreateItemFor(const platform::XmlNode& child);
  void CheckIndex(int index, int limit) const;

 private:
  TMPersistent* owner_;
  const TClassInfo& itemClass_;
  std::vector<std::unique_ptr<TMBasicObject>> items_;
};

// A list whose items are TItem or its descendants.
template <class TItem>
class TMTypedObjects : public TMBasicObjects {
 public:
  explicit TMTypedObjects(TMPersistent* owner = nullptr)
      : TMBasicObjects(owner, TItem::StaticClassInfo()) {}
  TItem& Items(int index) const { return static_cast<TItem&>(TMBasicObjects::Items(index)); }
};
