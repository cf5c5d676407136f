// The bank map reader on arbitrary file contents, through the path a run takes: the bytes become
// Vadro.xml in a scratch folder and a load pass reads it into a bank map. A load that succeeds
// must have read every entry into both maps, the later of two entries with one key winning; the
// document saved back and loaded again must give the same entries, and saved once more, the same
// bytes: a save writes everything with the meaning it was loaded with.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/xml_apartment.h"
#include "base/heap_string.h"
#include "base/pooled_map.h"
#include "fuzz/fuzz_support.h"

namespace {

using Entries = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (ID, Bank) in file order

// A folder of its own for the file, on a memory file system where there is one.
std::string MakeScratchFolder(const char* name) {
  const char* base = "/dev/shm";
  if (access(base, W_OK) != 0) {
    const char* temporary = std::getenv("TMPDIR");
    base = temporary != nullptr ? temporary : "/tmp";
  }
  std::string pattern = std::string(base) + "/vadro-fuzz-" + name + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("fuzz: scratch folder");
    std::exit(1);
  }
  return pattern + "/";
}

std::string loadFolder;
std::string saveFolder;

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(std::fclose(file) == 0);
}

std::string ReadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  FUZZ_CHECK(file != nullptr);
  std::string text;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, got);
  FUZZ_CHECK(std::fclose(file) == 0);
  return text;
}

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
  loadFolder = MakeScratchFolder("load");
  saveFolder = MakeScratchFolder("save");
  std::atexit([] {
    for (const std::string* folder : {&loadFolder, &saveFolder}) {
      unlink((*folder + "Vadro.xml").c_str());
      rmdir(folder->c_str());
    }
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vadro::XmlApartment apartment;  // the main thread's, as in a run
  WriteFile(loadFolder + "Vadro.xml", data, size);

  vadro::PooledMap bankMap;
  vadro::LoadPass pass;
  bool loaded = pass.Run(vadro::HeapString(loadFolder.c_str()), bankMap);
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
  FUZZ_CHECK(vadro::SaveBankMap(pass.Document(), vadro::HeapString(saveFolder.c_str())));
  vadro::PooledMap reloadedMap;
  vadro::LoadPass reload;
  FUZZ_CHECK(reload.Run(vadro::HeapString(saveFolder.c_str()), reloadedMap));
  FUZZ_CHECK(EntriesOf(reload.Root()) == entries);
  std::vector<char> again;
  FUZZ_CHECK(reload.Document().Save(again));
  FUZZ_CHECK(std::string(again.begin(), again.end()) == ReadFile(saveFolder + "Vadro.xml"));
  return 0;
}
