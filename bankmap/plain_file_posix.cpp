#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "bankmap/plain_file.h"

namespace vadro {

PlainFile::~PlainFile() {
  if (handle >= 0) close(static_cast<int>(handle));
}

bool PlainFile::Open(const char* path, std::uint64_t& size) {
  // The kind first, by name and through links as the open goes: opening a device can act on it (a
  // tape rewinds, a watchdog is armed), and opening a named pipe wakes a writer that waits for it.
  struct stat named = {};
  if (stat(path, &named) != 0 || !S_ISREG(named.st_mode)) return false;
  // O_NONBLOCK: opening a named pipe would otherwise wait for a writer; O_NOCTTY: a terminal
  // device must not become the controlling terminal on the way to being refused. Both still
  // matter for a name that is swapped after the check above.
  int opened;
  do {
    opened = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (opened < 0 && errno == EINTR);
  if (opened < 0) return false;
  handle = opened;
  struct stat status = {};
  if (fstat(opened, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0) return false;
  // A regular file: reads block as usual again (a file on a network share may be slow).
  int flags = fcntl(opened, F_GETFL);
  if (flags < 0 || fcntl(opened, F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
  size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

std::int64_t PlainFile::Read(char* buffer, std::size_t count) const {
  for (;;) {
    ssize_t got = read(static_cast<int>(handle), buffer, count);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace vadro
