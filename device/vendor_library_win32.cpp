#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/heap_string.h"
#include "base/module_directory.h"
#include "device/vendor_library.h"
#include "device/vendor_library_win32.h"

namespace vadro {

namespace {

// Looks `name` up by its plain name, then as the stdcall-decorated "_Name@N", then as "Name@N"
// (the form some linkers export), where N is the number of argument bytes.
FARPROC FindOperation(HMODULE module, const char* name, int argumentBytes) {
  FARPROC address = GetProcAddress(module, name);
  if (address != nullptr) return address;
  char decorated[64];
  std::snprintf(decorated, sizeof decorated, "_%s@%d", name, argumentBytes);
  address = GetProcAddress(module, decorated);
  if (address != nullptr) return address;
  return GetProcAddress(module, decorated + 1);
}

template <typename Function>
void Bind(HMODULE module, const char* name, int argumentBytes, Function& slot, const char*& missing) {
  FARPROC address = FindOperation(module, name, argumentBytes);
  if (address == nullptr) {
    if (missing == nullptr) missing = name;
    return;
  }
  slot = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// `fileName` in the folder `folder` (a path without its last separator, `length` characters long)
// into `path`, which has room for MAX_PATH characters; false when it does not fit.
bool JoinPath(const char* folder, std::size_t length, const char* fileName, char* path) {
  std::size_t nameLength = std::strlen(fileName);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return false;
  std::memmove(path, folder, length);
  path[length] = '\\';
  std::memcpy(path + length + 1, fileName, nameLength + 1);
  return true;
}

// The library is loaded from the program's own folder, else from the system folder, where device
// installers also put their libraries. The current folder and the folders of PATH are never
// searched: a library of that name left there by someone else would run with the user's rights.
HMODULE LoadFromProgramOrSystemFolder(const char* fileName) {
  HMODULE module =
      LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Windows that does not know these search flags: by the full paths, in the same order.
  return LoadByFullPath(fileName);
}

// The full paths at which the library is looked for, in order: `count` of them.
struct LibraryPaths {
  char path[2][MAX_PATH]{};
  int count = 0;
};

LibraryPaths PathsOf(const char* fileName) {
  LibraryPaths paths;
  // The program's folder only when its path came whole.
  HeapString programFolder;
  if (FindModuleDirectory(programFolder) && programFolder.Length() > 0 &&
      JoinPath(programFolder.Text(), static_cast<std::size_t>(programFolder.Length() - 1), fileName,
               paths.path[paths.count])) {
    ++paths.count;
  }
  char folder[MAX_PATH];
  DWORD length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH && JoinPath(folder, length, fileName, paths.path[paths.count])) {
    ++paths.count;
  }
  return paths;
}

// Why the library did not load, from the loader's error and whether the file is there at all.
// Windows answers ERROR_MOD_NOT_FOUND both for a missing file and for a missing library that the
// file needs; the file's presence tells the two apart.
VendorBinding FailureOf(DWORD error, const char* fileName) {
  VendorBinding binding{false, nullptr, VendorLoadFailure::kOther, error};
  if (error == ERROR_BAD_EXE_FORMAT) binding.failure = VendorLoadFailure::kWrongKind;
  if (error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    binding.failure = VendorLoadFailure::kNotFound;
    LibraryPaths paths = PathsOf(fileName);
    for (int i = 0; i < paths.count; ++i) {
      DWORD attributes = GetFileAttributesA(paths.path[i]);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        binding.failure = VendorLoadFailure::kDependencyMissing;
      }
    }
  }
  return binding;
}

}  // namespace

HMODULE LoadByFullPath(const char* fileName) {
  LibraryPaths paths = PathsOf(fileName);
  // On failure the last error is the first one that says more than "not found".
  DWORD error = ERROR_MOD_NOT_FOUND;
  for (int i = 0; i < paths.count; ++i) {
    HMODULE module = LoadLibraryExA(paths.path[i], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module != nullptr) return module;
    DWORD attempt = GetLastError();
    if (error == ERROR_MOD_NOT_FOUND && attempt != ERROR_FILE_NOT_FOUND && attempt != ERROR_PATH_NOT_FOUND) {
      error = attempt;
    }
  }
  SetLastError(error);
  return nullptr;
}

VendorBinding BindVendorLibrary(const char* fileName, VendorLibrary& table) {
  HMODULE module = LoadFromProgramOrSystemFolder(fileName);
  if (module == nullptr) return FailureOf(GetLastError(), fileName);
  // Bound into a copy first, so that a library lacking an operation leaves `table` alone.
  VendorLibrary bound{};
  const char* missing = nullptr;
#define VADRO_BIND_EXPORTED_OPERATION(result, name, parameters, bytes) \
  Bind(module, #name, bytes, bound.name, missing);
  VADRO_VENDOR_OPERATIONS(VADRO_BIND_EXPORTED_OPERATION)
#undef VADRO_BIND_EXPORTED_OPERATION
  if (missing != nullptr) {
    FreeLibrary(module);
    return VendorBinding{false, missing, VendorLoadFailure::kOperationMissing};
  }
  // The library stays loaded for the rest of the process: its callback may still be called.
  table = bound;
  return VendorBinding{true, nullptr};
}

}  // namespace vadro
