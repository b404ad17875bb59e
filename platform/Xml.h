#pragma once
// XML document access as the book model, the settings model and the external-call parser use
// it. Nodes are light handles into a document; they stay valid while the document lives.
// Implemented over pugixml in platform/pugi/. Parse errors raise Error with the parser's message.

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
  std::vector<XmlNode> Children() const;  // every child node, document order
  XmlNode Child(std::string_view name) const;  // first child element of that name

  XmlNode AddChild(std::string_view name);
  void SetAttribute(std::string_view name, std::string_view value);

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

  // A whole document as stored: the encoding comes from its byte-order mark or declaration.
  void LoadFromBytes(std::string_view bytes);
  // UTF-8 text.
  void LoadFromText(std::string_view text);

  XmlNode DocumentElement() const;
  // A top-level node of that name (element or declaration), or a null node.
  XmlNode Child(std::string_view name) const;

  // Replaces the content by a single element and returns it (used when writing).
  XmlNode CreateDocumentElement(std::string_view name);
  // UTF-8 text with an XML declaration.
  std::string SaveToText() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
