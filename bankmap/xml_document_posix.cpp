// XmlDocument on pugixml, made to behave like the Windows document object: comments, processing
// instructions, text and CDATA sections are nodes; whitespace-only text is dropped; a file that
// is not one well-formed document fails to load; new elements live outside the tree until they
// are appended.
//
// pugixml alone is more lenient than the Windows object. A load therefore also refuses what that
// object refuses: bytes that do not fit their encoding (xml_source_text.h), references that do
// not resolve and entities that blow up (xml_entity_table.h), a '<' in an attribute value,
// duplicate attributes, a declaration anywhere but at the start, and elements nested deeper than
// the Windows object reads.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "bankmap/xml_document.h"
#include "bankmap/xml_entity_table.h"
#include "bankmap/xml_source_text.h"

namespace vadro {
namespace {

// Comments, processing instructions, CDATA and the prolog are kept. The input is parsed as a
// fragment so that stray text outside the root element becomes visible and can be refused.
// References are left as written (no parse_escapes) and resolved afterwards by XmlEntityTable,
// which refuses those that pugixml would silently keep as text.
constexpr unsigned int kParseOptions = pugi::parse_cdata | pugi::parse_wconv_attribute | pugi::parse_eol |
                                       pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration |
                                       pugi::parse_doctype | pugi::parse_fragment;

// The deepest nesting of elements, the root counted as 1, and the longest name that the Windows
// object loads.
constexpr int kMaxElementDepth = 257;
constexpr std::size_t kMaxNameLength = 50000;
// The longest single text, comment or attribute value that it loads.
constexpr std::size_t kMaxTextLength = 10000000;

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
  return node.type() == pugi::node_element && node.name()[0] == 0 &&
         node.parent().type() == pugi::node_document;
}

pugi::xml_node HoldingElement(pugi::xml_document& document) {
  for (pugi::xml_node child : document.children()) {
    if (IsHoldingElement(child)) return child;
  }
  return document.append_child(pugi::node_element);
}

bool HasDuplicateAttribute(pugi::xml_node element) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
      if (std::strcmp(a.name(), b.name()) == 0) return true;
    }
  }
  return false;
}

bool IsReservedTarget(const char* name) {
  return (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' && (name[2] | 0x20) == 'l' && name[3] == 0;
}

// Every node below `root`, walked without recursion however deep the file nests: attributes
// distinct and their references resolved (the values replaced by the resolved text), references
// in text resolvable, no declaration, the nesting, names and texts within what the Windows
// object reads.
bool IsWellFormedTree(pugi::xml_node root, const XmlEntityTable& entities) {
  std::string resolved;
  int depth = 1;
  pugi::xml_node node = root;
  for (;;) {
    if (std::strlen(node.value()) > kMaxTextLength) return false;
    switch (node.type()) {
      case pugi::node_element:
        if (depth > kMaxElementDepth || std::strlen(node.name()) > kMaxNameLength ||
            HasDuplicateAttribute(node)) {
          return false;
        }
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
          if (std::strlen(a.name()) > kMaxNameLength || std::strlen(a.value()) > kMaxTextLength ||
              !entities.Expand(a.value(), true, resolved) || !a.set_value(resolved.c_str())) {
            return false;
          }
        }
        break;
      case pugi::node_pcdata:
        if (!entities.Expand(node.value(), false, resolved)) return false;
        break;
      case pugi::node_declaration:
      case pugi::node_doctype:
        return false;
      case pugi::node_pi:
        if (IsReservedTarget(node.name())) return false;
        break;
      default:
        break;
    }
    // Next in document order: first child, else the next sibling of the nearest ancestor.
    if (node.first_child()) {
      node = node.first_child();
      ++depth;
      continue;
    }
    while (node != root && !node.next_sibling()) {
      node = node.parent();
      --depth;
    }
    if (node == root) return true;
    node = node.next_sibling();
  }
}

// A document the Windows object would accept: exactly one root element, and beside it only the
// prolog, comments and processing instructions; the tree well-formed as above.
bool IsOneDocument(const pugi::xml_document& document) {
  XmlEntityTable entities;
  int roots = 0;
  for (pugi::xml_node child : document.children()) {
    switch (child.type()) {
      case pugi::node_element:
        if (++roots > 1 || !IsWellFormedTree(child, entities)) return false;
        break;
      case pugi::node_pi:
        if (IsReservedTarget(child.name())) return false;
        break;
      case pugi::node_declaration:
        // pugixml takes "<?XML" for a declaration too; the Windows object refuses that name.
        if (child != document.first_child() || std::strcmp(child.name(), "xml") != 0) return false;
        break;
      case pugi::node_comment:
        break;
      case pugi::node_doctype:
        if (roots != 0 || !entities.Read(child.value())) return false;
        break;
      default:
        return false;
    }
  }
  return roots == 1;
}

// The whole content of the file at `path`; false when it cannot be opened or read (a directory
// opens but cannot be read).
bool ReadWholeFile(const char* path, std::vector<char>& bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed;
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
  document.reset();
  std::vector<char> bytes;
  std::string text;
  if (!ReadWholeFile(path, bytes) || !ToXmlUtf8(bytes.data(), bytes.size(), text)) return false;
  std::vector<char>().swap(bytes);
  pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
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
    // The text is always written as UTF-8, whatever encoding the loaded file declared; a
    // declaration that kept naming the old one would make the saved file unreadable.
    pugi::xml_attribute encoding =
        child.type() == pugi::node_declaration ? child.attribute("encoding") : pugi::xml_attribute();
    if (encoding && !encoding.set_value("UTF-8")) return false;
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
