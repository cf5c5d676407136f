// Reading a small file whole, refusing anything that is not a plain file: a folder, a named pipe,
// a device or a socket under the name is never read, and never waited on.
#pragma once
#include <cstddef>
#include <vector>

namespace vadro {

// The whole content of the regular file at `path` into `bytes`, following links. False, with
// `bytes` empty, when the name leads to anything else, when the file holds more than `limit`
// bytes, or when it cannot be opened or read. What is checked is the object opened, so a name
// that is swapped meanwhile cannot slip another kind past the check.
bool ReadPlainFile(const char* path, std::size_t limit, std::vector<char>& bytes);

}  // namespace vadro
