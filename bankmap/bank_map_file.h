// The bank map file Vadro.xml in the executable's directory: its presence test, the creation of
// a new document, the load pass that fills the bank maps, the addition of an entry and the save.
//
// The file holds one root element (CDLibraryList when the program makes it) with one Item
// element per assigned device, carrying the attributes ID (the device's internal number) and
// Bank, in that order, as decimal text.
#pragma once
#include <cstddef>
#include <cstdint>

#include "bankmap/file_presence.h"
#include "bankmap/xml_document.h"
#include "base/heap_string.h"
#include "base/pooled_map.h"

namespace vadro {

// `moduleDirectory` (ending in the path separator) followed by "Vadro.xml".
HeapString BankMapPath(const HeapString& moduleDirectory);

// FileIsPresent of the bank map file.
FilePresence BankMapFilePresence(const HeapString& moduleDirectory);

// Empties `document` and makes a new, empty one. Prints "\r\nCannot create XML DOM.\r\n" and
// returns false when none can be made.
bool CreateDocument(XmlDocument& document);

// Adds an Item element with ID `id` and then Bank `bank` as the root's last child, and returns
// it; the caller releases it when the device's step is done. Raises XmlError (kXmlOutOfMemory
// when a name cannot be allocated).
XmlElement AppendItem(XmlDocument& document, XmlElement& root, std::int32_t id, std::int32_t bank);

// Writes `document` as the bank map file. The new content goes to a file that the save creates
// anew beside the file it replaces, under the first of the names NewBankMapPath gives that nothing
// has yet, and is written through the handle that created it; the old file is replaced in one step
// once the new content is wholly on the disk, and the new file keeps the old one's mode. Where
// Vadro.xml is a link, the file it leads to is replaced and the link stays. Nothing is written
// where Vadro.xml is a file that nobody may write or a link that leads nowhere, nor when the
// document's text is larger than a load takes (kBankMapSizeLimit). On any failure the old file
// stays as it was and the new one is removed. Prints nothing.
bool SaveBankMap(XmlDocument& document, const HeapString& moduleDirectory);

// The names a save tries for the new file that replaces `replaced`, in order: `replaced` followed
// by ".N.new" with N the process number, then ".N-1.new" and so on (for names left behind by an
// earlier process of that number).
constexpr std::int32_t kNewBankMapAttempts = 16;
HeapString NewBankMapPath(const HeapString& replaced, std::int32_t attempt);

// The largest bank map file that is loaded, and so saved, 1 MiB: 127 banks take a few kilobytes,
// and a larger file is none that this program wrote.
constexpr std::size_t kBankMapSizeLimit = 1 << 20;

// The document of a first-time creation and its root element. Releases the root, then the
// document.
class BankMapDocument {
 public:
  BankMapDocument() = default;
  ~BankMapDocument() = default;
  BankMapDocument(const BankMapDocument&) = delete;
  BankMapDocument& operator=(const BankMapDocument&) = delete;

  // A new, empty document, as CreateDocument.
  bool Create();
  // The root element CDLibraryList, appended to the document. Raises XmlError.
  void CreateRoot();

  XmlDocument& Document() { return document; }
  XmlElement& Root() { return root; }

 private:
  XmlDocument document;
  XmlElement root;
};

// One load of the bank map file: the loaded document, its root element (to which new entries
// are appended) and the DeviceBankMap of that load (device internal number -> bank). Released
// in the order root, DeviceBankMap, document.
class LoadPass {
 public:
  LoadPass();
  ~LoadPass();
  LoadPass(const LoadPass&) = delete;
  LoadPass& operator=(const LoadPass&) = delete;

  // Makes a new document, loads the file into it and reads every entry: `bankMap` (bank ->
  // device internal number) and DeviceBankMap (device internal number -> bank) get one
  // assignment per entry, so a later entry overwrites an earlier one with the same key.
  // On failure prints its message, releases what it made and returns false:
  //   "\r\nCannot create XML DOM.\r\n"
  //   "\r\nCannot load initialization file (Vadro.xml).\r\n" (missing, unreadable, not a plain
  //   file, larger than kBankMapSizeLimit, not XML)
  //   "\r\nWrong file format (Vadro.xml) or internal xml error.\r\n" (a child of the root that
  //   is not an element, an entry without ID or Bank, any failure while reading); entries
  //   already put into `bankMap` stay there.
  bool Run(const HeapString& moduleDirectory, PooledMap& bankMap);

  XmlDocument& Document() { return document; }
  XmlElement& Root() { return root; }
  const PooledMap& DeviceBankMap() const { return deviceBankMap; }

  // Releases the root, empties DeviceBankMap and releases the document.
  void Release();

 private:
  XmlDocument document;
  PooledMap deviceBankMap;
  XmlElement root;
};

}  // namespace vadro
