// Reading a small file whole, refusing anything that is not a plain file: a folder, a named pipe,
// a device or a socket under the name is never read, and never waited on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vadro {

// The whole content of the regular file at `path` into `bytes`, following links. False, with
// `bytes` empty, when the name leads to anything else, when the file holds more than `limit`
// bytes, or when it cannot be opened or read. What is checked is the object opened, so a name
// that is swapped meanwhile cannot slip another kind past the check.
bool ReadPlainFile(const char* path, std::size_t limit, std::vector<char>& bytes);

// The platform's part of ReadPlainFile: a regular file opened for reading, closed when the object
// goes.
class PlainFile {
 public:
  PlainFile() = default;
  ~PlainFile();
  PlainFile(const PlainFile&) = delete;
  PlainFile& operator=(const PlainFile&) = delete;

  // Opens `path` when it leads to a regular file, without waiting on anything else; its size then
  // in `size`. False for any other kind, or when it cannot be opened.
  bool Open(const char* path, std::uint64_t& size);
  // Reads up to `count` bytes into `buffer`: how many, 0 at the end of the file, -1 on a failure.
  std::int64_t Read(char* buffer, std::size_t count) const;

 private:
  std::intptr_t handle = -1;
};

}  // namespace vadro
