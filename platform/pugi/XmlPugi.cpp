// XML document access over pugixml.
// Implements: every operation of platform/Xml.h.
// Does not: validate, resolve external entities, or keep the original encoding when saving.

#include <pugixml.hpp>

#include <sstream>

#include "platform/Xml.h"
#include "util/Error.h"

namespace platform {
namespace {

pugi::xml_node ToPugi(const XmlNode& node) {
  return pugi::xml_node(static_cast<pugi::xml_node_struct*>(node.Handle()));
}

XmlNode FromPugi(pugi::xml_node node) { return XmlNode(node.internal_object()); }

// Collects text and CDATA at any depth. pugixml's traversal is iterative, so a deeply nested
// document cannot exhaust the stack here.
class TextCollector : public pugi::xml_tree_walker {
 public:
  explicit TextCollector(std::string& out) : out_(out) {}
  bool for_each(pugi::xml_node& node) override {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) out_ += node.value();
    return true;
  }

 private:
  std::string& out_;
};

void AppendText(pugi::xml_node node, std::string& out) {
  TextCollector collector(out);
  node.traverse(collector);
}

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration;

}  // namespace

bool XmlNode::IsElement() const { return ToPugi(*this).type() == pugi::node_element; }

std::string XmlNode::Name() const { return ToPugi(*this).name(); }

std::string XmlNode::Text() const {
  pugi::xml_node node = ToPugi(*this);
  if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return node.value();
  std::string text;
  AppendText(node, text);
  return text;
}

std::vector<XmlAttribute> XmlNode::Attributes() const {
  std::vector<XmlAttribute> result;
  for (pugi::xml_attribute attr : ToPugi(*this).attributes())
    result.push_back({attr.name(), attr.value()});
  return result;
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
  pugi::xml_attribute attr = ToPugi(*this).attribute(std::string(name).c_str());
  if (!attr) return std::nullopt;
  return std::string(attr.value());
}

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> result;
  for (pugi::xml_node child : ToPugi(*this).children()) result.push_back(FromPugi(child));
  return result;
}

XmlNode XmlNode::Child(std::string_view name) const {
  return FromPugi(ToPugi(*this).child(std::string(name).c_str()));
}

XmlNode XmlNode::AddChild(std::string_view name) {
  return FromPugi(ToPugi(*this).append_child(std::string(name).c_str()));
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  pugi::xml_node node = ToPugi(*this);
  std::string key(name);
  pugi::xml_attribute attr = node.attribute(key.c_str());
  if (!attr) attr = node.append_attribute(key.c_str());
  attr.set_value(std::string(value).c_str());
}

struct XmlDocument::Impl {
  pugi::xml_document doc;

  void Check(const pugi::xml_parse_result& result) {
    if (!result) {
      doc.reset();
      throw Error(std::string(result.description()) + " at offset " +
                  std::to_string(result.offset));
    }
    if (!doc.document_element()) {
      doc.reset();
      throw Error("No document element");
    }
  }
};

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

void XmlDocument::LoadFromBytes(std::string_view bytes) {
  impl_->Check(
      impl_->doc.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto));
}

void XmlDocument::LoadFromText(std::string_view text) {
  impl_->Check(impl_->doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8));
}

XmlNode XmlDocument::DocumentElement() const { return FromPugi(impl_->doc.document_element()); }

XmlNode XmlDocument::Child(std::string_view name) const {
  return FromPugi(impl_->doc.child(std::string(name).c_str()));
}

XmlNode XmlDocument::CreateDocumentElement(std::string_view name) {
  impl_->doc.reset();
  return FromPugi(impl_->doc.append_child(std::string(name).c_str()));
}

std::string XmlDocument::SaveToText() const {
  std::ostringstream out;
  impl_->doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}

}  // namespace platform
