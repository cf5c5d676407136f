#include <unistd.h>

#include "base/module_path.h"

namespace vadro {

std::uint32_t GetModulePath(char* buffer, std::uint32_t size) {
  if (size == 0) return 0;
  ssize_t n = readlink("/proc/self/exe", buffer, size);
  if (n < 0) n = 0;
  // A path that fills the buffer has no room for its terminator: it is cut, as on Windows.
  if (static_cast<std::uint32_t>(n) >= size) {
    buffer[size - 1] = '\0';
    return size;
  }
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

}  // namespace vadro
