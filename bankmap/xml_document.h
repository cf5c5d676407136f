// XmlDocument: the platform's XML document object, reduced to what the bank map file needs.
// Every class here is a holder: it owns one object of the document and releases it once, when it
// is reset, assigned over or destroyed. Holders are moved, never copied. A document's nodes must
// be released before the document itself.
//
// Element and attribute names are ASCII, at most 31 characters.
#pragma once
#include <cstdint>
#include <vector>

#include "base/heap_string.h"

namespace vadro {

// Raised by a document operation that cannot go on; carries the document object's failure code.
class XmlError {
 public:
  explicit XmlError(std::int32_t code) : code(code) {}
  std::int32_t Code() const { return code; }

 private:
  std::int32_t code;
};

// A name string could not be allocated.
constexpr std::int32_t kXmlOutOfMemory = static_cast<std::int32_t>(0x8007000EU);
// An operation was asked of an empty holder, or the document gave no object where one was due.
constexpr std::int32_t kXmlNoObject = static_cast<std::int32_t>(0x80004003U);
// A name longer than the document layer takes.
constexpr std::int32_t kXmlBadName = static_cast<std::int32_t>(0x80070057U);

class XmlElement;
class XmlNodeList;

// What every holder shares: the handle of the one object it owns, handed on by a move. `Derived`
// supplies Reset, which releases the object.
template <typename Derived>
class XmlHolder {
 public:
  XmlHolder(const XmlHolder&) = delete;
  XmlHolder& operator=(const XmlHolder&) = delete;

  bool IsEmpty() const { return handle == nullptr; }

 protected:
  XmlHolder() = default;
  explicit XmlHolder(void* handle) : handle(handle) {}
  XmlHolder(XmlHolder&& other) noexcept : handle(other.handle) { other.handle = nullptr; }
  XmlHolder& operator=(XmlHolder&& other) noexcept {
    if (this != &other) {
      static_cast<Derived*>(this)->Reset();
      handle = other.handle;
      other.handle = nullptr;
    }
    return *this;
  }
  ~XmlHolder() = default;

  void* handle = nullptr;
};

// One node of a document, of any kind.
class XmlNode : public XmlHolder<XmlNode> {
 public:
  XmlNode() = default;
  XmlNode(XmlNode&&) noexcept = default;
  XmlNode& operator=(XmlNode&&) noexcept = default;
  ~XmlNode() { Reset(); }
  XmlNode(const XmlNode&) = delete;
  XmlNode& operator=(const XmlNode&) = delete;

  void Reset() noexcept;
  // The element view of the node; empty when the node is not an element.
  XmlElement AsElement() const;

 private:
  friend class XmlNodeList;
};

// An element: the root of a document or one of its entries.
class XmlElement : public XmlHolder<XmlElement> {
 public:
  XmlElement() = default;
  XmlElement(XmlElement&&) noexcept = default;
  XmlElement& operator=(XmlElement&&) noexcept = default;
  ~XmlElement() { Reset(); }
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  // An element that was created but never put into the tree disappears with its last holder.
  void Reset() noexcept;

  // Sets attribute `name` to the decimal text of `value`, replacing an earlier value.
  void SetAttribute(const char* name, std::int32_t value);
  // The text of attribute `name` into `text`; false (and `text` left alone) when the element
  // has no such attribute.
  bool GetAttribute(const char* name, HeapString& text) const;
  // `child` becomes the last child of this element.
  void AppendChild(const XmlElement& child);
  // The element's child nodes in document order.
  XmlNodeList ChildNodes() const;

 private:
  friend class XmlNode;
  friend class XmlDocument;
  explicit XmlElement(void* handle) : XmlHolder(handle) {}
};

// The child nodes of an element, handed out one at a time.
class XmlNodeList : public XmlHolder<XmlNodeList> {
 public:
  XmlNodeList() = default;
  XmlNodeList(XmlNodeList&&) noexcept = default;
  XmlNodeList& operator=(XmlNodeList&&) noexcept = default;
  ~XmlNodeList() { Reset(); }
  XmlNodeList(const XmlNodeList&) = delete;
  XmlNodeList& operator=(const XmlNodeList&) = delete;

  void Reset() noexcept;
  // The next node into `node` (reset first); false at the end of the list.
  bool NextNode(XmlNode& node);

 private:
  friend class XmlElement;
  explicit XmlNodeList(void* handle) : XmlHolder(handle) {}
};

// One XML document. Whitespace-only text between elements becomes a node only where xml:space
// asks for it to be preserved.
class XmlDocument : public XmlHolder<XmlDocument> {
 public:
  XmlDocument() = default;
  XmlDocument(XmlDocument&&) noexcept = default;
  XmlDocument& operator=(XmlDocument&&) noexcept = default;
  ~XmlDocument() { Reset(); }
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  void Reset() noexcept;

  // Empties the holder and makes a new, empty document; false when none can be made.
  bool Create();
  // Replaces the content with the document in `text`, the bytes of a file, parsed whole; false
  // when it is not well-formed XML with exactly one root element. Holders of the former
  // content's nodes must have been released.
  bool Load(const std::vector<char>& text);
  // The document as the bytes of a file, in place of what `text` held; false on failure.
  bool Save(std::vector<char>& text);

  // The root element; empty when the document has none.
  XmlElement DocumentElement() const;
  // A new element named `name`, outside the tree until it is appended somewhere.
  XmlElement CreateElement(const char* name);
  // `child` becomes the document's last child (its root, for the first element).
  void AppendChild(const XmlElement& child);
};

}  // namespace vadro
