// ScratchFolder: a new empty folder for one test or one fuzz run, under the system's temporary
// folder, removed with everything in it when the object goes.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "base/heap_string.h"

namespace vadro {

class ScratchFolder {
 public:
  // Named after `purpose` and a random part, so that runs at the same time never share a folder.
  // `inMemory`: on a memory file system (/dev/shm) where there is one, for the many writes of a
  // fuzz run. Raises std::filesystem::filesystem_error when no folder can be made.
  explicit ScratchFolder(const char* purpose = "test", bool inMemory = false);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder as the program names its directory: ending in the separator.
  HeapString Directory() const;
  std::string PathOf(const char* name) const;

  // Writes `text` as the whole file `name`; raises std::ios_base::failure when it cannot.
  void Write(const char* name, const std::string& text) const;
  // The bytes of the file `name`; empty when it cannot be read.
  std::string Read(const char* name) const;
  bool Has(const char* name) const;
  void MakeFolder(const char* name) const;
  // The names of the folder's entries, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path folder;
};

}  // namespace vadro
