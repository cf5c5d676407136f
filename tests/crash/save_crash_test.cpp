// Kills a process at random moments while it saves Vadro.xml, hundreds of times, and checks after
// every kill that the file on disk is a whole version the writer meant to save: the one before the
// interrupted save or the one after it, byte for byte, and that it loads.
//
//   save_crash_test FOLDER KILLS      the test: a writer child is started and killed KILLS times
//   save_crash_test --writer FOLDER   the writer: loads FOLDER/Vadro.xml, adds one entry, saves,
//                                     again and again until it is killed
//
// Both go through the program's own load pass and save. Entry n (counted from 1) has ID n and
// Bank n % 127 + 1, so version n of the file is the one with entries 1 to n.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/xml_apartment.h"
#include "base/heap_string.h"
#include "base/path_separator.h"
#include "base/pooled_map.h"
#include "console/text_output.h"
#include "tests/crash/child_process.h"

namespace vadro {
namespace crash_test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Enough entries that one save takes a noticeable share of the writer's loop.
constexpr std::int32_t kFirstVersion = 2000;
constexpr const char* kReadyName = "writer.ready";

std::int32_t BankOf(std::int32_t entry) { return entry % 127 + 1; }

HeapString DirectoryOf(const fs::path& folder) {
  std::string text = folder.string();
  text += kPathSeparator;
  return HeapString(text.c_str());
}

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Version `entries` of the file, saved with the program's save into `folder`.
bool SaveVersion(const fs::path& folder, std::int32_t entries) {
  BankMapDocument file;
  if (!file.Create()) return false;
  try {
    file.CreateRoot();
    for (std::int32_t n = 1; n <= entries; ++n) AppendItem(file.Document(), file.Root(), n, BankOf(n));
  } catch (...) {
    return false;
  }
  return SaveBankMap(file.Document(), DirectoryOf(folder));
}

// The writer: one load pass, one new entry, one save, for ever. A load or save that fails ends
// it with status 1, which the test sees as a fault.
int RunWriter(const fs::path& folder) {
  XmlApartment apartment;
  HeapString directory = DirectoryOf(folder);
  bool announced = false;
  for (;;) {
    PooledMap bankMap;
    LoadPass pass;
    if (!pass.Run(directory, bankMap)) return 1;
    std::int32_t next = pass.DeviceBankMap().Count() + 1;
    try {
      AppendItem(pass.Document(), pass.Root(), next, BankOf(next));
    } catch (...) {
      return 1;
    }
    if (!announced) {
      // From here on the writer spends its time saving: the test starts its clock now.
      std::ofstream(folder / kReadyName) << "ready";
      announced = true;
    }
    if (!SaveBankMap(pass.Document(), directory)) return 1;
  }
}

// What the file on disk holds, or a description of what is wrong with it.
struct Check {
  bool whole = false;
  std::int32_t version = 0;
  std::string fault;
};

// Removes the files that saves create before they take the name Vadro.xml ("Vadro.xml.*.new");
// true when there was one.
bool RemoveNewFiles(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.size() > 14 && name.compare(0, 10, "Vadro.xml.") == 0 &&
        name.compare(name.size() - 4, 4, ".new") == 0) {
      found.push_back(entry.path());
    }
  }
  for (const fs::path& path : found) fs::remove(path);
  return !found.empty();
}

Check CheckFile(const fs::path& folder, std::int32_t lastVersion) {
  Check check;
  PooledMap bankMap;
  LoadPass pass;
  if (!pass.Run(DirectoryOf(folder), bankMap)) {
    check.fault = "the file does not load";
    return check;
  }
  // Entries 1 to n in order, each with its own bank.
  std::int32_t n = 0;
  try {
    XmlNodeList list = pass.Root().ChildNodes();
    XmlNode node;
    while (list.NextNode(node)) {
      ++n;
      XmlElement item = node.AsElement();
      HeapString id;
      HeapString bank;
      if (item.IsEmpty() || !item.GetAttribute("ID", id) || !item.GetAttribute("Bank", bank) ||
          id.ToInteger() != n || bank.ToInteger() != BankOf(n)) {
        check.fault = "entry " + std::to_string(n) + " is not the one that was saved";
        return check;
      }
    }
  } catch (...) {
    check.fault = "the entries cannot be read";
    return check;
  }
  pass.Release();
  if (n < lastVersion) {
    check.fault = "version " + std::to_string(n) + " is older than version " + std::to_string(lastVersion) +
                  ", which was on disk before";
    return check;
  }
  // Byte for byte the text that the save writes for that version.
  fs::path reference = folder / "reference";
  fs::create_directories(reference);
  if (!SaveVersion(reference, n)) {
    check.fault = "the reference version cannot be saved";
    return check;
  }
  if (ReadAll(folder / "Vadro.xml") != ReadAll(reference / "Vadro.xml")) {
    check.fault = "version " + std::to_string(n) + " differs from what the save writes for it";
    return check;
  }
  check.whole = true;
  check.version = n;
  return check;
}

// A start that fails is tried twice more: on a loaded machine one start of hundreds has failed
// under Wine. A writer that cannot be started at all still fails the test.
bool StartWriter(ChildProcess& writer, const std::string& self, const fs::path& folder) {
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (writer.Start(self, "--writer", folder.string())) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool WaitForReady(const fs::path& marker) {
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  while (!fs::exists(marker)) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// How long one load, append and save of the writer takes, measured here on a copy of the file.
Clock::duration MeasureOneSave(const fs::path& folder) {
  fs::path copy = folder / "measure";
  fs::create_directories(copy);
  fs::copy_file(folder / "Vadro.xml", copy / "Vadro.xml", fs::copy_options::overwrite_existing);
  HeapString directory = DirectoryOf(copy);
  constexpr int kRounds = 5;
  Clock::time_point start = Clock::now();
  for (int i = 0; i < kRounds; ++i) {
    PooledMap bankMap;
    LoadPass pass;
    if (!pass.Run(directory, bankMap)) break;
    std::int32_t next = pass.DeviceBankMap().Count() + 1;
    AppendItem(pass.Document(), pass.Root(), next, BankOf(next));
    SaveBankMap(pass.Document(), directory);
  }
  fs::remove_all(copy);
  return (Clock::now() - start) / kRounds;
}

int RunTest(const fs::path& folder, int kills) {
  XmlApartment apartment;
  fs::remove_all(folder);
  fs::create_directories(folder);
  if (!SaveVersion(folder, kFirstVersion)) {
    std::printf("FAIL: the first version cannot be saved\n");
    return 1;
  }
  std::string self = OwnExecutablePath();
  Clock::duration oneSave = MeasureOneSave(folder);
  // Kill within the first few saves after the writer is under way, anywhere in them.
  auto window = std::chrono::duration_cast<std::chrono::microseconds>(oneSave * 4);
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> delay(0, window.count());
  std::printf("one save of %d entries: %lld us; killing within %lld us of the writer's start\n",
              kFirstVersion,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(oneSave).count()),
              static_cast<long long>(window.count()));

  std::int32_t version = kFirstVersion;
  int midSave = 0;
  fs::path marker = folder / kReadyName;
  for (int k = 1; k <= kills; ++k) {
    fs::remove(marker);
    ChildProcess writer;
    if (!StartWriter(writer, self, folder)) {
      std::printf("FAIL: the writer cannot be started (kill %d)\n", k);
      return 1;
    }
    if (!WaitForReady(marker)) {
      std::printf("FAIL: the writer did not start saving (kill %d)\n", k);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    if (!writer.Kill()) {
      std::printf("FAIL: the writer had stopped by itself before kill %d (a load or save failed)\n", k);
      return 1;
    }
    // A new file left behind means the kill came while the new content was being written.
    if (RemoveNewFiles(folder)) ++midSave;
    Check check = CheckFile(folder, version);
    if (!check.whole) {
      std::printf("FAIL after kill %d: %s\n", k, check.fault.c_str());
      return 1;
    }
    version = check.version;
  }
  std::printf("%d kills: the file was whole every time; %d kills came during a save; version %d -> %d\n",
              kills, midSave, kFirstVersion, version);
  if (midSave == 0) {
    std::printf("FAIL: no kill came during a save, so the test proved nothing\n");
    return 1;
  }
  if (version == kFirstVersion) {
    std::printf("FAIL: no save was ever completed\n");
    return 1;
  }
  fs::remove_all(folder);
  return 0;
}

}  // namespace
}  // namespace crash_test
}  // namespace vadro

int main(int argc, char** argv) {
  using vadro::crash_test::RunTest;
  using vadro::crash_test::RunWriter;
  vadro::InitTextOutput();
  if (argc == 3 && std::string(argv[1]) == "--writer") return RunWriter(argv[2]);
  if (argc == 3) return RunTest(argv[1], static_cast<int>(std::strtol(argv[2], nullptr, 10)));
  std::fprintf(stderr, "usage: %s FOLDER KILLS | %s --writer FOLDER\n", argv[0], argv[0]);
  return 2;
}
