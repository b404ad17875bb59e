// XML document access over libxml2.
// Implements: every operation of platform/Xml.h. Reads XML 1.0 in UTF-8, UTF-16 and every
//   encoding a document declares that the system's converter knows (windows-1252,
//   windows-1251, GBK, ...); refuses every document that is not well formed, with libxml2's
//   message, and one whose UTF-8 byte-order mark contradicts its declared encoding; expands the
//   entities of the internal DTD subset within libxml2's amplification limits and supplies the
//   attribute defaults it declares within the same bound; reads documents of any size up to
//   2 GiB, those past ten million bytes only when they declare no entity; saves UTF-8 holding
//   only characters XML 1.0 allows.
// Does not: validate, load an external DTD or external entity (their declarations are dropped,
//   so nothing outside the document is ever read), reach the network, or keep the original
//   encoding when saving.

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/Xml.h"
#include "util/Error.h"
#include "util/XmlChars.h"

namespace platform {
namespace {

xmlNode* ToLib(const XmlNode& node) {
  return static_cast<xmlNode*>(node.Handle());
}

const xmlChar* Chars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::string Str(const xmlChar* text) {
  return text ? reinterpret_cast<const char*>(text) : "";
}

// The name as written: prefix, colon, local name.
std::string QualifiedName(const xmlNs* ns, const xmlChar* name) {
  if (ns && ns->prefix) return Str(ns->prefix) + ":" + Str(name);
  return Str(name);
}

std::string AttributeValue(const xmlAttr* attr) {
  // Nearly every value is one text node: read it without the copy libxml2 would make.
  const xmlNode* only = attr->children;
  if (!only) return {};
  if (only->type == XML_TEXT_NODE && !only->next) return Str(only->content);
  std::unique_ptr<xmlChar, decltype(xmlFree)> value(
      xmlNodeListGetString(attr->doc, attr->children, 1), xmlFree);
  return Str(value.get());
}

// Text and CDATA at any depth, walked without recursion so that the depth of a document cannot
// exhaust the stack.
void AppendText(const xmlNode* top, std::string& out) {
  const xmlNode* node = top->children;
  while (node) {
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
      out += Str(node->content);
    if (node->children && node->type == XML_ELEMENT_NODE) {
      node = node->children;
      continue;
    }
    while (node != top && !node->next) node = node->parent;
    if (node == top) break;
    node = node->next;
  }
}

// Keeps the first fatal error (or else the first error) of the parses on this thread while it
// lives, instead of letting libxml2 print them. libxml2's error handler is per thread, and the
// converter's errors reach only that handler, not the parser context's.
class ErrorCapture {
 public:
  ErrorCapture() : previous_(xmlStructuredError), previousContext_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(this, &Collect);
  }
  ~ErrorCapture() { xmlSetStructuredErrorFunc(previousContext_, previous_); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  std::string Message() const { return message_.empty() ? "Not well-formed XML" : message_; }

 private:
  static void Collect(void* data, xmlError* error) {
    auto* self = static_cast<ErrorCapture*>(data);
    const bool fatal = error->level == XML_ERR_FATAL;
    if (error->level < XML_ERR_ERROR || (!self->message_.empty() && (self->fatal_ || !fatal)))
      return;
    std::string text = Str(reinterpret_cast<const xmlChar*>(error->message));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (error->line > 0)
      text +=
          " (line " + std::to_string(error->line) + ", column " + std::to_string(error->int2) + ")";
    self->message_ = text;
    self->fatal_ = fatal;
  }

  xmlStructuredErrorFunc previous_;
  void* previousContext_;
  std::string message_;
  bool fatal_ = false;
};

// Attribute defaults of the internal subset are supplied to every element they name, so that a
// short declaration and many short elements could grow the document without bound. They may add
// as many bytes as libxml2 lets entities add: ten times the document, and never less than this.
constexpr std::uint64_t kDefaultsAmplification = 10;
constexpr std::uint64_t kDefaultsAllowance = 1 << 20;

// What the parse of one document has left to spend on attribute defaults (the parser context's
// private data).
struct DefaultsBudget {
  std::uint64_t left = 0;
  bool exceeded = false;
  // Set for a document past kLargeDocumentBytes, which may declare no entity.
  bool large = false;
  bool entityInLarge = false;
};

// libxml2 stops at ten million bytes of input or of one text unless XML_PARSE_HUGE is given, and
// in the libxml2 this builds on that option also turns off every check on entity amplification.
// A book of some thousands of pages is past that size and needs no entity: a document that large
// is read with the option and may declare no entity, so that nothing can grow it.
constexpr std::size_t kLargeDocumentBytes = 10'000'000;

// External entities are never declared, so a reference to one is an undeclared entity and
// nothing outside the document is read.
void DeclareInternalEntity(void* ctx, const xmlChar* name, int type, const xmlChar* publicId,
                           const xmlChar* systemId, xmlChar* content) {
  if (publicId || systemId) return;
  auto* context = static_cast<xmlParserCtxt*>(ctx);
  auto* budget = static_cast<DefaultsBudget*>(context->_private);
  if (budget->large) {
    budget->entityInLarge = true;
    xmlStopParser(context);
    return;
  }
  xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
}

// The attribute array holds five pointers per attribute (name, prefix, namespace, value start,
// value end); the defaulted ones come last.
void StartElementWithinBudget(void* ctx, const xmlChar* localName, const xmlChar* prefix,
                              const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                              int attributeCount, int defaultedCount, const xmlChar** attributes) {
  auto* context = static_cast<xmlParserCtxt*>(ctx);
  auto* budget = static_cast<DefaultsBudget*>(context->_private);
  for (int i = attributeCount - defaultedCount; i < attributeCount; ++i) {
    const xmlChar* const* attribute = attributes + 5 * static_cast<std::ptrdiff_t>(i);
    const auto bytes =
        static_cast<std::uint64_t>(attribute[4] - attribute[3]) + xmlStrlen(attribute[0]);
    if (bytes > budget->left) {
      budget->exceeded = true;
      xmlStopParser(context);
      return;
    }
    budget->left -= bytes;
  }
  xmlSAX2StartElementNs(ctx, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                        defaultedCount, attributes);
}

// A UTF-8 byte-order mark names the encoding as surely as a declaration does: when the two
// disagree the text would be read in the declared one and garbled.
bool StartsWithUtf8Mark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF");
}

bool NamesUtf8(const xmlChar* encoding) {
  return xmlStrcasecmp(encoding, reinterpret_cast<const xmlChar*>("UTF-8")) == 0 ||
         xmlStrcasecmp(encoding, reinterpret_cast<const xmlChar*>("UTF8")) == 0;
}

// No DTD loading, no network; internal entities replaced by their text, attribute defaults
// supplied. Without XML_PARSE_HUGE (given only for large documents, see kLargeDocumentBytes)
// libxml2 keeps its limits on depth, text size and entity amplification. Short texts kept
// inside their nodes take a third off the load time of a large book.
constexpr int kParseOptions = XML_PARSE_NOENT | XML_PARSE_DTDATTR | XML_PARSE_NONET |
                              XML_PARSE_COMPACT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// libxml2 sets up its tables once, before any thread parses (the loading thread and the window
// thread both do).
void InitialiseOnce() {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
}

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

}  // namespace

bool XmlNode::IsElement() const {
  return ToLib(*this)->type == XML_ELEMENT_NODE;
}

std::string XmlNode::Name() const {
  const xmlNode* node = ToLib(*this);
  if (node->type == XML_ELEMENT_NODE) return QualifiedName(node->ns, node->name);
  if (node->type == XML_PI_NODE) return Str(node->name);
  return {};
}

std::string XmlNode::Text() const {
  const xmlNode* node = ToLib(*this);
  if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
    return Str(node->content);
  std::string text;
  if (node->type == XML_ELEMENT_NODE) AppendText(node, text);
  return text;
}

std::vector<XmlAttribute> XmlNode::Attributes() const {
  std::vector<XmlAttribute> result;
  const xmlNode* node = ToLib(*this);
  if (node->type != XML_ELEMENT_NODE) return result;
  for (const xmlAttr* attr = node->properties; attr; attr = attr->next)
    result.push_back({QualifiedName(attr->ns, attr->name), AttributeValue(attr)});
  return result;
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
  const xmlNode* node = ToLib(*this);
  if (node->type != XML_ELEMENT_NODE) return std::nullopt;
  for (const xmlAttr* attr = node->properties; attr; attr = attr->next)
    if (QualifiedName(attr->ns, attr->name) == name) return AttributeValue(attr);
  return std::nullopt;
}

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> result;
  for (xmlNode* child = ToLib(*this)->children; child; child = child->next)
    result.emplace_back(child);
  return result;
}

XmlNode XmlNode::Child(std::string_view name) const {
  for (xmlNode* child = ToLib(*this)->children; child; child = child->next)
    if (child->type == XML_ELEMENT_NODE && QualifiedName(child->ns, child->name) == name)
      return XmlNode(child);
  return {};
}

XmlNode XmlNode::AddChild(std::string_view name) {
  return XmlNode(xmlNewChild(ToLib(*this), nullptr, Chars(std::string(name)), nullptr));
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  xmlSetProp(ToLib(*this), Chars(std::string(name)), Chars(XmlSafeText(value)));
}

void XmlNode::AddText(std::string_view text) {
  // xmlNodeAddContent takes the text as it is: the escaping happens when the document is saved.
  xmlNodeAddContent(ToLib(*this), Chars(XmlSafeText(text)));
}

struct XmlDocument::Impl {
  struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
  };
  std::unique_ptr<xmlDoc, DocDeleter> doc;

  // `encoding` forces the encoding; null takes it from the byte-order mark or declaration.
  void Load(std::string_view bytes, const char* encoding) {
    doc.reset();
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) throw Error("Document too large");
    InitialiseOnce();
    const ErrorCapture errors;
    std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(xmlNewParserCtxt());
    if (!context) throw Error("Out of memory");
    context->sax->entityDecl = &DeclareInternalEntity;
    context->sax->startElementNs = &StartElementWithinBudget;
    const std::uint64_t defaultsLimit =
        std::max(kDefaultsAllowance, kDefaultsAmplification * bytes.size());
    DefaultsBudget budget{defaultsLimit};
    budget.large = bytes.size() > kLargeDocumentBytes;
    context->_private = &budget;
    doc.reset(xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()),
                                nullptr, encoding,
                                kParseOptions | (budget.large ? XML_PARSE_HUGE : 0)));
    if (budget.entityInLarge) {
      doc.reset();
      throw Error("A document of more than " + std::to_string(kLargeDocumentBytes) +
                  " bytes may declare no entities");
    }
    if (budget.exceeded) {
      doc.reset();
      throw Error("The attribute defaults of the document's DTD would add more than " +
                  std::to_string(defaultsLimit) + " bytes");
    }
    if (!doc) throw Error(errors.Message());
    if (!encoding && StartsWithUtf8Mark(bytes) && doc->encoding && !NamesUtf8(doc->encoding)) {
      const std::string declared = Str(doc->encoding);
      doc.reset();
      throw Error("Document labelled " + declared + " but has a UTF-8 byte-order mark");
    }
    if (!xmlDocGetRootElement(doc.get())) {
      doc.reset();
      throw Error("No document element");
    }
  }
};

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

void XmlDocument::LoadFromBytes(std::string_view bytes) {
  impl_->Load(bytes, nullptr);
}

void XmlDocument::LoadFromText(std::string_view text) {
  impl_->Load(text, "UTF-8");
}

XmlNode XmlDocument::DocumentElement() const {
  return impl_->doc ? XmlNode(xmlDocGetRootElement(impl_->doc.get())) : XmlNode();
}

XmlNode XmlDocument::Child(std::string_view name) const {
  if (!impl_->doc) return {};
  for (xmlNode* child = impl_->doc->children; child; child = child->next)
    if (child->type == XML_ELEMENT_NODE && QualifiedName(child->ns, child->name) == name)
      return XmlNode(child);
  return {};
}

XmlNode XmlDocument::CreateDocumentElement(std::string_view name) {
  InitialiseOnce();
  impl_->doc.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
  xmlNode* root = xmlNewDocNode(impl_->doc.get(), nullptr, Chars(std::string(name)), nullptr);
  xmlDocSetRootElement(impl_->doc.get(), root);
  return XmlNode(root);
}

std::string XmlDocument::SaveToText() const {
  std::string text = "<?xml version=\"1.0\"?>\n";
  if (!impl_->doc) return text;
  struct BufferDeleter {
    void operator()(xmlBuffer* buffer) const { xmlBufferFree(buffer); }
  };
  std::unique_ptr<xmlBuffer, BufferDeleter> buffer(xmlBufferCreate());
  xmlSaveCtxt* save = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_FORMAT | XML_SAVE_NO_DECL);
  if (!save) throw Error("Out of memory");
  xmlSaveDoc(save, impl_->doc.get());
  xmlSaveClose(save);
  text.append(reinterpret_cast<const char*>(xmlBufferContent(buffer.get())),
              static_cast<std::size_t>(xmlBufferLength(buffer.get())));
  return text;
}

}  // namespace platform
