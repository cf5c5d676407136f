#include <windows.h>

#include <cstdint>

#include "bankmap/plain_file.h"

namespace vadro {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE value) : value(value) {}
  ~FileHandle() {
    if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Value() const { return value; }

 private:
  HANDLE value;
};

}  // namespace

bool ReadPlainFile(const char* path, std::size_t limit, std::vector<char>& bytes) {
  bytes.clear();
  // Others may read the file meanwhile, but neither write it nor put another file in its place.
  // A folder does not open this way at all.
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file.Value() == INVALID_HANDLE_VALUE) return false;
  // A pipe or a character device (a console, a port, a device file seen through a drive that maps
  // a Unix folder) is no disk file.
  if (GetFileType(file.Value()) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file.Value(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return false;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Value(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return false;
  }
  // Reading goes on to one byte beyond the limit, which shows a file that grew meanwhile.
  bytes.resize(static_cast<std::size_t>(size.QuadPart) + 1);
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > limit) break;
      bytes.resize(used * 2 > limit ? limit + 1 : used * 2);
    }
    DWORD got = 0;
    if (!ReadFile(file.Value(), bytes.data() + used, static_cast<DWORD>(bytes.size() - used), &got, nullptr))
      break;
    if (got == 0) {
      bytes.resize(used);
      return true;
    }
    used += got;
  }
  bytes.clear();
  return false;
}

}  // namespace vadro
