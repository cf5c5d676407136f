#include <windows.h>

#include "bankmap/file_commit.h"

namespace vadro {

NewFileResult CreateNewFile(const char* path) {
  // CREATE_NEW: fails for any existing name, a link included.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // A folder of that name is refused as access denied rather than as an existing file.
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? NewFileResult::kNameTaken
                                                               : NewFileResult::kFailed;
  }
  CloseHandle(file);
  return NewFileResult::kCreated;
}

std::uint32_t ProcessNumber() { return GetCurrentProcessId(); }

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
