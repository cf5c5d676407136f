// XmlDocument on libxml2, which builds the tree the way the Windows document object does:
// comments, processing instructions, text, CDATA sections and references to declared entities
// are nodes; whitespace-only text is dropped unless xml:space="preserve" asks to keep it; a file
// that is not one well-formed document fails to load; new elements live outside the tree until
// they are appended. libxml2 detects and converts the file's encoding, reads the internal DTD
// subset and keeps its own limits on names, texts, nesting and entity expansion.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <climits>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bankmap/xml_document.h"

namespace vadro {
namespace {

// Nothing outside the file is ever fetched: no network, and (through the loader below) no file
// that a DTD or an entity names either. Entities are not substituted: a reference in text stays
// a node of its own, and the text of an attribute is resolved when it is read.
constexpr int kParseOptions = XML_PARSE_NONET;

xmlDocPtr AsDocument(void* handle) { return static_cast<xmlDocPtr>(handle); }
xmlNodePtr AsNode(void* handle) { return static_cast<xmlNodePtr>(handle); }
const xmlChar* AsXmlText(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
const char* AsText(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

// The error handed to a structured error handler is const from libxml2 2.12 on.
#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

void RequireHandle(void* handle) {
  if (handle == nullptr) throw XmlError(kXmlNoObject);
}

xmlParserInputPtr RefuseExternalEntity(const char* /*url*/, const char* /*id*/,
                                       xmlParserCtxtPtr /*context*/) {
  return nullptr;
}

// libxml2 prints its errors to standard error unless told otherwise; the program has messages
// of its own.
void IgnoreMessage(void* /*context*/, const char* /*format*/, ...) {}
void IgnoreError(void* /*context*/, ErrorPointer /*error*/) {}

// The library's global state is set up once per process; the error handlers belong to the
// thread that sets them, so the calling thread gets its own too (threads that first touch the
// library later start from the defaults set here).
void PrepareLibrary() {
  static const bool prepared = [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    xmlThrDefSetGenericErrorFunc(nullptr, IgnoreMessage);
    xmlThrDefSetStructuredErrorFunc(nullptr, IgnoreError);
    return true;
  }();
  static_cast<void>(prepared);
  xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
  xmlSetStructuredErrorFunc(nullptr, IgnoreError);
}

// The errors of one parse, collected rather than printed, while the object lives. A fatal one
// fails the load even where the parser went on: bytes that do not convert after the root element
// end the text there without making the document ill-formed.
class ErrorLog {
 public:
  ErrorLog() { xmlSetStructuredErrorFunc(this, Collect); }
  ~ErrorLog() { xmlSetStructuredErrorFunc(nullptr, IgnoreError); }
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;

  bool HadFatal() const { return fatal; }
  bool HadUndeclaredEntity() const { return undeclaredEntity; }

 private:
  static void Collect(void* context, ErrorPointer error) {
    if (error == nullptr) return;
    auto* log = static_cast<ErrorLog*>(context);
    if (error->level == XML_ERR_FATAL) log->fatal = true;
    if (error->code == XML_WAR_UNDECLARED_ENTITY) log->undeclaredEntity = true;
  }

  bool fatal = false;
  bool undeclaredEntity = false;
};

// Whether the DOCTYPE names an external subset, which is never read but stays in a saved file.
bool NamesExternalSubset(xmlDocPtr document) {
  return document->intSubset != nullptr &&
         (document->intSubset->ExternalID != nullptr || document->intSubset->SystemID != nullptr);
}

struct ParserDeleter {
  void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};
struct DocumentDeleter {
  void operator()(xmlDocPtr document) const { xmlFreeDoc(document); }
};
using DocumentPointer = std::unique_ptr<xmlDoc, DocumentDeleter>;

// The document in `bytes`, parsed with `options`; null when it is not well-formed.
DocumentPointer Parse(const std::vector<char>& bytes, int options) {
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  std::unique_ptr<xmlParserCtxt, ParserDeleter> parser(xmlNewParserCtxt());
  if (parser == nullptr) return nullptr;
  ErrorLog errors;
  DocumentPointer document(xmlCtxtReadMemory(parser.get(), bytes.data(), static_cast<int>(bytes.size()),
                                             nullptr, nullptr, options));
  // libxml2 lets a reference to an undeclared entity through where the DTD refers to parameter
  // entities, which might have declared it. The save writes the DTD with those references
  // resolved, and the saved file would no longer load; only an external subset keeps the
  // question open in the saved file as well.
  if (errors.HadFatal() ||
      (document != nullptr && errors.HadUndeclaredEntity() && !NamesExternalSubset(document.get()))) {
    document.reset();
  }
  return document;
}

// Whether the DTD declares general entities, whose references the tree keeps as nodes.
bool DeclaresEntities(xmlDocPtr document) {
  return document->intSubset != nullptr && document->intSubset->entities != nullptr;
}

bool IsBlank(const xmlChar* text) {
  for (; *text != 0; ++text) {
    if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n') return false;
  }
  return true;
}

// Whether white space is kept inside `element`: what its xml:space says, else `inherited`.
bool KeepsSpace(xmlNodePtr element, bool inherited) {
  xmlChar* space = xmlGetNsProp(element, AsXmlText("space"), XML_XML_NAMESPACE);
  if (space == nullptr) return inherited;
  bool keep = xmlStrEqual(space, AsXmlText("preserve")) != 0 ||
              (inherited && xmlStrEqual(space, AsXmlText("default")) == 0);
  xmlFree(space);
  return keep;
}

// Removes whitespace-only text everywhere below `root`, unless xml:space="preserve" asks to keep
// it, walking without recursion however deep the file nests. The children of an entity
// reference belong to the entity's declaration and are left alone.
void DropBlankText(xmlNodePtr root) {
  std::vector<bool> keep{xmlNodeGetSpacePreserve(root) == 1};  // for `parent` and its ancestors
  xmlNodePtr parent = root;
  xmlNodePtr node = root->children;
  for (;;) {
    while (node == nullptr) {
      if (parent == root) return;
      keep.pop_back();
      node = parent->next;
      parent = parent->parent;
    }
    xmlNodePtr next = node->next;
    if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
      keep.push_back(KeepsSpace(node, keep.back()));
      parent = node;
      next = node->children;
    } else if (node->type == XML_TEXT_NODE && !keep.back() && IsBlank(node->content)) {
      xmlUnlinkNode(node);
      xmlFreeNode(node);
    }
    node = next;
  }
}

// libxml2's writer callback: `size` bytes at the end of the text. No exception may pass through
// the library, so running out of memory is a failed write.
int AppendToText(void* text, const char* data, int size) {
  auto* bytes = static_cast<std::vector<char>*>(text);
  try {
    bytes->insert(bytes->end(), data, data + size);
  } catch (...) {
    return -1;
  }
  return size;
}

// The declaration that heads a saved document that was loaded with one: the text is always
// UTF-8, whatever encoding the loaded file declared.
std::string DeclarationOf(xmlDocPtr document) {
  std::string text = "<?xml version=\"";
  text += document->version != nullptr ? AsText(document->version) : "1.0";
  text += "\" encoding=\"UTF-8\"";
  if (document->standalone >= 0)
    text += document->standalone == 1 ? " standalone=\"yes\"" : " standalone=\"no\"";
  return text + "?>";
}

// Writes each top-level node of `document` on a line of its own, the declaration first when the
// document was loaded with one, in UTF-8. False when the writer fails.
bool WriteDocument(xmlDocPtr document, std::vector<char>& text) {
  // A document without a declaration has standalone -1; one with it has -2 or its value.
  if (document->standalone != -1) {
    std::string declaration = DeclarationOf(document) + "\r\n";
    text.insert(text.end(), declaration.begin(), declaration.end());
  }
  // libxml2 writes the characters of attribute values beyond ASCII as they are only in a
  // document that says it is in UTF-8, and as references in any other: the saved form would
  // change between a first save and the save of what it loads as.
  if (document->encoding == nullptr || xmlStrEqual(document->encoding, AsXmlText("UTF-8")) == 0) {
    xmlFree(const_cast<xmlChar*>(document->encoding));
    document->encoding = xmlStrdup(AsXmlText("UTF-8"));
  }
  xmlSaveCtxtPtr writer =
      xmlSaveToIO(AppendToText, nullptr, &text, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
  if (writer == nullptr) return false;
  bool written = true;
  for (xmlNodePtr node = document->children; node != nullptr && written; node = node->next) {
    written = xmlSaveTree(writer, node) >= 0 && xmlSaveFlush(writer) >= 0;
    text.push_back('\r');
    text.push_back('\n');
  }
  return xmlSaveClose(writer) >= 0 && written;
}

}  // namespace

// Nodes are owned by their document; a holder only refers to one.
void XmlNode::Reset() noexcept { handle = nullptr; }

XmlElement XmlNode::AsElement() const {
  RequireHandle(handle);
  return XmlElement(AsNode(handle)->type == XML_ELEMENT_NODE ? handle : nullptr);
}

void XmlElement::Reset() noexcept {
  if (handle == nullptr) return;
  // The last holder of an element that never entered the tree: the element goes, with whatever
  // was appended to it.
  xmlNodePtr node = AsNode(handle);
  if (node->parent == nullptr) xmlFreeNode(node);
  handle = nullptr;
}

void XmlElement::SetAttribute(const char* name, std::int32_t value) {
  RequireHandle(handle);
  std::string text = std::to_string(value);
  if (xmlSetProp(AsNode(handle), AsXmlText(name), AsXmlText(text.c_str())) == nullptr) {
    throw XmlError(kXmlOutOfMemory);
  }
}

bool XmlElement::GetAttribute(const char* name, HeapString& text) const {
  RequireHandle(handle);
  // An attribute without a namespace, written on the element or given a default by the DTD;
  // references to entities in its text are resolved.
  xmlNodePtr node = AsNode(handle);
  if (xmlHasNsProp(node, AsXmlText(name), nullptr) == nullptr) return false;
  xmlChar* value = xmlGetNoNsProp(node, AsXmlText(name));
  if (value == nullptr) throw XmlError(kXmlOutOfMemory);
  text.Assign(AsText(value));
  xmlFree(value);
  return true;
}

void XmlElement::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  xmlUnlinkNode(AsNode(child.handle));
  if (xmlAddChild(AsNode(handle), AsNode(child.handle)) == nullptr) throw XmlError(kXmlNoObject);
}

XmlNodeList XmlElement::ChildNodes() const {
  RequireHandle(handle);
  // The list's state is the next node to hand out.
  auto* next = new (std::nothrow) xmlNodePtr(AsNode(handle)->children);
  if (next == nullptr) throw XmlError(kXmlOutOfMemory);
  return XmlNodeList(next);
}

void XmlNodeList::Reset() noexcept {
  delete static_cast<xmlNodePtr*>(handle);
  handle = nullptr;
}

bool XmlNodeList::NextNode(XmlNode& node) {
  RequireHandle(handle);
  node.Reset();
  auto* next = static_cast<xmlNodePtr*>(handle);
  if (*next == nullptr) return false;
  node.handle = *next;
  *next = (*next)->next;
  return true;
}

void XmlDocument::Reset() noexcept {
  if (handle != nullptr) xmlFreeDoc(AsDocument(handle));
  handle = nullptr;
}

bool XmlDocument::Create() {
  Reset();
  PrepareLibrary();
  handle = xmlNewDoc(AsXmlText("1.0"));
  return handle != nullptr;
}

bool XmlDocument::Load(const std::vector<char>& text) {
  if (handle == nullptr) return false;
  PrepareLibrary();
  Reset();
  DocumentPointer document = Parse(text, kParseOptions);
  // The tree keeps entity references, whose expansion is left to whoever reads the text. Parsed
  // again with every entity substituted, the file meets libxml2's limits on how far entities may
  // grow it, which a file that refers to one entity many times would otherwise escape.
  if (document != nullptr && DeclaresEntities(document.get()) &&
      Parse(text, kParseOptions | XML_PARSE_NOENT) == nullptr) {
    document.reset();
  }
  if (document == nullptr) {
    handle = xmlNewDoc(AsXmlText("1.0"));
    return false;
  }
  xmlNodePtr root = xmlDocGetRootElement(document.get());
  if (root != nullptr) DropBlankText(root);
  handle = document.release();
  return true;
}

bool XmlDocument::Save(std::vector<char>& text) {
  text.clear();
  if (handle == nullptr) return false;
  PrepareLibrary();
  return WriteDocument(AsDocument(handle), text);
}

XmlElement XmlDocument::DocumentElement() const {
  RequireHandle(handle);
  return XmlElement(xmlDocGetRootElement(AsDocument(handle)));
}

XmlElement XmlDocument::CreateElement(const char* name) {
  RequireHandle(handle);
  xmlNodePtr element = xmlNewDocNode(AsDocument(handle), nullptr, AsXmlText(name), nullptr);
  if (element == nullptr) throw XmlError(kXmlOutOfMemory);
  return XmlElement(element);
}

void XmlDocument::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  xmlUnlinkNode(AsNode(child.handle));
  if (xmlAddChild(AsNode(handle), AsNode(child.handle)) == nullptr) {
    throw XmlError(kXmlNoObject);
  }
}

}  // namespace vadro
