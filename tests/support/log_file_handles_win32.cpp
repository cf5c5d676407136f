#include <windows.h>

#include <string>

#include "tests/support/log_file_handles.h"

namespace vadro {

FileHandle OpenFileForWriting(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

// Handles are multiples of 4 handed out from a small table; this one is never issued.
FileHandle InvalidFileHandle() { return reinterpret_cast<FileHandle>(static_cast<ULONG_PTR>(0x0BAD0000)); }

}  // namespace vadro
