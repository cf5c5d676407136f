#include <windows.h>

#include "bankmap/file_commit.h"

namespace vadro {

bool FlushFileToDisk(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL flushed = FlushFileBuffers(file);
  BOOL closed = CloseHandle(file);
  return flushed && closed;
}

bool MoveFileOver(const char* from, const char* to) {
  // Write-through: the call returns once the rename has reached the disk.
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveFileIfAny(const char* path) { DeleteFileA(path); }

}  // namespace vadro
