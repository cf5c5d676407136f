#include <windows.h>

#include "base/module_path.h"

namespace vadro {

std::uint32_t GetModulePath(char* buffer, std::uint32_t size) {
  return GetModuleFileNameA(nullptr, buffer, size);
}

}  // namespace vadro
