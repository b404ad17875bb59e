#include "model/settings/LMBaiscProject.h"

#include <cstddef>

#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/StrUtils_zan.h"

// --- Conversions -------------------------------------------------------------------------------

std::optional<TPropValue> TSettingsModel::AttributeValue(TPropKind kind,
                                                         const platform::XmlAttribute& attr) {
  return ChildValue(kind, attr.value);
}

std::optional<TPropValue> TSettingsModel::ChildValue(TPropKind kind, const std::string& text) {
  std::int32_t integer = 0;
  switch (kind) {
    case TPropKind::Integer:
      TryStrToInt(text, integer);
      return integer;
    case TPropKind::Cardinal:
      TryStrToInt(text, integer);
      return static_cast<std::uint32_t>(integer);
    case TPropKind::Boolean:
      if (SameTextAscii(text, "True")) return true;
      if (SameTextAscii(text, "False")) return false;
      throw Error("Invalid property element: " + text);
    case TPropKind::Double:
      return ReadDecimalNumber(TrimChars(text, " \t"), LocalDecimalSeparator()).value_or(0.0);
    case TPropKind::String:
    case TPropKind::WideString:
      return text;
    default:  // Int64 is never read from a document
      return std::nullopt;
  }
}

// --- TLMBasicProject --------------------------------------------------------------------------

TLMBasicProject::TLMBasicProject(const void* owner) : owner_(owner) {}

TLMBasicProject::~TLMBasicProject() = default;

const TLMClassInfo& TLMBasicProject::StaticClassInfo() {
  static const auto& info =
      TPropTableBuilder<TSettingsModel, TLMBasicProject>("TLMBasicProject", nullptr).Build();
  return info;
}

void TLMBasicProject::LoadFromXML(const platform::XmlNode& node) {
  LoadProperties<TSettingsModel>(*this, node);
}

void TLMBasicProject::Assign(const TLMBasicProject& source) {
  AssignProperties<TSettingsModel>(*this, source);
}

// --- TLMBasicProjects -------------------------------------------------------------------------

TLMBasicProjects::TLMBasicProjects(const void* owner) : owner_(owner) {}

TLMBasicProjects::~TLMBasicProjects() = default;

TLMBasicProject& TLMBasicProjects::Items(int index) const {
  if (index < 0 || index >= Count())
    throw Error("List index out of bounds (" + std::to_string(index) + ")");
  return *items_[static_cast<std::size_t>(index)];
}

void TLMBasicProjects::Add(std::unique_ptr<TLMBasicProject> item) {
  if (item) items_.push_back(std::move(item));
}

void TLMBasicProjects::LoadFromXML(const platform::XmlNode& node) {
  Clear();
  if (itemClass_ == nullptr) throw Error("Settings list without an item class");
  for (const platform::XmlNode& child : node.Children()) {
    if (!child.IsElement()) continue;
    std::unique_ptr<TLMBasicProject> item = itemClass_->NewInstance(this);
    item->LoadFromXML(child);
    Add(std::move(item));
  }
}

void TLMBasicProjects::Assign(const TLMBasicProjects& source) {
  if (&source == this) return;
  Clear();
  for (const std::unique_ptr<TLMBasicProject>& sourceItem : source.items_) {
    std::unique_ptr<TLMBasicProject> item = sourceItem->ClassInfo().NewInstance(this);
    item->Assign(*sourceItem);
    Add(std::move(item));
  }
}
