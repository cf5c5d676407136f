#include <sys/stat.h>

#include <cerrno>

#include "bankmap/file_presence.h"

namespace vadro {

FilePresence FileIsPresent(const char* path) {
  struct stat status = {};
  if (stat(path, &status) == 0) return FilePresence::Present;
  if (errno == ENOENT || errno == ENOTDIR) return FilePresence::Absent;
  // Denied, a link loop, an I/O error: something may be there.
  return FilePresence::Unknown;
}

}  // namespace vadro
