#include <windows.h>

#include <string>

#include "tests/support/log_file_handles.h"

namespace vadro {
namespace test_support {

std::string MakeScratchFolder() {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return std::string();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string folder = std::string(temp) + "log_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(attempt);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
  }
  return std::string();
}

namespace {
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + name + "\\");
      } else {
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}
}  // namespace

void RemoveScratchFolder(const std::string& folder) {
  if (!folder.empty()) RemoveTree(folder);
}

bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

FileHandle OpenFileForWriting(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Handles are multiples of 4 handed out from a small table; this one is never issued.
FileHandle InvalidFileHandle() { return reinterpret_cast<FileHandle>(static_cast<ULONG_PTR>(0x0BAD0000)); }

}  // namespace test_support
}  // namespace vadro
