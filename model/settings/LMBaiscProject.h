#pragma once
// Base classes of the project settings: TLMBasicProject, the base of every settings object,
// and TLMBasicProjects, a list of settings objects.
//
// A settings class declares its published properties once, in a table (name, kind, member,
// default, and for object properties the class to create). Construction, loading from XML and
// Assign walk that table, ancestors' properties first; no class parses its own XML. Settings are
// only ever read: there is no writer, and loading logs nothing.
//
// Text conversions of the loader (the same for attributes and child elements):
// - Integer: decimal with leading blanks and an optional sign, or hexadecimal after "$", "x" or
//   "0x" (TryStrToInt). Text that does not convert gives 0: letters, the empty text, trailing
//   blanks, a decimal value outside -2147483648..2147483647, more than 8 hexadecimal digits.
// - Cardinal: read by the integer rules and kept as its 32-bit pattern. So a decimal value
//   above 2147483647 gives 0 (it does not convert), "$CC333333" gives 3425907507, "-1" and
//   "$FFFFFFFF" give 4294967295, "-$10" gives 4294967280.
// - Boolean: "True" or "False" in any letter case; any other text raises
//   Error("Invalid property element: <text>") and ends the load.
// - Double: decimal number in the current C locale's format (its decimal separator, no other),
//   optional exponent; text that does not convert, or overflows, gives 0.
// - Strings: as is (UTF-8).
// - Int64: never read; the property keeps its value.
// - Objects: the element is loaded into the existing sub-object (its attributes, then its
//   child elements).
// - Lists: the present items are dropped and one item is loaded from every child element.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace platform {
class XmlNode;
}

class TLMBasicProject;
class TLMBasicProjects;

enum class TLMPropertyKind {
  Integer,     // std::int32_t
  Cardinal,    // std::uint32_t
  Boolean,     // bool
  Double,      // double
  String,      // std::string (8-bit text in the stored document's terms)
  WideString,  // std::string (UTF-16 text in the stored document's terms)
  Int64,       // std::int64_t
  Object,      // std::unique_ptr<a TLMBasicProject descendant>
  List,        // std::unique_ptr<a TLMBasicProjects descendant>
};

// The value of a scalar property (every kind but Object and List).
using TLMValue = std::variant<std::int32_t, std::uint32_t, bool, double, std::string, std::int64_t>;

// One published property. Scalar kinds use get/set, object kinds create/object, list kinds
// create/list; the other accessors stay null.
struct TLMPropertyInfo {
  std::string_view name;
  TLMPropertyKind kind = TLMPropertyKind::Integer;
  TLMValue defaultValue;
  TLMValue (*get)(const TLMBasicProject&) = nullptr;
  void (*set)(TLMBasicProject&, TLMValue) = nullptr;
  void (*create)(TLMBasicProject&) = nullptr;  // a new sub-object owned by the object
  TLMBasicProject* (*object)(const TLMBasicProject&) = nullptr;
  TLMBasicProjects* (*list)(const TLMBasicProject&) = nullptr;

  bool IsScalar() const { return kind != TLMPropertyKind::Object && kind != TLMPropertyKind::List; }
};

// The run-time description of one settings class: its own properties and, through its parent,
// the inherited ones.
class TLMClassInfo {
 public:
  using Factory = std::unique_ptr<TLMBasicProject> (*)(const void* owner);

  TLMClassInfo(std::string_view name, const TLMClassInfo* parent, Factory create,
               std::vector<TLMPropertyInfo> ownProperties);
  TLMClassInfo(const TLMClassInfo&) = delete;
  TLMClassInfo& operator=(const TLMClassInfo&) = delete;

  std::string_view Name() const { return name_; }
  const TLMClassInfo* Parent() const { return parent_; }
  // A new instance of this class, defaults applied.
  std::unique_ptr<TLMBasicProject> Create(const void* owner) const { return create_(owner); }
  const std::vector<TLMPropertyInfo>& OwnProperties() const { return ownProperties_; }
  // Every published property, ancestors' first, each in declaration order.
  const std::vector<const TLMPropertyInfo*>& Properties() const { return properties_; }
  // The property of that name, ignoring ASCII letter case; null when there is none.
  const TLMPropertyInfo* Find(std::string_view name) const;

 private:
  std::string_view name_;
  const TLMClassInfo* parent_;
  Factory create_;
  std::vector<TLMPropertyInfo> ownProperties_;
  std::vector<const TLMPropertyInfo*> properties_;
};

class TLMBasicProject {
 public:
  // `owner` is stored unchanged (0 for the root, the parent object or list otherwise).
  explicit TLMBasicProject(const void* owner = nullptr);
  virtual ~TLMBasicProject();
  TLMBasicProject(const TLMBasicProject&) = delete;
  TLMBasicProject& operator=(const TLMBasicProject&) = delete;

  const void* Owner() const { return owner_; }

  static const TLMClassInfo& StaticClassInfo();
  virtual const TLMClassInfo& ClassInfo() const { return StaticClassInfo(); }

  // Applies the element's attributes, then its child elements in document order. A Boolean
  // that does not convert raises Error and leaves the later properties as they were.
  void LoadFromNode(const platform::XmlNode& node);

  // Copies every property of `source`, which must be of the same class: plain values by
  // value, sub-objects assigned in place, lists rebuilt.
  void Assign(const TLMBasicProject& source);

 protected:
  // Creates the sub-objects and assigns the defaults of the properties that `info` itself
  // declares. Every settings constructor calls it with its own class, so the base class's
  // properties are set up before the derived class's.
  void InitialiseOwnProperties(const TLMClassInfo& info);

 private:
  void LoadAttribute(std::string_view name, std::string_view value);
  void LoadChildElement(const platform::XmlNode& child);

  const void* owner_;
};

class TLMBasicProjects {
 public:
  explicit TLMBasicProjects(const void* owner = nullptr);
  virtual ~TLMBasicProjects();
  TLMBasicProjects(const TLMBasicProjects&) = delete;
  TLMBasicProjects& operator=(const TLMBasicProjects&) = delete;

  const void* Owner() const { return owner_; }
  // The class of the items that LoadFromNode creates; null until a concrete list sets it.
  const TLMClassInfo* ItemClass() const { return itemClass_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises Error("List index out of bounds (<index>)") for a bad index.
  TLMBasicProject& Items(int index) const;
  void Add(std::unique_ptr<TLMBasicProject> item);
  void Clear() { items_.clear(); }

  // Drops the present items, then loads one item of the item class from every child element.
  void LoadFromNode(const platform::XmlNode& node);
  // Drops the present items, then appends a copy of every source item, each of its own class.
  void Assign(const TLMBasicProjects& source);

 protected:
  void SetItemClass(const TLMClassInfo& itemClass) { itemClass_ = &itemClass; }

 private:
  const void* owner_;
  const TLMClassInfo* itemClass_ = nullptr;
  std::vector<std::unique_ptr<TLMBasicProject>> items_;
};

// Text conversions of the loader, one per scalar kind (see the top of this file).
namespace lm_convert {
std::int32_t ToInteger(std::string_view text);
std::uint32_t ToCardinal(std::string_view text);
bool ToBoolean(std::string_view text);  // raises Error("Invalid property element: <text>")
double ToDouble(std::string_view text);
}  // namespace lm_convert

// Building blocks of the property tables. A class's table is written with the LM_* macros
// below inside its StaticClassInfo(), where `Self` names the class.
namespace lm_detail {

template <typename Member>
struct MemberTraits;
template <typename Class_, typename Type_>
struct MemberTraits<Type_ Class_::*> {
  using Class = Class_;
  using Type = Type_;
};

template <TLMPropertyKind Kind>
struct ScalarType;
template <>
struct ScalarType<TLMPropertyKind::Integer> {
  using Type = std::int32_t;
};
template <>
struct ScalarType<TLMPropertyKind::Cardinal> {
  using Type = std::uint32_t;
};
template <>
struct ScalarType<TLMPropertyKind::Boolean> {
  using Type = bool;
};
template <>
struct ScalarType<TLMPropertyKind::Double> {
  using Type = double;
};
template <>
struct ScalarType<TLMPropertyKind::String> {
  using Type = std::string;
};
template <>
struct ScalarType<TLMPropertyKind::WideString> {
  using Type = std::string;
};
template <>
struct ScalarType<TLMPropertyKind::Int64> {
  using Type = std::int64_t;
};

template <TLMPropertyKind Kind, auto Member>
TLMPropertyInfo ScalarProperty(std::string_view name,
                               typename MemberTraits<decltype(Member)>::Type defaultValue) {
  using Class = typename MemberTraits<decltype(Member)>::Class;
  using Type = typename MemberTraits<decltype(Member)>::Type;
  static_assert(std::is_same_v<Type, typename ScalarType<Kind>::Type>,
                "the member's type does not match the property kind");
  TLMPropertyInfo info;
  info.name = name;
  info.kind = Kind;
  info.defaultValue = TLMValue(std::in_place_type<Type>, std::move(defaultValue));
  info.get = [](const TLMBasicProject& object) -> TLMValue {
    return TLMValue(std::in_place_type<Type>, static_cast<const Class&>(object).*Member);
  };
  info.set = [](TLMBasicProject& object, TLMValue value) {
    static_cast<Class&>(object).*Member = std::get<Type>(std::move(value));
  };
  return info;
}

template <auto Member>
TLMPropertyInfo ObjectProperty(std::string_view name) {
  using Class = typename MemberTraits<decltype(Member)>::Class;
  using Target = typename MemberTraits<decltype(Member)>::Type::element_type;
  TLMPropertyInfo info;
  info.name = name;
  info.create = [](TLMBasicProject& object) {
    auto& self = static_cast<Class&>(object);
    self.*Member = std::make_unique<Target>(&self);
  };
  if constexpr (std::is_base_of_v<TLMBasicProjects, Target>) {
    info.kind = TLMPropertyKind::List;
    info.list = [](const TLMBasicProject& object) -> TLMBasicProjects* {
      return (static_cast<const Class&>(object).*Member).get();
    };
  } else {
    static_assert(std::is_base_of_v<TLMBasicProject, Target>,
                  "an object property holds a settings object or a settings list");
    info.kind = TLMPropertyKind::Object;
    info.object = [](const TLMBasicProject& object) -> TLMBasicProject* {
      return (static_cast<const Class&>(object).*Member).get();
    };
  }
  return info;
}

template <typename Class>
std::unique_ptr<TLMBasicProject> Create(const void* owner) {
  return std::make_unique<Class>(owner);
}

}  // namespace lm_detail

// A scalar property: kind (Integer, Cardinal, Boolean, Double, String, WideString, Int64),
// member name (which is also the XML name) and default.
#define LM_PROPERTY(kind, member, defaultValue) \
  ::lm_detail::ScalarProperty<::TLMPropertyKind::kind, &Self::member>(#member, defaultValue)
// An object or list property; the member's declared class is the one created.
#define LM_OBJECT(member) ::lm_detail::ObjectProperty<&Self::member>(#member)
