// The bank map reader on arbitrary file contents, through the path a run takes: the bytes become
// Vadro.xml in a scratch folder and a load pass reads it into a bank map. A load that succeeds
// must have read every entry into both maps, the later of two entries with one key winning; the
// document saved back and loaded again must give the same entries, and saved once more, the same
// bytes: a save writes everything with the meaning it was loaded with.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/xml_apartment.h"
#include "base/heap_string.h"
#include "base/pooled_map.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/scratch_folder.h"

namespace {

using Entries = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (ID, Bank) in file order

// The folders of the loaded and the saved file, on a memory file system where there is one;
// removed at the run's end.
std::unique_ptr<vadro::ScratchFolder> loadFolder;
std::unique_ptr<vadro::ScratchFolder> saveFolder;

// The entries of a loaded document, read through the same element interface as the load pass.
Entries EntriesOf(const vadro::XmlElement& root) {
  Entries entries;
  vadro::XmlNodeList list = root.ChildNodes();
  vadro::XmlNode node;
  while (list.NextNode(node)) {
    vadro::XmlElement element = node.AsElement();
    FUZZ_CHECK(!element.IsEmpty());
    vadro::HeapString id;
    vadro::HeapString bank;
    FUZZ_CHECK(element.GetAttribute("ID", id) && element.GetAttribute("Bank", bank));
    entries.emplace_back(id.ToInteger(), bank.ToInteger());
  }
  return entries;
}

void CheckMap(const vadro::PooledMap& map, const std::map<std::int32_t, std::int32_t>& expected) {
  FUZZ_CHECK(map.Count() == static_cast<std::int32_t>(expected.size()));
  for (const auto& [key, value] : expected) {
    std::int32_t found = 0;
    FUZZ_CHECK(map.Lookup(key, found));
    FUZZ_CHECK(found == value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  vadro::fuzz::SilenceStandardOutput();
  vadro::fuzz::SelectEncoding(true);
  loadFolder = std::make_unique<vadro::ScratchFolder>("fuzz-load", true);
  saveFolder = std::make_unique<vadro::ScratchFolder>("fuzz-save", true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vadro::XmlApartment apartment;  // the main thread's, as in a run
  loadFolder->Write("Vadro.xml", std::string(reinterpret_cast<const char*>(data), size));

  vadro::PooledMap bankMap;
  vadro::LoadPass pass;
  bool loaded = pass.Run(loadFolder->Directory(), bankMap);
  if (!loaded) {
    FUZZ_CHECK(pass.Root().IsEmpty());
    FUZZ_CHECK(pass.DeviceBankMap().Count() == 0);
    return 0;
  }
  FUZZ_CHECK(!pass.Document().IsEmpty() && !pass.Root().IsEmpty());

  Entries entries = EntriesOf(pass.Root());
  std::map<std::int32_t, std::int32_t> banks;
  std::map<std::int32_t, std::int32_t> devices;
  for (const auto& [id, bank] : entries) {
    banks[bank] = id;
    devices[id] = bank;
  }
  CheckMap(bankMap, banks);
  CheckMap(pass.DeviceBankMap(), devices);

  // Saved as the set-up saves it, and loaded again.
  FUZZ_CHECK(vadro::SaveBankMap(pass.Document(), saveFolder->Directory()));
  vadro::PooledMap reloadedMap;
  vadro::LoadPass reload;
  FUZZ_CHECK(reload.Run(saveFolder->Directory(), reloadedMap));
  FUZZ_CHECK(EntriesOf(reload.Root()) == entries);
  std::vector<char> again;
  FUZZ_CHECK(reload.Document().Save(again));
  FUZZ_CHECK(std::string(again.begin(), again.end()) == saveFolder->Read("Vadro.xml"));
  return 0;
}
