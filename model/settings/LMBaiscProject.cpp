#include "model/settings/LMBaiscProject.h"

#include <cstddef>

#include "platform/Xml.h"
#include "util/AsciiCase.h"
#include "util/Error.h"
#include "util/StrUtils_zan.h"

namespace lm_convert {

std::int32_t ToInteger(std::string_view text) {
  std::int32_t value = 0;
  return TryStrToInt(text, value) ? value : 0;
}

std::uint32_t ToCardinal(std::string_view text) {
  return static_cast<std::uint32_t>(ToInteger(text));
}

bool ToBoolean(std::string_view text) {
  if (SameTextAscii(text, "True")) return true;
  if (SameTextAscii(text, "False")) return false;
  throw Error("Invalid property element: " + std::string(text));
}

double ToDouble(std::string_view text) {
  return ReadDecimalNumber(TrimChars(text, " \t"), LocalDecimalSeparator()).value_or(0);
}

}  // namespace lm_convert

namespace {

void SetFromText(TLMBasicProject& object, const TLMPropertyInfo& property, std::string_view text) {
  switch (property.kind) {
    case TLMPropertyKind::Integer:
      property.set(object, lm_convert::ToInteger(text));
      break;
    case TLMPropertyKind::Cardinal:
      property.set(object, lm_convert::ToCardinal(text));
      break;
    case TLMPropertyKind::Boolean:
      property.set(object, lm_convert::ToBoolean(text));
      break;
    case TLMPropertyKind::Double:
      property.set(object, lm_convert::ToDouble(text));
      break;
    case TLMPropertyKind::String:
    case TLMPropertyKind::WideString:
      property.set(object, std::string(text));
      break;
    case TLMPropertyKind::Int64:  // never read from a document
    case TLMPropertyKind::Object:
    case TLMPropertyKind::List:
      break;
  }
}

}  // namespace

// --- TLMClassInfo -----------------------------------------------------------------------------

TLMClassInfo::TLMClassInfo(std::string_view name, const TLMClassInfo* parent, Factory create,
                           std::vector<TLMPropertyInfo> ownProperties)
    : name_(name), parent_(parent), create_(create), ownProperties_(std::move(ownProperties)) {
  if (parent_ != nullptr) properties_ = parent_->Properties();
  for (const TLMPropertyInfo& property : ownProperties_) properties_.push_back(&property);
}

const TLMPropertyInfo* TLMClassInfo::Find(std::string_view name) const {
  for (const TLMPropertyInfo* property : properties_)
    if (SameTextAscii(property->name, name)) return property;
  return nullptr;
}

// --- TLMBasicProject --------------------------------------------------------------------------

TLMBasicProject::TLMBasicProject(const void* owner) : owner_(owner) {}

TLMBasicProject::~TLMBasicProject() = default;

const TLMClassInfo& TLMBasicProject::StaticClassInfo() {
  static const TLMClassInfo info("TLMBasicProject", nullptr, &lm_detail::Create<TLMBasicProject>,
                                 {});
  return info;
}

void TLMBasicProject::InitialiseOwnProperties(const TLMClassInfo& info) {
  for (const TLMPropertyInfo& property : info.OwnProperties()) {
    if (property.IsScalar())
      property.set(*this, property.defaultValue);
    else
      property.create(*this);
  }
}

void TLMBasicProject::LoadFromNode(const platform::XmlNode& node) {
  for (const platform::XmlAttribute& attribute : node.Attributes())
    LoadAttribute(attribute.name, attribute.value);
  for (const platform::XmlNode& child : node.Children()) LoadChildElement(child);
}

void TLMBasicProject::LoadAttribute(std::string_view name, std::string_view value) {
  const TLMPropertyInfo* property = ClassInfo().Find(name);
  if (property != nullptr && property->IsScalar()) SetFromText(*this, *property, value);
}

void TLMBasicProject::LoadChildElement(const platform::XmlNode& child) {
  if (!child.IsElement()) return;
  const TLMPropertyInfo* property = ClassInfo().Find(child.Name());
  if (property == nullptr) return;
  switch (property->kind) {
    case TLMPropertyKind::Object:
      property->object(*this)->LoadFromNode(child);
      break;
    case TLMPropertyKind::List:
      property->list(*this)->LoadFromNode(child);
      break;
    case TLMPropertyKind::Int64:
      break;
    default:
      SetFromText(*this, *property, child.Text());
      break;
  }
}

void TLMBasicProject::Assign(const TLMBasicProject& source) {
  if (&source == this) return;
  if (&source.ClassInfo() != &ClassInfo())
    throw Error("Cannot assign a " + std::string(source.ClassInfo().Name()) + " to a " +
                std::string(ClassInfo().Name()));
  for (const TLMPropertyInfo* property : ClassInfo().Properties()) {
    switch (property->kind) {
      case TLMPropertyKind::Object:
        property->object(*this)->Assign(*property->object(source));
        break;
      case TLMPropertyKind::List:
        property->list(*this)->Assign(*property->list(source));
        break;
      default:
        property->set(*this, property->get(source));
        break;
    }
  }
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

void TLMBasicProjects::LoadFromNode(const platform::XmlNode& node) {
  Clear();
  if (itemClass_ == nullptr) throw Error("Settings list without an item class");
  for (const platform::XmlNode& child : node.Children()) {
    if (!child.IsElement()) continue;
    std::unique_ptr<TLMBasicProject> item = itemClass_->Create(this);
    item->LoadFromNode(child);
    Add(std::move(item));
  }
}

void TLMBasicProjects::Assign(const TLMBasicProjects& source) {
  if (&source == this) return;
  Clear();
  for (const std::unique_ptr<TLMBasicProject>& sourceItem : source.items_) {
    std::unique_ptr<TLMBasicProject> item = sourceItem->ClassInfo().Create(this);
    item->Assign(*sourceItem);
    Add(std::move(item));
  }
}
