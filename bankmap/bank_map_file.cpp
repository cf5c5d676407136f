#include "bankmap/bank_map_file.h"

#include <cstdio>
#include <vector>

#include "bankmap/file_commit.h"
#include "bankmap/plain_file.h"
#include "base/heap.h"
#include "console/text_output.h"

namespace vadro {
namespace {

constexpr const char* kFileName = "Vadro.xml";

// The new content is written first to a file of its own beside the file it replaces (so that the
// replacement is a rename within one directory), created under a name that nothing had: a file or
// link planted under a name that a save might use is never written through, and two instances
// saving at once never share a file. Only a file that this save created is removed again.
bool CreateNewBankMapFile(const ReplacedFile& replaced, NewFile& file, HeapString& path) {
  for (std::int32_t attempt = 0; attempt < kNewBankMapAttempts; ++attempt) {
    path.Assign(NewBankMapPath(replaced.path, attempt));
    NewFileResult created = file.Create(path.Text(), replaced);
    if (created == NewFileResult::kCreated) return true;
    if (created == NewFileResult::kFailed) return false;
  }
  return false;
}

// Every entry of the file into both maps. False for a child of the root that is not an element
// and for an entry that lacks either attribute or whose number is beyond 32 bits: mapping a
// missing number as 0, or a wrapped one, would give a device a bank it never had. Document
// failures are raised.
bool ReadEntries(const XmlElement& root, PooledMap& bankMap, PooledMap& deviceBankMap) {
  XmlNodeList list = root.ChildNodes();
  XmlNode node;
  while (list.NextNode(node)) {
    XmlElement element = node.AsElement();
    if (element.IsEmpty()) return false;
    HeapString idText;
    HeapString bankText;
    if (!element.GetAttribute("ID", idText) || !element.GetAttribute("Bank", bankText)) return false;
    bool idFits = true;
    bool bankFits = true;
    std::int32_t id = idText.ToInteger(&idFits);
    std::int32_t bank = bankText.ToInteger(&bankFits);
    if (!idFits || !bankFits) return false;
    bankMap.ValueFor(bank) = id;
    deviceBankMap.ValueFor(id) = bank;
  }
  return true;
}

}  // namespace

HeapString BankMapPath(const HeapString& moduleDirectory) { return Concat(moduleDirectory, kFileName); }

FilePresence BankMapFilePresence(const HeapString& moduleDirectory) {
  HeapString path = BankMapPath(moduleDirectory);
  return FileIsPresent(path.Text());
}

bool CreateDocument(XmlDocument& document) {
  if (document.Create()) return true;
  WriteText("\r\nCannot create XML DOM.\r\n");
  return false;
}

XmlElement AppendItem(XmlDocument& document, XmlElement& root, std::int32_t id, std::int32_t bank) {
  XmlElement item = document.CreateElement("Item");
  item.SetAttribute("ID", id);
  item.SetAttribute("Bank", bank);
  root.AppendChild(item);
  return item;
}

HeapString NewBankMapPath(const HeapString& replaced, std::int32_t attempt) {
  char suffix[32];
  if (attempt == 0) {
    std::snprintf(suffix, sizeof suffix, ".%u.new", static_cast<unsigned>(ProcessNumber()));
  } else {
    std::snprintf(suffix, sizeof suffix, ".%u-%d.new", static_cast<unsigned>(ProcessNumber()),
                  static_cast<int>(attempt));
  }
  return Concat(replaced, suffix);
}

bool SaveBankMap(XmlDocument& document, const HeapString& moduleDirectory) {
  ReplacedFile replaced;
  {
    HeapString path = BankMapPath(moduleDirectory);
    if (FindReplacedFile(path.Text(), replaced) != ReplaceCheck::kReplaceable) return false;
  }
  std::vector<char> text;
  // A file that the next load would refuse is never written: the old one is kept instead.
  if (!document.Save(text) || text.size() > kBankMapSizeLimit) return false;
  NewFile file;
  HeapString newPath;
  if (!CreateNewBankMapFile(replaced, file, newPath)) return false;
  if (file.Write(text) && file.FlushAndClose() && MoveFileOver(newPath.Text(), replaced.path.Text())) {
    return true;
  }
  file.Close();
  RemoveFileIfAny(newPath.Text());
  return false;
}

bool BankMapDocument::Create() {
  root.Reset();
  return CreateDocument(document);
}

void BankMapDocument::CreateRoot() {
  root = document.CreateElement("CDLibraryList");
  document.AppendChild(root);
}

LoadPass::LoadPass() : deviceBankMap(17, 10, ProcessHeap()) {}

LoadPass::~LoadPass() { Release(); }

void LoadPass::Release() {
  root.Reset();
  deviceBankMap.RemoveAll();
  document.Reset();
}

bool LoadPass::Run(const HeapString& moduleDirectory, PooledMap& bankMap) {
  Release();
  if (!CreateDocument(document)) return false;
  bool loaded;
  {
    // Only a plain file of a size that a bank map can have is read: a named pipe would keep the
    // run waiting for ever, a device or a huge file would fill the memory.
    HeapString path = BankMapPath(moduleDirectory);
    std::vector<char> text;
    loaded = ReadPlainFile(path.Text(), kBankMapSizeLimit, text) && document.Load(text);
  }
  if (!loaded) {
    WriteText("\r\nCannot load initialization file (Vadro.xml).\r\n");
    document.Reset();
    return false;
  }
  root = document.DocumentElement();
  bool read;
  try {
    read = ReadEntries(root, bankMap, deviceBankMap);
  } catch (...) {
    read = false;
  }
  if (!read) {
    WriteText("\r\nWrong file format (Vadro.xml) or internal xml error.\r\n");
    Release();
    return false;
  }
  return true;
}

}  // namespace vadro
