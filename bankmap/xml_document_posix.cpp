// XmlDocument on pugixml, made to behave like the Windows document object: comments, processing
// instructions, text and CDATA sections are nodes; whitespace-only text is dropped; a file that
// is not one well-formed document fails to load; new elements live outside the tree until they
// are appended.
#include <cstdio>
#include <cstring>
#include <new>

#include <pugixml.hpp>

#include "bankmap/xml_document.h"

namespace vadro {
namespace {

// Comments, processing instructions, CDATA and the prolog are kept. The input is parsed as a
// fragment so that stray text outside the root element becomes visible and can be refused.
constexpr unsigned int kParseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                       pugi::parse_declaration | pugi::parse_doctype | pugi::parse_fragment;

// Each node as it is, without added declaration, indentation or line breaks inside it.
constexpr unsigned int kSaveFormat = pugi::format_raw | pugi::format_no_declaration;

pugi::xml_document* AsDocument(void* handle) { return static_cast<pugi::xml_document*>(handle); }
pugi::xml_node AsNode(void* handle) { return pugi::xml_node(static_cast<pugi::xml_node_struct*>(handle)); }
void* HandleOf(pugi::xml_node node) { return node.internal_object(); }

void RequireHandle(void* handle) {
  if (handle == nullptr) throw XmlError(kXmlNoObject);
}

// Elements created but not yet appended hang below a holding element that the document alone
// can reach: an element child of the document node with an empty name, which no parsed file
// can contain. It is never read or saved.
bool IsHoldingElement(pugi::xml_node node) {
  return node.type() == pugi::node_element && node.name()[0] == 0 && node.parent().type() == pugi::node_document;
}

pugi::xml_node HoldingElement(pugi::xml_document& document) {
  for (pugi::xml_node child : document.children()) {
    if (IsHoldingElement(child)) return child;
  }
  return document.append_child(pugi::node_element);
}

// A document the Windows object would accept: exactly one root element, and beside it only the
// prolog, comments and processing instructions; every element's attributes distinct.
bool HasDuplicateAttribute(pugi::xml_node element) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
      if (std::strcmp(a.name(), b.name()) == 0) return true;
    }
  }
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && HasDuplicateAttribute(child)) return true;
  }
  return false;
}

bool IsOneDocument(const pugi::xml_document& document) {
  int roots = 0;
  for (pugi::xml_node child : document.children()) {
    switch (child.type()) {
      case pugi::node_element:
        if (++roots > 1 || HasDuplicateAttribute(child)) return false;
        break;
      case pugi::node_declaration:
        if (child != document.first_child()) return false;
        break;
      case pugi::node_comment:
      case pugi::node_pi:
        break;
      case pugi::node_doctype:
        if (roots != 0) return false;
        break;
      default:
        return false;
    }
  }
  return roots == 1;
}

// Writes to a file and remembers whether every write went through.
class FileWriter : public pugi::xml_writer {
 public:
  explicit FileWriter(std::FILE* file) : file(file) {}
  void write(const void* data, size_t size) override {
    if (std::fwrite(data, 1, size, file) != size) failed = true;
  }
  bool Failed() const { return failed; }

 private:
  std::FILE* file;
  bool failed = false;
};

}  // namespace

// Nodes are owned by their document; a holder only refers to one.
void XmlNode::Reset() noexcept { handle = nullptr; }

XmlElement XmlNode::AsElement() const {
  RequireHandle(handle);
  pugi::xml_node node = AsNode(handle);
  return XmlElement(node.type() == pugi::node_element ? HandleOf(node) : nullptr);
}

void XmlElement::Reset() noexcept {
  if (handle == nullptr) return;
  pugi::xml_node node = AsNode(handle);
  // The last holder of an element that never entered the tree: the element goes, with whatever
  // was appended to it.
  pugi::xml_node parent = node.parent();
  if (IsHoldingElement(parent)) parent.remove_child(node);
  handle = nullptr;
}

void XmlElement::SetAttribute(const char* name, std::int32_t value) {
  RequireHandle(handle);
  pugi::xml_node node = AsNode(handle);
  pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) attribute = node.append_attribute(name);
  if (!attribute || !attribute.set_value(static_cast<int>(value))) throw XmlError(kXmlOutOfMemory);
}

bool XmlElement::GetAttribute(const char* name, HeapString& text) const {
  RequireHandle(handle);
  pugi::xml_attribute attribute = AsNode(handle).attribute(name);
  if (!attribute) return false;
  text.Assign(attribute.value());
  return true;
}

void XmlElement::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  if (!AsNode(handle).append_move(AsNode(child.handle))) throw XmlError(kXmlNoObject);
}

XmlNodeList XmlElement::ChildNodes() const {
  RequireHandle(handle);
  // The list's state is the next node to hand out.
  auto* next = new (std::nothrow) pugi::xml_node(AsNode(handle).first_child());
  if (next == nullptr) throw XmlError(kXmlOutOfMemory);
  return XmlNodeList(next);
}

void XmlNodeList::Reset() noexcept {
  delete static_cast<pugi::xml_node*>(handle);
  handle = nullptr;
}

bool XmlNodeList::NextNode(XmlNode& node) {
  RequireHandle(handle);
  node.Reset();
  auto* next = static_cast<pugi::xml_node*>(handle);
  if (!*next) return false;
  node.handle = HandleOf(*next);
  *next = next->next_sibling();
  return true;
}

void XmlDocument::Reset() noexcept {
  delete AsDocument(handle);
  handle = nullptr;
}

bool XmlDocument::Create() {
  Reset();
  handle = new (std::nothrow) pugi::xml_document();
  return handle != nullptr;
}

bool XmlDocument::Load(const char* path) {
  if (handle == nullptr) return false;
  pugi::xml_document& document = *AsDocument(handle);
  pugi::xml_parse_result result = document.load_file(path, kParseOptions);
  if (result && IsOneDocument(document)) return true;
  document.reset();
  return false;
}

bool XmlDocument::Save(const char* path) {
  if (handle == nullptr) return false;
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  FileWriter writer(file);
  // Each top-level node on a line of its own, as the Windows document object writes them.
  for (pugi::xml_node child : AsDocument(handle)->children()) {
    if (IsHoldingElement(child)) continue;
    child.print(writer, "", kSaveFormat, pugi::encoding_utf8);
    writer.write("\r\n", 2);
  }
  bool flushed = std::fflush(file) == 0;
  bool closed = std::fclose(file) == 0;
  return !writer.Failed() && flushed && closed;
}

XmlElement XmlDocument::DocumentElement() const {
  RequireHandle(handle);
  for (pugi::xml_node child : AsDocument(handle)->children()) {
    if (child.type() == pugi::node_element && !IsHoldingElement(child)) return XmlElement(HandleOf(child));
  }
  return XmlElement();
}

XmlElement XmlDocument::CreateElement(const char* name) {
  RequireHandle(handle);
  pugi::xml_node holding = HoldingElement(*AsDocument(handle));
  pugi::xml_node element = holding ? holding.append_child(name) : pugi::xml_node();
  if (!element) throw XmlError(kXmlOutOfMemory);
  return XmlElement(HandleOf(element));
}

void XmlDocument::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  if (!AsDocument(handle)->append_move(AsNode(child.handle))) throw XmlError(kXmlNoObject);
}

}  // namespace vadro
