// The bank map tests' files: the samples saved by both builds, and the names that a save gives
// its new file in a scratch folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "bankmap/bank_map_file.h"
#include "base/heap_string.h"
#include "tests/support/scratch_folder.h"

namespace vadro {

// A file of the test data: files saved by the Windows and the Linux build.
inline std::string SampleFile(const char* name) {
  std::ifstream file(std::string(VADRO_BANKMAP_TEST_DATA) + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

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

}  // namespace vadro
