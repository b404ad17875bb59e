#include "BookTestSupport.h"

#include <variant>

namespace booktest {

std::string Describe(const TPropValue& value) {
  return std::visit(
      [](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>)
          return "\"" + v + "\"";
        else if constexpr (std::is_same_v<T, bool>)
          return v ? "true" : "false";
        else
          return std::to_string(v);
      },
      value);
}

namespace {

std::string ListDifference(const TMBasicObjects& a, const TMBasicObjects& b,
                           const std::string& path) {
  if (a.Count() != b.Count())
    return path + ": " + std::to_string(a.Count()) + " vs " + std::to_string(b.Count()) + " items";
  for (int i = 0; i < a.Count(); ++i) {
    std::string diff = DeepDifference(a.Items(i), b.Items(i), path + "[" + std::to_string(i) + "]");
    if (!diff.empty()) return diff;
  }
  return {};
}

}  // namespace

std::string DeepDifference(const TMBasicObject& a, const TMBasicObject& b,
                           const std::string& path) {
  if (&a.ClassInfo() != &b.ClassInfo())
    return path + ": " + a.ClassInfo().ClassName() + " vs " + b.ClassInfo().ClassName();
  if (a.ElementName() != b.ElementName())
    return path + ": element name " + a.ElementName() + " vs " + b.ElementName();
  for (const TPropInfo* prop : a.ClassInfo().Properties()) {
    const std::string where = path + "." + prop->name;
    if (prop->kind == TPropKind::Object) {
      std::string diff = DeepDifference(*prop->object(a), *prop->object(b), where);
      if (!diff.empty()) return diff;
    } else if (prop->kind == TPropKind::List) {
      std::string diff = ListDifference(*prop->list(a), *prop->list(b), where);
      if (!diff.empty()) return diff;
    } else if (prop->get(a) != prop->get(b)) {
      return where + ": " + Describe(prop->get(a)) + " vs " + Describe(prop->get(b));
    }
  }
  return {};
}

void LoadInto(TMBasicObject& object, std::string_view xml) {
  platform::XmlDocument document;
  document.LoadFromText(xml);
  object.LoadFromXML(document.DocumentElement());
}

std::unique_ptr<TMBook> BookFrom(std::string_view xml) {
  auto book = std::make_unique<TMBook>();
  book->LoadFromStream(xml);
  return book;
}

std::string SavedAttributes(const TMBasicObject& object) {
  platform::XmlDocument document;
  platform::XmlNode root = document.CreateDocumentElement("x");
  object.SaveToXML(root);
  std::string result;
  for (const platform::XmlAttribute& attr : root.Attributes()) {
    if (!result.empty()) result += ' ';
    result += attr.name + "=\"" + attr.value + "\"";
  }
  return result;
}

}  // namespace booktest
