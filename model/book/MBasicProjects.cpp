#include "model/book/MBasicProjects.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "log/ZanLog.h"
#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/StrUtils_zan.h"

namespace {

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

std::int64_t ParseInteger(std::string_view text, std::int64_t min, std::int64_t max) {
  const auto value = ReadDecimalInteger(TrimBlanks(text));
  if (!value || *value < min || *value > max)
    throw Error(Quoted(text) + " is not a valid integer value");
  return *value;
}

double ParseDouble(std::string_view text) {
  const auto value = ReadDecimalNumber(TrimBlanks(text), ".", TUnderflow::Nearest);
  if (!value) throw Error(Quoted(text) + " is not a valid floating point value");
  return *value;
}

bool ParseBoolean(std::string_view text) {
  const std::string lower = AsciiLowerCase(text);
  if (lower == "true") return true;
  if (lower == "false") return false;
  throw Error(Quoted(text) + " is not a valid boolean value");
}

std::string FormatDouble(double value) {
  if (!std::isfinite(value)) throw Error("Invalid floating point value");
  std::array<char, 64> buffer{};
  const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::general, 15);
  if (ec != std::errc()) throw Error("Invalid floating point value");
  return std::string(buffer.data(), end);
}

std::string FormatValue(const TPropValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>)
          return v ? "true" : "false";
        else if constexpr (std::is_same_v<T, double>)
          return FormatDouble(v);
        else if constexpr (std::is_same_v<T, std::string>)
          return v;
        else
          return std::to_string(v);
      },
      value);
}

template <class T>
T ParseAttrIntegral(std::string_view text) {
  return static_cast<T>(
      ParseInteger(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// The attribute text converted to the property's kind; raises Error on a bad text.
TPropValue AttrValue(TPropKind kind, const std::string& text) {
  switch (kind) {
    case TPropKind::Integer:
      return ParseAttrIntegral<std::int32_t>(text);
    case TPropKind::Cardinal:
      return ParseAttrIntegral<std::uint32_t>(text);
    case TPropKind::Int64:
      return ParseAttrIntegral<std::int64_t>(text);
    case TPropKind::Double:
      return ParseDouble(text);
    case TPropKind::Boolean:
      return ParseBoolean(text);
    default:
      return text;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conversions and writing rules

std::string DefaultElementName(std::string_view className) {
  return AsciiLowerCase(className.size() > 2 ? className.substr(2) : std::string_view());
}

const TSaveSkipList& StandardSaveSkips() {
  static const TSaveSkipList skips = {
      {"password", ""},  {"zoominit", "0.5"}, {"zoominit", "0.50"}, {"zoomsnap", ""},
      {"gaaccount", ""}, {"startpage", "1"},  {"gui", ""},          {"spinecolor", "13421772"},
  };
  return skips;
}

std::optional<TPropValue> TBookModel::AttributeValue(TPropKind kind,
                                                     const platform::XmlAttribute& attr) {
  try {
    return AttrValue(kind, attr.value);
  } catch (const std::exception& e) {
    LogMessage(std::string("Error on LoadXMLAttr:") + e.what() + "  PropName:" + attr.name +
               "  PropValue:" + attr.value);
    throw Error(e.what());
  }
}

std::optional<TPropValue> TBookModel::ChildValue(TPropKind kind, const std::string& text) {
  const auto integer = [&](std::int64_t min, std::int64_t max) -> std::int64_t {
    const auto value = ReadDecimalInteger(TrimBlanks(text));
    return value && *value >= min && *value <= max ? *value : 0;
  };
  switch (kind) {
    case TPropKind::Integer:
      return static_cast<std::int32_t>(integer(std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
    case TPropKind::Cardinal:
      return static_cast<std::uint32_t>(integer(0, std::numeric_limits<std::uint32_t>::max()));
    case TPropKind::Int64:
      return std::nullopt;
    case TPropKind::Double:
      return ReadDecimalNumber(TrimBlanks(text), LocalDecimalSeparator(), TUnderflow::Nearest)
          .value_or(0.0);
    case TPropKind::Boolean:
      return ParseBoolean(text);
    default:
      return text;
  }
}

// ---------------------------------------------------------------------------------------------
// TMBasicObject

const TClassInfo& TMBasicObject::StaticClassInfo() {
  static const auto& info =
      TPropTableBuilder<TBookModel, TMBasicObject>("TMBasicObject", nullptr).Build();
  return info;
}

TMBasicObject::TMBasicObject(TMPersistent* owner) : owner_(owner) {}

TMBasicObject::~TMBasicObject() = default;

std::string TMBasicObject::ElementName() const {
  return elementName_.empty() ? DefaultElementName(ClassInfo().ClassName()) : elementName_;
}

void TMBasicObject::Assign(const TMBasicObject& source) {
  AssignProperties<TBookModel>(*this, source);
}

void TMBasicObject::LoadFromXML(const platform::XmlNode& node) {
  LoadProperties<TBookModel>(*this, node);
}

void TMBasicObject::SaveToXML(platform::XmlNode node) const {
  const TClassInfo& info = ClassInfo();
  const TSaveSkipList& skips = info.SaveSkips() ? *info.SaveSkips() : StandardSaveSkips();
  const auto skipped = [&](const std::string& name, const std::string& text) {
    return std::any_of(skips.begin(), skips.end(),
                       [&](const auto& skip) { return skip.first == name && skip.second == text; });
  };
  for (const TPropInfo* prop : info.Properties()) {
    if (prop->kind == TPropKind::Object) {
      if (const TMBasicObject* held = prop->object(*this))
        held->SaveToXML(node.AddChild(prop->name));
    } else if (prop->kind == TPropKind::List) {
      if (const TMBasicObjects* held = prop->list(*this))
        held->SaveToXML(node.AddChild(prop->name));
    } else {
      try {
        std::string text = FormatValue(prop->get(*this));
        // A text property reading "True" or "False" is written like a Boolean.
        if (text == "True" || text == "False") text = AsciiLowerCase(text);
        if (skipped(prop->name, text)) continue;
        node.SetAttribute(prop->name, text);
      } catch (const std::exception&) {
        // A value that cannot be written is left out; the rest of the object still is.
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// TMBasicObjects

TMBasicObjects::TMBasicObjects(TMPersistent* owner, const TClassInfo& itemClass)
    : owner_(owner), itemClass_(itemClass) {}

TMBasicObjects::~TMBasicObjects() = default;

void TMBasicObjects::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit)
    throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

TMBasicObject& TMBasicObjects::Items(int index) const {
  CheckIndex(index, Count());
  return *items_[static_cast<std::size_t>(index)];
}

int TMBasicObjects::Add(std::unique_ptr<TMBasicObject> item) {
  Insert(Count(), std::move(item));
  return Count() - 1;
}

void TMBasicObjects::Insert(int index, std::unique_ptr<TMBasicObject> item) {
  CheckIndex(index, Count() + 1);
  if (!item) throw Error("Cannot add an empty item to a list");
  if (!item->ClassInfo().InheritsFrom(itemClass_))
    throw Error("A " + item->ClassInfo().ClassName() + " cannot be an item of a list of " +
                itemClass_.ClassName());
  items_.insert(items_.begin() + index, std::move(item));
}

void TMBasicObjects::Delete(int index) {
  CheckIndex(index, Count());
  items_.erase(items_.begin() + index);
}

void TMBasicObjects::Exchange(int index1, int index2) {
  CheckIndex(index1, Count());
  CheckIndex(index2, Count());
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TMBasicObjects::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex, Count());
  CheckIndex(newIndex, Count());
  auto item = std::move(items_[static_cast<std::size_t>(curIndex)]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(item));
}

void TMBasicObjects::Clear() {
  items_.clear();
}

std::unique_ptr<TMBasicObject> TMBasicObjects::CreateItemFor(const platform::XmlNode&) {
  return itemClass_.NewInstance(this);
}

void TMBasicObjects::LoadFromXML(const platform::XmlNode& node) {
  Clear();
  for (const platform::XmlNode& child : node.Children()) {
    if (!child.IsElement()) continue;
    std::unique_ptr<TMBasicObject> item = CreateItemFor(child);
    item->LoadFromXML(child);
    items_.push_back(std::move(item));
  }
}

void TMBasicObjects::SaveToXML(platform::XmlNode node) const {
  for (const auto& item : items_) {
    item->SaveToXML(node.AddChild(ItemElementName(*item)));
  }
}

std::string TMBasicObjects::ItemElementName(const TMBasicObject& item) {
  const TClassInfo& info = item.ClassInfo();
  return info.SavesUnderElementName() ? item.ElementName() : DefaultElementName(info.ClassName());
}

void TMBasicObjects::Assign(const TMBasicObjects& source) {
  if (&source == this) return;
  Clear();
  for (const auto& sourceItem : source.items_) {
    std::unique_ptr<TMBasicObject> copy = sourceItem->ClassInfo().NewInstance(this);
    copy->Assign(*sourceItem);
    Add(std::move(copy));
  }
}
