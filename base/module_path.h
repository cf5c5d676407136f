// The full path of the running executable.
#pragma once
#include <cstdint>

namespace vadro {

// Writes the executable's path into `buffer` (room for `size` bytes, `size` > 0), cut and
// terminated when it does not fit; returns its length, `size` when it was cut, 0 on failure.
std::uint32_t GetModulePath(char* buffer, std::uint32_t size);

}  // namespace vadro
