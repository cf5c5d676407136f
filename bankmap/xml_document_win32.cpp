// XmlDocument on the Component Object Model's XML document object (IXMLDOMDocument).
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <msxml.h>

#include "bankmap/xml_document.h"

namespace vadro {
namespace {

// {2933BF90-7B36-11D2-B20E-00C04F983E60}: the XML document class.
const CLSID kDocumentClass = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF81-7B36-11D2-B20E-00C04F983E60}: IXMLDOMDocument.
const IID kDocumentInterface = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF86-7B36-11D2-B20E-00C04F983E60}: IXMLDOMElement.
const IID kElementInterface = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// In-process server, in-process handler or local server.
const DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

IXMLDOMDocument* AsDocument(void* handle) { return static_cast<IXMLDOMDocument*>(handle); }
IXMLDOMElement* AsElementPointer(void* handle) { return static_cast<IXMLDOMElement*>(handle); }
IXMLDOMNode* AsNode(void* handle) { return static_cast<IXMLDOMNode*>(handle); }
IXMLDOMNodeList* AsNodeList(void* handle) { return static_cast<IXMLDOMNodeList*>(handle); }

void ReleaseHandle(void*& handle) noexcept {
  if (handle != nullptr) {
    static_cast<IUnknown*>(handle)->Release();
    handle = nullptr;
  }
}

// An element or attribute name as a BSTR, freed when the object goes out of scope, that is
// right after the one call that uses it.
class NameString {
 public:
  explicit NameString(const char* name) {
    wchar_t wide[32];
    int i = 0;
    for (; name[i] != 0; ++i) {
      if (i == 31) throw XmlError(kXmlBadName);
      wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(name[i]));
    }
    wide[i] = 0;
    text = SysAllocString(wide);
    if (text == nullptr) throw XmlError(kXmlOutOfMemory);
  }
  ~NameString() { SysFreeString(text); }
  NameString(const NameString&) = delete;
  NameString& operator=(const NameString&) = delete;

  BSTR Text() const { return text; }

 private:
  BSTR text;
};

// A stream in memory, released when the object goes out of scope.
class MemoryStream {
 public:
  MemoryStream() {
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) stream = nullptr;
  }
  ~MemoryStream() {
    if (stream != nullptr) stream->Release();
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;

  IStream* Pointer() const { return stream; }

  // The stream as a VT_UNKNOWN VARIANT, which the document reads from or writes to; the VARIANT
  // holds no reference of its own.
  VARIANT AsVariant() const {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_UNKNOWN;
    V_UNKNOWN(&value) = stream;
    return value;
  }

 private:
  IStream* stream = nullptr;
};

// A VARIANT prepared with VariantInit and cleared when it goes out of scope.
class ClearedVariant {
 public:
  ClearedVariant() { VariantInit(&value); }
  ~ClearedVariant() { VariantClear(&value); }
  ClearedVariant(const ClearedVariant&) = delete;
  ClearedVariant& operator=(const ClearedVariant&) = delete;

  VARIANT* Pointer() { return &value; }
  const VARIANT& Value() const { return value; }

 private:
  VARIANT value{};
};

void RequireHandle(void* handle) {
  if (handle == nullptr) throw XmlError(kXmlNoObject);
}

}  // namespace

void XmlNode::Reset() noexcept { ReleaseHandle(handle); }

XmlElement XmlNode::AsElement() const {
  RequireHandle(handle);
  void* element = nullptr;
  // A node that is not an element has no element view; the holder then stays empty.
  AsNode(handle)->QueryInterface(kElementInterface, &element);
  return XmlElement(element);
}

void XmlElement::Reset() noexcept { ReleaseHandle(handle); }

void XmlElement::SetAttribute(const char* name, std::int32_t value) {
  RequireHandle(handle);
  VARIANT number;
  VariantInit(&number);
  V_VT(&number) = VT_I4;
  V_I4(&number) = value;
  HRESULT result;
  {
    NameString attribute(name);
    result = AsElementPointer(handle)->setAttribute(attribute.Text(), number);
  }
  VariantClear(&number);
  if (FAILED(result)) throw XmlError(result);
}

bool XmlElement::GetAttribute(const char* name, HeapString& text) const {
  RequireHandle(handle);
  ClearedVariant value;
  {
    NameString attribute(name);
    HRESULT result = AsElementPointer(handle)->getAttribute(attribute.Text(), value.Pointer());
    if (FAILED(result)) throw XmlError(result);
  }
  // An absent attribute comes back as VT_NULL.
  if (V_VT(&value.Value()) != VT_BSTR) return false;
  HeapString converted(static_cast<const wchar_t*>(V_BSTR(&value.Value())));
  text.Assign(converted);
  return true;
}

void XmlElement::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  HRESULT result = AsElementPointer(handle)->appendChild(AsElementPointer(child.handle), nullptr);
  if (FAILED(result)) throw XmlError(result);
}

XmlNodeList XmlElement::ChildNodes() const {
  RequireHandle(handle);
  IXMLDOMNodeList* list = nullptr;
  HRESULT result = AsElementPointer(handle)->get_childNodes(&list);
  XmlNodeList holder(list);
  if (FAILED(result)) throw XmlError(result);
  RequireHandle(list);
  return holder;
}

void XmlNodeList::Reset() noexcept { ReleaseHandle(handle); }

bool XmlNodeList::NextNode(XmlNode& node) {
  RequireHandle(handle);
  node.Reset();
  IXMLDOMNode* next = nullptr;
  HRESULT result = AsNodeList(handle)->nextNode(&next);
  node.handle = next;
  if (result == S_FALSE) {
    node.Reset();
    return false;
  }
  if (FAILED(result)) throw XmlError(result);
  RequireHandle(next);
  return true;
}

void XmlDocument::Reset() noexcept { ReleaseHandle(handle); }

bool XmlDocument::Create() {
  Reset();
  void* document = nullptr;
  HRESULT result = CoCreateInstance(kDocumentClass, nullptr, kClassContext, kDocumentInterface, &document);
  if (FAILED(result)) return false;
  handle = document;
  // The whole file is to be parsed before load returns.
  AsDocument(handle)->put_async(VARIANT_FALSE);
  // Nothing that a file names is fetched: this document class resolves external DTDs and entities
  // by default, which would open any address (a web server, a network share) while loading.
  AsDocument(handle)->put_resolveExternals(VARIANT_FALSE);
  return true;
}

bool XmlDocument::Load(const std::vector<char>& text) {
  if (handle == nullptr) return false;
  MemoryStream source;
  if (source.Pointer() == nullptr) return false;
  ULONG written = 0;
  LARGE_INTEGER start = {};
  if (text.size() > 0x7FFFFFFF ||
      FAILED(source.Pointer()->Write(text.data(), static_cast<ULONG>(text.size()), &written)) ||
      written != text.size() || FAILED(source.Pointer()->Seek(start, STREAM_SEEK_SET, nullptr))) {
    return false;
  }
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT result = AsDocument(handle)->load(source.AsVariant(), &loaded);
  return SUCCEEDED(result) && loaded != VARIANT_FALSE;
}

bool XmlDocument::Save(std::vector<char>& text) {
  text.clear();
  if (handle == nullptr) return false;
  MemoryStream destination;
  if (destination.Pointer() == nullptr || FAILED(AsDocument(handle)->save(destination.AsVariant()))) {
    return false;
  }
  STATSTG status = {};
  LARGE_INTEGER start = {};
  if (FAILED(destination.Pointer()->Stat(&status, STATFLAG_NONAME)) || status.cbSize.QuadPart > 0x7FFFFFFF ||
      FAILED(destination.Pointer()->Seek(start, STREAM_SEEK_SET, nullptr))) {
    return false;
  }
  text.resize(static_cast<std::size_t>(status.cbSize.QuadPart));
  ULONG read = 0;
  if (!text.empty() &&
      (FAILED(destination.Pointer()->Read(text.data(), static_cast<ULONG>(text.size()), &read)) ||
       read != text.size())) {
    text.clear();
    return false;
  }
  return true;
}

XmlElement XmlDocument::DocumentElement() const {
  RequireHandle(handle);
  IXMLDOMElement* root = nullptr;
  AsDocument(handle)->get_documentElement(&root);
  return XmlElement(root);
}

XmlElement XmlDocument::CreateElement(const char* name) {
  RequireHandle(handle);
  IXMLDOMElement* element = nullptr;
  HRESULT result;
  {
    NameString tag(name);
    result = AsDocument(handle)->createElement(tag.Text(), &element);
  }
  XmlElement holder(element);
  if (FAILED(result)) throw XmlError(result);
  RequireHandle(element);
  return holder;
}

void XmlDocument::AppendChild(const XmlElement& child) {
  RequireHandle(handle);
  RequireHandle(child.handle);
  HRESULT result = AsDocument(handle)->appendChild(AsElementPointer(child.handle), nullptr);
  if (FAILED(result)) throw XmlError(result);
}

}  // namespace vadro
