#pragma once
// Property tables of the document models (the book and the project settings).
//
// A model class declares its properties once, in a table built with TPropTableBuilder: name,
// kind and member, and for object and list properties the class to create. Members take their
// defaults where the class declares them; a table only names the inherited properties whose
// default it changes. Loading, Assign and the book's writer walk the tables, the ancestors'
// properties first, so no model class carries parsing or copying code of its own.
//
// A document describes itself to the tables with a model struct:
//   using Object = ...;  // base of its objects: ClassInfo(), Assign, LoadFromXML
//   using List = ...;    // base of its lists: Assign, LoadFromXML
//   using Owner = ...;   // what its objects are constructed with
//   // The value the text of an attribute or of a child element gives a scalar property, or
//   // nullopt to leave the property as it is; raises Error for a text the document refuses.
//   static std::optional<TPropValue> AttributeValue(TPropKind, const platform::XmlAttribute&);
//   static std::optional<TPropValue> ChildValue(TPropKind, const std::string& text);

#include <array>
#include <cstddef>
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
#include "util/AsciiCase.h"
#include "util/Error.h"

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
// (String and WideString both hold UTF-8 std::string).
using TPropValue =
    std::variant<std::int32_t, std::uint32_t, std::int64_t, double, bool, std::string>;

// Attributes a writer leaves out when the property's text equals the given text.
using TSaveSkipList = std::vector<std::pair<std::string, std::string>>;

// One row of a property table.
template <class Model>
struct TPropInfoOf {
  using Object = typename Model::Object;

  std::string name;
  TPropKind kind = TPropKind::Integer;
  // Scalars.
  std::function<TPropValue(const Object&)> get;
  std::function<void(Object&, TPropValue)> set;
  // Objects and lists: the held instance (null only if a caller reset it), and the creation of
  // a new, empty instance of the declared class owned by the object.
  std::function<Object*(const Object&)> object;
  std::function<typename Model::List*(const Object&)> list;
  std::function<void(Object&)> create;

  bool IsScalar() const { return kind != TPropKind::Object && kind != TPropKind::List; }
};

// The property table and run-time class data of one model class.
template <class Model>
class TClassInfoOf {
 public:
  using Object = typename Model::Object;
  using TPropInfo = TPropInfoOf<Model>;
  using TFactory = std::unique_ptr<Object> (*)(typename Model::Owner);
  using TDefault = std::pair<std::string, TPropValue>;

  TClassInfoOf(std::string className, const TClassInfoOf* parent, TFactory factory,
               std::vector<TPropInfo> ownProps, std::vector<TDefault> inheritedDefaults,
               bool savesUnderElementName, const TSaveSkipList* saveSkips)
      : className_(std::move(className)),
        parent_(parent),
        factory_(factory),
        own_(std::move(ownProps)),
        savesUnderElementName_(savesUnderElementName),
        saveSkips_(saveSkips) {
    if (parent_) all_ = parent_->all_;
    for (const TPropInfo& prop : own_) all_.push_back(&prop);
    for (const TPropInfo* prop : all_) byLowerName_.try_emplace(AsciiLowerCase(prop->name), prop);
    for (TDefault& def : inheritedDefaults) {
      // Own members are constructed after this level's defaults are applied, so only an
      // inherited property can take a default from the table.
      const TPropInfo* prop = parent_ ? parent_->Find(def.first) : nullptr;
      if (!prop || !prop->IsScalar()) throw Error("Unknown property " + def.first);
      defaults_.emplace_back(prop, std::move(def.second));
    }
  }
  TClassInfoOf(const TClassInfoOf&) = delete;
  TClassInfoOf& operator=(const TClassInfoOf&) = delete;

  const std::string& ClassName() const { return className_; }
  const TClassInfoOf* Parent() const { return parent_; }
  bool InheritsFrom(const TClassInfoOf& other) const {
    for (const TClassInfoOf* info = this; info; info = info->parent_)
      if (info == &other) return true;
    return false;
  }

  // Every property, the ancestors' first, then this class's own in declaration order.
  const std::vector<const TPropInfo*>& Properties() const { return all_; }
  // Look-up ignoring ASCII letter case; null when no property has that name.
  const TPropInfo* Find(std::string_view name) const {
    const auto found = byLowerName_.find(AsciiLowerCase(name));
    return found == byLowerName_.end() ? nullptr : found->second;
  }

  std::unique_ptr<Object> NewInstance(typename Model::Owner owner) const { return factory_(owner); }

  // For a writer: whether a list writes items of this class under their ElementName rather
  // than under the class name, and the attributes it leaves out (null: the document's own list).
  bool SavesUnderElementName() const { return savesUnderElementName_; }
  const TSaveSkipList* SaveSkips() const { return saveSkips_; }

  // Gives the inherited properties this class's defaults for them.
  void ApplyInheritedDefaults(Object& object) const {
    for (const auto& [prop, value] : defaults_) prop->set(object, value);
  }

 private:
  std::string className_;
  const TClassInfoOf* parent_;
  TFactory factory_;
  std::vector<TPropInfo> own_;
  std::vector<std::pair<const TPropInfo*, TPropValue>> defaults_;
  bool savesUnderElementName_;
  const TSaveSkipList* saveSkips_;
  std::vector<const TPropInfo*> all_;
  std::unordered_map<std::string, const TPropInfo*> byLowerName_;
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
template <class Model, class C>
class TPropTableBuilder {
 public:
  using Object = typename Model::Object;
  using TClassInfo = TClassInfoOf<Model>;
  using TPropInfo = TPropInfoOf<Model>;

  TPropTableBuilder(std::string className, const TClassInfo* parent)
      : className_(std::move(className)),
        parent_(parent),
        saveSkips_(parent ? parent->SaveSkips() : nullptr) {}

  // A scalar data member; its kind follows its type (std::string: String).
  template <class B, class T>
  TPropTableBuilder& Prop(std::string name, T B::*member) {
    return Scalar(std::move(name), model_detail::ScalarKind<T>(), member);
  }
  // A WideString data member (UTF-8 std::string).
  template <class B>
  TPropTableBuilder& Wide(std::string name, std::string B::*member) {
    return Scalar(std::move(name), TPropKind::WideString, member);
  }
  // Scalar data members of a base class shared by several model classes, as (name, member) rows.
  template <class B, class T, std::size_t N>
  TPropTableBuilder& Props(const std::array<std::pair<const char*, T B::*>, N>& rows) {
    for (const auto& [name, member] : rows) Prop(name, member);
    return *this;
  }
  // A scalar reached through a getter and a setter with side effects.
  template <class T, class Getter, class Setter>
  TPropTableBuilder& Accessor(std::string name, TPropKind kind, Getter getter, Setter setter) {
    TPropInfo info;
    info.name = std::move(name);
    info.kind = kind;
    info.get = [getter](const Object& o) {
      return TPropValue(T((static_cast<const C&>(o).*getter)()));
    };
    info.set = [setter](Object& o, TPropValue v) {
      (static_cast<C&>(o).*setter)(std::get<T>(std::move(v)));
    };
    own_.push_back(std::move(info));
    return *this;
  }
  // An owned object or list; the member's pointee is the class created for it.
  template <class B, class T>
  TPropTableBuilder& Prop(std::string name, std::unique_ptr<T> B::*member) {
    TPropInfo info;
    info.name = std::move(name);
    info.create = [member](Object& o) {
      auto& self = static_cast<C&>(o);
      self.*member = std::make_unique<T>(&self);
    };
    if constexpr (std::is_base_of_v<typename Model::List, T>) {
      info.kind = TPropKind::List;
      info.list = [member](const Object& o) ->
          typename Model::List* { return (static_cast<const C&>(o).*member).get(); };
    } else {
      static_assert(std::is_base_of_v<Object, T>, "object properties hold model objects");
      info.kind = TPropKind::Object;
      info.object = [member](const Object& o) -> Object* {
        return (static_cast<const C&>(o).*member).get();
      };
    }
    own_.push_back(std::move(info));
    return *this;
  }
  // A default of this class for an inherited property.
  TPropTableBuilder& DefaultOf(std::string name, TPropValue value) {
    defaults_.emplace_back(std::move(name), std::move(value));
    return *this;
  }
  TPropTableBuilder& SavedUnderElementName() {
    savesUnderElementName_ = true;
    return *this;
  }
  TPropTableBuilder& SaveSkips(const TSaveSkipList& skips) {
    saveSkips_ = &skips;
    return *this;
  }

  // The table lives as long as the process, never destroyed: a thread still reading a document
  // when another ends the process (exit does not wait for it) must not find it gone.
  const TClassInfo& Build() {
    auto factory = [](typename Model::Owner owner) -> std::unique_ptr<Object> {
      return std::make_unique<C>(owner);
    };
    return *std::make_unique<TClassInfo>(std::move(className_), parent_, factory, std::move(own_),
                                         std::move(defaults_), savesUnderElementName_, saveSkips_)
                .release();
  }

 private:
  template <class B, class T>
  TPropTableBuilder& Scalar(std::string name, TPropKind kind, T B::*member) {
    static_assert(std::is_base_of_v<B, C>);
    TPropInfo info;
    info.name = std::move(name);
    info.kind = kind;
    info.get = [member](const Object& o) { return TPropValue(static_cast<const C&>(o).*member); };
    info.set = [member](Object& o, TPropValue v) {
      static_cast<C&>(o).*member = std::get<T>(std::move(v));
    };
    own_.push_back(std::move(info));
    return *this;
  }

  std::string className_;
  const TClassInfo* parent_;
  const TSaveSkipList* saveSkips_;
  bool savesUnderElementName_ = false;
  std::vector<TPropInfo> own_;
  std::vector<typename TClassInfo::TDefault> defaults_;
};

// The part every model class shares: construction with an owner, the defaults its table gives
// to inherited properties, and ClassInfo(). A class derives from TModelClass<itself, its base>,
// inherits the constructor and declares its StaticClassInfo(), built with Table().
template <class Self, class Base>
class TModelClass : public Base {
 public:
  using TModel = typename Base::TModel;

  explicit TModelClass(typename TModel::Owner owner = nullptr) : Base(owner) {
    Self::StaticClassInfo().ApplyInheritedDefaults(*this);
  }
  const TClassInfoOf<TModel>& ClassInfo() const override { return Self::StaticClassInfo(); }

 protected:
  // The builder of Self's table, below its base class's table.
  static TPropTableBuilder<TModel, Self> Table(std::string className) {
    return TPropTableBuilder<TModel, Self>(std::move(className), &Base::StaticClassInfo());
  }
};

// Copies every property of `source`, an object of the same class as `target`: scalars by value,
// objects and lists deeply.
template <class Model>
void AssignProperties(typename Model::Object& target, const typename Model::Object& source) {
  if (&source == &target) return;
  const TClassInfoOf<Model>& info = target.ClassInfo();
  if (&source.ClassInfo() != &info)
    throw Error("Cannot assign a " + source.ClassInfo().ClassName() + " to a " + info.ClassName());
  for (const TPropInfoOf<Model>* prop : info.Properties()) {
    if (prop->IsScalar()) {
      prop->set(target, prop->get(source));
    } else if (prop->kind == TPropKind::Object) {
      if (!prop->object(target)) prop->create(target);
      if (const auto* held = prop->object(source)) prop->object(target)->Assign(*held);
    } else {
      if (!prop->list(target)) prop->create(target);
      if (const auto* held = prop->list(source)) prop->list(target)->Assign(*held);
    }
  }
}

// Loads an element into `object`: its attributes first, then its child elements, each in
// document order, converted by the model's rules. Names that are no property are skipped.
template <class Model>
void LoadProperties(typename Model::Object& object, const platform::XmlNode& node) {
  const TClassInfoOf<Model>& info = object.ClassInfo();
  for (const platform::XmlAttribute& attr : node.Attributes()) {
    const TPropInfoOf<Model>* prop = info.Find(attr.name);
    if (!prop || !prop->IsScalar()) continue;
    if (auto value = Model::AttributeValue(prop->kind, attr)) prop->set(object, std::move(*value));
  }
  for (const platform::XmlNode& child : node.Children()) {
    if (!child.IsElement()) continue;
    const TPropInfoOf<Model>* prop = info.Find(child.Name());
    if (!prop) continue;
    if (prop->kind == TPropKind::Object) {
      if (auto* held = prop->object(object)) held->LoadFromXML(child);
    } else if (prop->kind == TPropKind::List) {
      if (auto* held = prop->list(object)) held->LoadFromXML(child);
    } else if (auto value = Model::ChildValue(prop->kind, child.Text())) {
      prop->set(object, std::move(*value));
    }
  }
}
