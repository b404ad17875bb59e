#pragma once
// The XML-serialisable object base of the book document model.
//
// A model class declares its properties once, in a property table (TClassInfo) built with
// TPropTableBuilder: name, kind, member access, default, and for object and list properties the
// class to create. Construction, LoadFromXML, SaveToXML and Assign walk that table; no model
// class carries parsing or writing code of its own. Scalars map to attributes, objects and lists
// to child elements named like the property.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/Xml.h"

class TMBasicObject;
class TMBasicObjects;
class TClassInfo;

// Common base of objects and lists, so that either can own an object.
class TMPersistent {
 public:
  virtual ~TMPersistent() = default;
};

enum class TPropKind {
  Integer,
  Cardinal,
  Int64,
  Double,
  Boolean,
  String,
  WideString,
  Object,
  List
};

// The value of a scalar property; the alternative always matches the property's kind
// (WideString and String both hold std::string).
using TPropValue =
    std::variant<std::int32_t, std::uint32_t, std::int64_t, double, bool, std::string>;

// One row of a property table.
struct TPropInfo {
  std::string name;
  TPropKind kind = TPropKind::Integer;
  // Scalars.
  std::function<TPropValue(const TMBasicObject&)> get;
  std::function<void(TMBasicObject&, const TPropValue&)> set;
  std::function<TPropValue()> makeDefault;
  // Objects and lists: the held instance (may be null only if a caller reset it), and the
  // creation of a new, empty instance of the declared class owned by the object.
  std::function<TMBasicObject*(const TMBasicObject&)> object;
  std::function<TMBasicObjects*(const TMBasicObject&)> list;
  std::function<void(TMBasicObject&)> create;

  bool IsScalar() const { return kind != TPropKind::Object && kind != TPropKind::List; }
};

// Attributes left out on saving when the property's text equals the given text.
using TSaveSkipList = std::vector<std::pair<std::string, std::string>>;

// The property table and run-time class data of one model class.
class TClassInfo {
 public:
  using TFactory = std::function<std::unique_ptr<TMBasicObject>(TMPersistent* owner)>;

  struct TDefaultOverride {
    std::string name;
    TPropValue value;
  };

  TClassInfo(std::string className, const TClassInfo* parent, TFactory factory,
             std::vector<TPropInfo> ownProps, std::vector<TDefaultOverride> overrides,
             bool savesUnderElementName, const TSaveSkipList* saveSkips);
  TClassInfo(const TClassInfo&) = delete;
  TClassInfo& operator=(const TClassInfo&) = delete;

  const std::string& ClassName() const { return FClassName; }
  const TClassInfo* Parent() const { return FParent; }
  bool InheritsFrom(const TClassInfo& other) const;

  // Every property, the ancestors' first, then this class's own in declaration order.
  const std::vector<const TPropInfo*>& Properties() const { return FAll; }
  // Case-insensitive look-up; null when no property has that name.
  const TPropInfo* Find(std::string_view name) const;

  std::unique_ptr<TMBasicObject> NewInstance(TMPersistent* owner) const { return FFactory(owner); }

  // Whether a list writes this class's items under their ElementName rather than under the
  // class name (pages, pictures and areas).
  bool SavesUnderElementName() const { return FSavesUnderElementName; }
  const TSaveSkipList& SaveSkips() const { return *FSaveSkips; }

  // The part of construction that belongs to this class level: element name, new instances
  // of this level's object and list properties, defaults of its own and overridden properties.
  void InitLevel(TMBasicObject& object) const;

 private:
  std::string FClassName;
  const TClassInfo* FParent;
  TFactory FFactory;
  std::vector<TPropInfo> FOwn;
  std::vector<TDefaultOverride> FOverrides;
  bool FSavesUnderElementName;
  const TSaveSkipList* FSaveSkips;
  std::vector<const TPropInfo*> FAll;
  std::unordered_map<std::string, const TPropInfo*> FByLowerName;
};

// The element name a class gets by default: the class name without its first two characters,
// in lower case ("TMChapter" -> "chapter").
std::string DefaultElementName(std::string_view className);

// The skip list of the general save rule.
const TSaveSkipList& StandardSaveSkips();

class TMBasicObject : public TMPersistent {
 public:
  explicit TMBasicObject(TMPersistent* owner = nullptr);
  TMBasicObject(const TMBasicObject&) = delete;
  TMBasicObject& operator=(const TMBasicObject&) = delete;
  ~TMBasicObject() override;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }

  TMPersistent* Owner() const { return FOwner; }
  const std::string& ElementName() const { return FElementName; }
  void SetElementName(std::string name) { FElementName = std::move(name); }

  // Copies every property from an object of the same class (deep copy of objects and lists).
  virtual void Assign(const TMBasicObject& source);
  // Attributes first (a conversion error logs one line and raises Error), then child elements.
  virtual void LoadFromXML(const platform::XmlNode& node);
  // Writes every property in table order into `node`.
  virtual void SaveToXML(platform::XmlNode node) const;

 protected:
  void LoadXMLAttr(const platform::XmlNode& node);
  void LoadXMLChildren(const platform::XmlNode& node);

 private:
  TMPersistent* FOwner;
  std::string FElementName;
};

class TMBasicObjects : public TMPersistent {
 public:
  TMBasicObjects(TMPersistent* owner, const TClassInfo& itemClass);
  TMBasicObjects(const TMBasicObjects&) = delete;
  TMBasicObjects& operator=(const TMBasicObjects&) = delete;
  ~TMBasicObjects() override;

  TMPersistent* Owner() const { return FOwner; }
  const TClassInfo& ItemClass() const { return FItemClass; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TMBasicObject& Items(int index) const;
  // Appends an item of the item class (or a descendant) and returns its index.
  int Add(std::unique_ptr<TMBasicObject> item);
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
  // Replaces the items by copies of the source's items, each of its source item's class.
  virtual void Assign(const TMBasicObjects& source);

 protected:
  // The item to read from `child`; by default an item of the item class.
  virtual std::unique_ptr<TMBasicObject> CreateItemFor(const platform::XmlNode& child);
  void CheckIndex(int index, int limit) const;

 private:
  TMPersistent* FOwner;
  const TClassInfo& FItemClass;
  std::vector<std::unique_ptr<TMBasicObject>> FItems;
};

// A list whose items are TItem or its descendants.
template <class TItem>
class TMTypedObjects : public TMBasicObjects {
 public:
  explicit TMTypedObjects(TMPersistent* owner) : TMBasicObjects(owner, TItem::StaticClassInfo()) {}
  TItem& Items(int index) const { return static_cast<TItem&>(TMBasicObjects::Items(index)); }
};

namespace model_detail {

template <class T>
constexpr TPropKind ScalarKind() {
  if constexpr (std::is_same_v<T, std::int32_t>)
    return TPropKind::Integer;
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return TPropKind::Cardinal;
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return TPropKind::Int64;
  else if constexpr (std::is_same_v<T, double>)
    return TPropKind::Double;
  else if constexpr (std::is_same_v<T, bool>)
    return TPropKind::Boolean;
  else {
    static_assert(std::is_same_v<T, std::string>, "unsupported property type");
    return TPropKind::String;
  }
}

}  // namespace model_detail

// Builds the property table of class C, whose parent class is described by `parent`.
template <class C>
class TPropTableBuilder {
 public:
  TPropTableBuilder(std::string className, const TClassInfo* parent)
      : FClassName(std::move(className)),
        FParent(parent),
        FSaveSkips(parent ? &parent->SaveSkips() : &StandardSaveSkips()),
        FSavesUnderElementName(false) {}

  // A scalar data member; its kind follows its type.
  template <class B, class T>
  TPropTableBuilder& Prop(std::string name, T B::*member, std::type_identity_t<T> def) {
    return Scalar<B, T>(std::move(name), model_detail::ScalarKind<T>(), member,
                        [def] { return TPropValue(def); });
  }
  // A WideString data member (UTF-8 std::string).
  template <class B>
  TPropTableBuilder& Wide(std::string name, std::string B::*member, std::string def) {
    return Scalar<B, std::string>(std::move(name), TPropKind::WideString, member,
                                  [def] { return TPropValue(def); });
  }
  // A scalar data member whose default is computed anew for every object.
  template <class B, class T>
  TPropTableBuilder& Generated(std::string name, T B::*member, T (*generate)()) {
    return Scalar<B, T>(std::move(name), model_detail::ScalarKind<T>(), member,
                        [generate] { return TPropValue(generate()); });
  }
  // A scalar reached through a getter and a setter with side effects.
  template <class T, class Getter, class Setter>
  TPropTableBuilder& Accessor(std::string name, TPropKind kind, Getter getter, Setter setter,
                              T def) {
    TPropInfo info;
    info.name = std::move(name);
    info.kind = kind;
    info.get = [getter](const TMBasicObject& o) {
      return TPropValue(T((static_cast<const C&>(o).*getter)()));
    };
    info.set = [setter](TMBasicObject& o, const TPropValue& v) {
      (static_cast<C&>(o).*setter)(std::get<T>(v));
    };
    info.makeDefault = [def] { return TPropValue(def); };
    FOwn.push_back(std::move(info));
    return *this;
  }
  // An owned object or list; the member's pointee is the class created for it.
  template <class B, class T>
  TPropTableBuilder& Prop(std::string name, std::unique_ptr<T> B::*member) {
    TPropInfo info;
    info.name = std::move(name);
    info.create = [member](TMBasicObject& o) {
      auto& self = static_cast<C&>(o);
      self.*member = std::make_unique<T>(&self);
    };
    if constexpr (std::is_base_of_v<TMBasicObjects, T>) {
      info.kind = TPropKind::List;
      info.list = [member](const TMBasicObject& o) -> TMBasicObjects* {
        return (static_cast<const C&>(o).*member).get();
      };
    } else {
      static_assert(std::is_base_of_v<TMBasicObject, T>, "object properties hold model objects");
      info.kind = TPropKind::Object;
      info.object = [member](const TMBasicObject& o) -> TMBasicObject* {
        return (static_cast<const C&>(o).*member).get();
      };
    }
    FOwn.push_back(std::move(info));
    return *this;
  }
  // A new default for an inherited property.
  TPropTableBuilder& DefaultOf(std::string name, TPropValue value) {
    FOverrides.push_back({std::move(name), std::move(value)});
    return *this;
  }
  TPropTableBuilder& SavedUnderElementName() {
    FSavesUnderElementName = true;
    return *this;
  }
  TPropTableBuilder& SaveSkips(const TSaveSkipList& skips) {
    FSaveSkips = &skips;
    return *this;
  }

  std::unique_ptr<TClassInfo> Build() {
    auto factory = [](TMPersistent* owner) -> std::unique_ptr<TMBasicObject> {
      return std::make_unique<C>(owner);
    };
    return std::make_unique<TClassInfo>(std::move(FClassName), FParent, factory, std::move(FOwn),
                                        std::move(FOverrides), FSavesUnderElementName, FSaveSkips);
  }

 private:
  template <class B, class T>
  TPropTableBuilder& Scalar(std::string name, TPropKind kind, T B::*member,
                            std::function<TPropValue()> makeDefault) {
    static_assert(std::is_base_of_v<B, C>);
    TPropInfo info;
    info.name = std::move(name);
    info.kind = kind;
    info.get = [member](const TMBasicObject& o) {
      return TPropValue(static_cast<const C&>(o).*member);
    };
    info.set = [member](TMBasicObject& o, const TPropValue& v) {
      static_cast<C&>(o).*member = std::get<T>(v);
    };
    info.makeDefault = std::move(makeDefault);
    FOwn.push_back(std::move(info));
    return *this;
  }

  std::string FClassName;
  const TClassInfo* FParent;
  const TSaveSkipList* FSaveSkips;
  bool FSavesUnderElementName;
  std::vector<TPropInfo> FOwn;
  std::vector<TClassInfo::TDefaultOverride> FOverrides;
};
