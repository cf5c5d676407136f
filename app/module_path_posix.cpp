#include <unistd.h>

#include "app/module_path.h"

namespace vadro {

std::uint32_t GetModulePath(char* buffer, std::uint32_t size) {
  if (size == 0) return 0;
  ssize_t n = readlink("/proc/self/exe", buffer, size - 1);
  if (n < 0) n = 0;
  buffer[n] = '\0';
  return static_cast<std::uint32_t>(n);
}

}  // namespace vadro
