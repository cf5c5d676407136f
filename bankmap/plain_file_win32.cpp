#include <windows.h>

#include "bankmap/plain_file.h"

namespace vadro {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

PlainFile::~PlainFile() {
  if (AsHandle(handle) != INVALID_HANDLE_VALUE) CloseHandle(AsHandle(handle));
}

bool PlainFile::Open(const char* path, std::uint64_t& size) {
  // Shared for everything: another program may hold the file open to write, delete or rename it
  // (an editor, a backup or a synchronising tool) and the load still reads it. A folder does not
  // open this way at all.
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle = reinterpret_cast<std::intptr_t>(file);
  // A pipe or a character device (a console, a port, a device file seen through a drive that maps
  // a Unix folder) is no disk file.
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  LARGE_INTEGER bytes;
  if (!GetFileSizeEx(file, &bytes) || bytes.QuadPart < 0) return false;
  size = static_cast<std::uint64_t>(bytes.QuadPart);
  return true;
}

std::int64_t PlainFile::Read(char* buffer, std::size_t count) const {
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle), buffer, static_cast<DWORD>(count), &got, nullptr)) return -1;
  return got;
}

}  // namespace vadro
