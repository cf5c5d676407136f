#include "bankmap/plain_file.h"

namespace vadro {

bool ReadPlainFile(const char* path, std::size_t limit, std::vector<char>& bytes) {
  bytes.clear();
  PlainFile file;
  std::uint64_t size = 0;
  if (!file.Open(path, size) || size > limit) return false;
  // The file may grow while it is read: reading goes on to one byte beyond the limit, which shows
  // that it did.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > limit) break;
      bytes.resize(used * 2 > limit ? limit + 1 : used * 2);
    }
    std::int64_t got = file.Read(bytes.data() + used, bytes.size() - used);
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
