#include <windows.h>

#include <cstring>

#include "bankmap/file_commit.h"

namespace vadro {
namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The path of the file open as `file` with every link resolved, as the system has it (Vista and
// later; a system without it has no links to files either). Empty when it cannot be had.
HeapString FinalPathOf(HANDLE file) {
  using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto finalPath = kernel == nullptr ? nullptr
                                     : reinterpret_cast<FinalPathFunction>(reinterpret_cast<void (*)()>(
                                           GetProcAddress(kernel, "GetFinalPathNameByHandleA")));
  HeapString path;
  if (finalPath == nullptr) return path;
  // The size that the first call gives counts the terminator; Wine's does not, hence the spare
  // character.
  DWORD size = finalPath(file, nullptr, 0, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (size == 0 || size > 32767) return path;
  char* buffer = path.GetBuffer(static_cast<std::int32_t>(size) + 1);
  DWORD length = finalPath(file, buffer, size + 1, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length > size) buffer[0] = 0;
  path.ReleaseBuffer();
  // "\\?\C:\dir\file" and "\\?\UNC\server\share\file" as the other file functions take them
  // everywhere: "C:\dir\file" and "\\server\share\file".
  if (path.ComparePrefixNoCase("\\\\?\\UNC\\", 8) == 0) return Concat(HeapString("\\\\"), path.Mid(8).Text());
  if (path.ComparePrefixNoCase("\\\\?\\", 4) == 0 && path.Length() >= 6 && path.Text()[5] == ':') {
    return path.Mid(4);
  }
  return path;
}

}  // namespace

ReplaceCheck FindReplacedFile(const char* path, ReplacedFile& file) {
  file.exists = false;
  file.mode = 0;
  // Opened for its attributes only, following links, and sharing everything, a folder too.
  HANDLE opened =
      CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return ReplaceCheck::kRefused;
    // A name that is there but cannot be opened is a link that leads nowhere, and creating its
    // target would let a link put a file anywhere.
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return ReplaceCheck::kRefused;
    file.path.Assign(path);
    return ReplaceCheck::kReplaceable;
  }
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(opened, &information) != FALSE;
  // Only a link (the name itself a reparse point; the handle shows its target) is resolved. A plain
  // file is replaced by the path given, in the folder it was found in: the final path would also
  // see through substituted drives and turn mapped ones into network paths, which may be longer
  // than the path given or hold characters that the ANSI calls cannot name.
  DWORD nameAttributes = GetFileAttributesA(path);
  bool link =
      nameAttributes != INVALID_FILE_ATTRIBUTES && (nameAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  HeapString finalPath = link ? FinalPathOf(opened) : HeapString();
  CloseHandle(opened);
  // A read-only file is never replaced (the system refuses it too, though not every system that
  // runs Windows programs does).
  if (!known || (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return ReplaceCheck::kRefused;
  file.path.Assign(finalPath.Length() > 0 ? finalPath.Text() : path);
  file.exists = true;
  return ReplaceCheck::kReplaceable;
}

NewFileResult NewFile::Create(const char* path, const ReplacedFile& /*replaced*/) {
  Close();
  // CREATE_NEW: fails for any existing name, a link included.
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // A folder of that name is refused as access denied rather than as an existing file.
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? NewFileResult::kNameTaken
                                                               : NewFileResult::kFailed;
  }
  handle = reinterpret_cast<std::intptr_t>(file);
  return NewFileResult::kCreated;
}

bool NewFile::Write(const std::vector<char>& bytes) const {
  if (AsHandle(handle) == INVALID_HANDLE_VALUE) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    std::size_t chunk = bytes.size() - written;
    DWORD done = 0;
    if (!WriteFile(AsHandle(handle), bytes.data() + written,
                   static_cast<DWORD>(chunk > 1 << 20 ? 1 << 20 : chunk), &done, nullptr) ||
        done == 0) {
      return false;
    }
    written += done;
  }
  return true;
}

bool NewFile::FlushAndClose() {
  if (AsHandle(handle) == INVALID_HANDLE_VALUE) return false;
  BOOL flushed = FlushFileBuffers(AsHandle(handle));
  BOOL closed = CloseHandle(AsHandle(handle));
  handle = -1;
  return flushed && closed;
}

void NewFile::Close() {
  if (AsHandle(handle) != INVALID_HANDLE_VALUE) CloseHandle(AsHandle(handle));
  handle = -1;
}

std::uint32_t ProcessNumber() { return GetCurrentProcessId(); }

bool MoveFileOver(const char* from, const char* to) {
  // Write-through: the call returns once the rename has reached the disk.
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void RemoveFileIfAny(const char* path) { DeleteFileA(path); }

}  // namespace vadro
