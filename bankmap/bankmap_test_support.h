// Help for the bank map tests: a scratch folder standing in for the executable's directory, the
// sample files kept from both builds, and the text written to standard output.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "base/heap_string.h"

namespace vadro {
namespace bankmap_test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    std::ostringstream name;
    name << "vadro-bankmap-" << std::hex << random() << random();
    folder = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(folder);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder as the program names its directory: ending in the separator.
  HeapString Directory() const {
    std::string text = folder.string();
    text += static_cast<char>(std::filesystem::path::preferred_separator);
    return HeapString(text.c_str());
  }
  std::string PathOf(const char* name) const { return (folder / name).string(); }

  void Write(const char* name, const std::string& text) const {
    std::ofstream file(folder / name, std::ios::binary);
    file << text;
    ASSERT_TRUE(file.good()) << name;
  }
  std::string Read(const char* name) const {
    std::ifstream file(folder / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  bool Has(const char* name) const { return std::filesystem::exists(folder / name); }
  void MakeFolder(const char* name) const { std::filesystem::create_directories(folder / name); }
  // The names of the folder's entries, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path folder;
};

// A file of the test data: files saved by the Windows and the Linux build.
inline std::string SampleFile(const char* name) {
  std::ifstream file(std::string(VADRO_BANKMAP_TEST_DATA) + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Everything written to standard output while the object lives.
class CapturedOutput {
 public:
  CapturedOutput() { ::testing::internal::CaptureStdout(); }
  ~CapturedOutput() {
    if (!taken) ::testing::internal::GetCapturedStdout();
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;
  std::string Text() {
    taken = true;
    return ::testing::internal::GetCapturedStdout();
  }

 private:
  bool taken = false;
};

// The name in `folder` of the file that a save of this process creates at its `attempt`.
inline std::string NewFileName(const ScratchFolder& folder, std::int32_t attempt) {
  HeapString directory = folder.Directory();
  return std::string(NewBankMapPath(BankMapPath(directory), attempt).Text() + directory.Length());
}

// Folders under every name that a save of this process may give its new file: the save fails.
inline void TakeEveryNewFileName(const ScratchFolder& folder) {
  for (std::int32_t attempt = 0; attempt < kNewBankMapAttempts; ++attempt) {
    folder.MakeFolder(NewFileName(folder, attempt).c_str());
  }
}

}  // namespace bankmap_test
}  // namespace vadro
