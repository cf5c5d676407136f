// The full path of the running executable.
#pragma once
#include <cstdint>

namespace vadro {

// Writes the executable's path into `buffer` (room for `size` bytes), truncated and terminated
// when it does not fit; returns the number of bytes written without the terminator (0 on failure).
std::uint32_t GetModulePath(char* buffer, std::uint32_t size);

}  // namespace vadro
