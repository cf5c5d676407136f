#include <windows.h>

#include "bankmap/file_presence.h"
#include "bankmap/volume_root.h"

namespace vadro {

FilePresence FileIsPresent(const char* path) {
  char fullPath[260];
  char* filePart = nullptr;
  DWORD length = GetFullPathNameA(path, 260, fullPath, &filePart);
  // Without the full path the volume cannot be asked, and whatever is there stays unseen.
  if (length == 0 || length >= 260) return FilePresence::Unknown;

  HeapString root = VolumeRootOf(fullPath);
  if (!GetVolumeInformationA(root.Text(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
    return FilePresence::Unknown;
  }

  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return FilePresence::Present;
  }
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
    return FilePresence::Absent;
  }
  // Denied or unreadable: the search says nothing about what is there.
  return FilePresence::Unknown;
}

}  // namespace vadro
