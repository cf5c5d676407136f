// XmlDocument on the Component Object Model's XML document object (IXMLDOMDocument).
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <msxml.h>

#include <atomic>
#include <cstdlib>

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

// The code page in which file paths are converted for the document object. The routine that
// yields it is chosen at the first conversion and kept; until then the slot holds the chooser.
UINT ThreadCodePage() { return CP_THREAD_ACP; }

// Systems without thread code pages: the default ANSI code page of the thread's locale.
UINT LocaleCodePage() {
  char text[7] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, text, 7) > 0) {
    UINT codePage = static_cast<UINT>(std::strtoul(text, nullptr, 10));
    if (codePage != 0) return codePage;
  }
  return GetACP();
}

bool IsNt5OrLater() {
  OSVERSIONINFOEXA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  version.dwMajorVersion = 5;
  DWORDLONG condition = 0;
  condition = VerSetConditionMask(condition, VER_PLATFORMID, VER_EQUAL);
  condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
  return VerifyVersionInfoA(&version, VER_PLATFORMID | VER_MAJORVERSION, condition) != FALSE;
}

UINT ChooseCodePage();

std::atomic<UINT (*)()> conversionCodePage{&ChooseCodePage};

UINT ChooseCodePage() {
  UINT (*chosen)() = IsNt5OrLater() ? &ThreadCodePage : &LocaleCodePage;
  conversionCodePage.exchange(chosen);
  return chosen();
}

// A file path as a VT_BSTR VARIANT. When the path cannot be converted or its string cannot be
// allocated, the VARIANT carries E_OUTOFMEMORY as VT_ERROR instead, and the document call that
// receives it fails.
class PathVariant {
 public:
  explicit PathVariant(const char* path) {
    VariantInit(&value);
    BSTR wide = Convert(path);
    if (wide != nullptr) {
      V_VT(&value) = VT_BSTR;
      V_BSTR(&value) = wide;
    } else {
      V_VT(&value) = VT_ERROR;
      V_ERROR(&value) = E_OUTOFMEMORY;
    }
  }
  ~PathVariant() { VariantClear(&value); }
  PathVariant(const PathVariant&) = delete;
  PathVariant& operator=(const PathVariant&) = delete;

  const VARIANT& Value() const { return value; }

 private:
  static BSTR Convert(const char* path) {
    UINT codePage = conversionCodePage.load()();
    int size = MultiByteToWideChar(codePage, 0, path, -1, nullptr, 0);
    if (size <= 0) return nullptr;
    BSTR wide = SysAllocStringLen(nullptr, static_cast<UINT>(size - 1));
    if (wide == nullptr) return nullptr;
    if (MultiByteToWideChar(codePage, 0, path, -1, wide, size) <= 0) {
      SysFreeString(wide);
      return nullptr;
    }
    return wide;
  }

  VARIANT value{};
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

bool XmlDocument::Load(const char* path) {
  if (handle == nullptr) return false;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  HRESULT result;
  {
    PathVariant source(path);
    result = AsDocument(handle)->load(source.Value(), &loaded);
  }
  return SUCCEEDED(result) && loaded != VARIANT_FALSE;
}

bool XmlDocument::Save(const char* path) {
  if (handle == nullptr) return false;
  PathVariant destination(path);
  return SUCCEEDED(AsDocument(handle)->save(destination.Value()));
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
