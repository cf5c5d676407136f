#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "bankmap/plain_file.h"

namespace vadro {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int value) : value(value) {}
  ~Descriptor() {
    if (value >= 0) close(value);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Value() const { return value; }

 private:
  int value;
};

}  // namespace

bool ReadPlainFile(const char* path, std::size_t limit, std::vector<char>& bytes) {
  bytes.clear();
  // O_NONBLOCK: opening a named pipe would otherwise wait for a writer; O_NOCTTY: a terminal
  // device must not become the controlling terminal on the way to being refused.
  int opened;
  do {
    opened = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (opened < 0 && errno == EINTR);
  Descriptor file(opened);
  if (file.Value() < 0) return false;
  struct stat status = {};
  if (fstat(file.Value(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  if (status.st_size < 0 || static_cast<std::uint64_t>(status.st_size) > limit) return false;
  // A regular file: reads block as usual again (a file on a network share may be slow).
  int flags = fcntl(file.Value(), F_GETFL);
  if (flags < 0 || fcntl(file.Value(), F_SETFL, flags & ~O_NONBLOCK) != 0) return false;
  // The file may grow while it is read: reading goes on to one byte beyond the limit, which shows
  // that it did.
  bytes.resize(static_cast<std::size_t>(status.st_size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > limit) break;
      bytes.resize(used * 2 > limit ? limit + 1 : used * 2);
    }
    ssize_t got = read(file.Value(), bytes.data() + used, bytes.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    if (got == 0) {
      bytes.resize(used);
      return true;
    }
    used += static_cast<std::size_t>(got);
  }
  bytes.clear();
  return false;
}

}  // namespace vadro
