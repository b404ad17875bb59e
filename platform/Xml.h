#pragma once
// XML document access as the book model, the settings model and the external-call parser use
// it. Nodes are light handles into a document; they stay valid while the document lives.
// Implemented over libxml2 in platform/libxml2/. A document that is not well-formed XML 1.0
// raises Error with the parser's message; a saved document is always well-formed UTF-8.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct XmlAttribute {
  std::string name;
  std::string value;
};

class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(void* handle) : handle_(handle) {}

  explicit operator bool() const { return handle_ != nullptr; }
  bool IsElement() const;
  // The name exactly as written in the document; empty for text and comment nodes.
  std::string Name() const;
  // Concatenated text of every text and CDATA node inside, at any depth.
  std::string Text() const;

  std::vector<XmlAttribute> Attributes() const;  // document order
  std::optional<std::string> Attribute(std::string_view name) const;
  std::vector<XmlNode> Children() const;       // every child node, document order
  XmlNode Child(std::string_view name) const;  // first child element of that name

  XmlNode AddChild(std::string_view name);
  // Invalid UTF-8 in `value` becomes U+FFFD; characters XML 1.0 forbids are dropped.
  void SetAttribute(std::string_view name, std::string_view value);
  // Appends a text node; cleaned as attribute values are.
  void AddText(std::string_view text);

  void* Handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // A whole document as stored: the encoding comes from its byte-order mark or declaration (a
  // UTF-8 mark with another declared encoding is refused). Entities declared in the document's
  // own DTD are expanded and the attribute defaults it declares are supplied, both within a
  // bound on how much they add; nothing outside the document is read. A document of more than
  // ten million bytes (a book of thousands of pages) is read too, but may declare no entity.
  void LoadFromBytes(std::string_view bytes);
  // UTF-8 text.
  void LoadFromText(std::string_view text);

  XmlNode DocumentElement() const;
  // The top-level element of that name, or a null node.
  XmlNode Child(std::string_view name) const;

  // Replaces the content by a single element and returns it (used when writing).
  XmlNode CreateDocumentElement(std::string_view name);
  // UTF-8 text with an XML declaration. Characters XML 1.0 forbids never appear in it: values
  // are cleaned when they are set.
  std::string SaveToText() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
