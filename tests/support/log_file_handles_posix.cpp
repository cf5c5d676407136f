#include <fcntl.h>

#include <cstdint>
#include <string>

#include "tests/support/log_file_handles.h"

namespace vadro {

FileHandle OpenFileForWriting(const std::string& path) {
  int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (descriptor < 0) return nullptr;
  return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(descriptor) + 1);
}

FileHandle InvalidFileHandle() { return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(1000000)); }

}  // namespace vadro
