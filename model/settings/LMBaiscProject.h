#pragma once
// Base classes of the project settings: TLMBasicProject, the base of every settings object,
// and TLMBasicProjects, a list of settings objects, on the property tables of
// model/PropertyTable.h. Settings are only ever read: there is no writer, and loading logs
// nothing.
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

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/PropertyTable.h"
#include "platform/Xml.h"

class TLMBasicProject;
class TLMBasicProjects;

// The settings' classes and their text conversions (above).
struct TSettingsModel {
  using Object = TLMBasicProject;
  using List = TLMBasicProjects;
  using Owner = const void*;
  static std::optional<TPropValue> AttributeValue(TPropKind kind,
                                                  const platform::XmlAttribute& attr);
  static std::optional<TPropValue> ChildValue(TPropKind kind, const std::string& text);
};

using TLMPropertyInfo = TPropInfoOf<TSettingsModel>;
using TLMClassInfo = TClassInfoOf<TSettingsModel>;

class TLMBasicProject {
 public:
  using TModel = TSettingsModel;

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
  void LoadFromXML(const platform::XmlNode& node);

  // Copies every property of `source`, which must be of the same class: plain values by
  // value, sub-objects assigned in place, lists rebuilt.
  void Assign(const TLMBasicProject& source);

 private:
  const void* owner_;
};

class TLMBasicProjects {
 public:
  explicit TLMBasicProjects(const void* owner = nullptr);
  virtual ~TLMBasicProjects();
  TLMBasicProjects(const TLMBasicProjects&) = delete;
  TLMBasicProjects& operator=(const TLMBasicProjects&) = delete;

  const void* Owner() const { return owner_; }
  // The class of the items that LoadFromXML creates; null until a concrete list sets it.
  const TLMClassInfo* ItemClass() const { return itemClass_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // Raises Error("List index out of bounds (<index>)") for a bad index.
  TLMBasicProject& Items(int index) const;
  void Add(std::unique_ptr<TLMBasicProject> item);
  void Clear() { items_.clear(); }

  // Drops the present items, then loads one item of the item class from every child element.
  void LoadFromXML(const platform::XmlNode& node);
  // Drops the present items, then appends a copy of every source item, each of its own class.
  void Assign(const TLMBasicProjects& source);

 protected:
  void SetItemClass(const TLMClassInfo& itemClass) { itemClass_ = &itemClass; }

 private:
  const void* owner_;
  const TLMClassInfo* itemClass_ = nullptr;
  std::vector<std::unique_ptr<TLMBasicProject>> items_;
};
