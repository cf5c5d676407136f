#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "log/log_file_system.h"

namespace vadro {

bool CloseLogFile(FileHandle handle) {
  int descriptor = static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1);
  return close(descriptor) == 0;
}

bool MoveLogFile(const char* from, const char* to) {
  // A move never replaces a file that is already there; rename alone would.
  struct stat existing = {};
  if (lstat(to, &existing) == 0) return false;
  return std::rename(from, to) == 0;
}

}  // namespace vadro
