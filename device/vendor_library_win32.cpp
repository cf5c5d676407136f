#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/heap_string.h"
#include "base/module_directory.h"
#include "device/vendor_library.h"

namespace vadro {

HMODULE LoadByFullPath(const char* fileName);

namespace {

// Looks `name` up by its plain name, then as the stdcall-decorated "_Name@N" where N is the
// number of argument bytes.
FARPROC FindOperation(HMODULE module, const char* name, int argumentBytes) {
  FARPROC address = GetProcAddress(module, name);
  if (address != nullptr) return address;
  char decorated[64];
  std::snprintf(decorated, sizeof decorated, "_%s@%d", name, argumentBytes);
  return GetProcAddress(module, decorated);
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

}  // namespace

// The library file `fileName` by its full path: in the program's own folder, else in the system
// folder; null when neither loads. The loader's way on Windows that does not know the search flags,
// called by the loader's tests as well.
HMODULE LoadByFullPath(const char* fileName) {
  char path[MAX_PATH];
  // The program's folder only when its path came whole.
  HeapString programFolder;
  if (FindModuleDirectory(programFolder) && programFolder.Length() > 0 &&
      JoinPath(programFolder.Text(), static_cast<std::size_t>(programFolder.Length() - 1), fileName, path)) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module != nullptr) return module;
  }
  char folder[MAX_PATH];
  DWORD length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH && JoinPath(folder, length, fileName, path)) {
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return nullptr;
}

VendorBinding BindVendorLibrary(const char* fileName, VendorLibrary& table) {
  HMODULE module = LoadFromProgramOrSystemFolder(fileName);
  if (module == nullptr) return VendorBinding{false, nullptr};
  // Bound into a copy first, so that a library lacking an operation leaves `table` alone.
  VendorLibrary bound{};
  const char* missing = nullptr;
#define VADRO_BIND_EXPORTED_OPERATION(result, name, parameters, bytes) \
  Bind(module, #name, bytes, bound.name, missing);
  VADRO_VENDOR_OPERATIONS(VADRO_BIND_EXPORTED_OPERATION)
#undef VADRO_BIND_EXPORTED_OPERATION
  if (missing != nullptr) {
    FreeLibrary(module);
    return VendorBinding{false, missing};
  }
  // The library stays loaded for the rest of the process: its callback may still be called.
  table = bound;
  return VendorBinding{true, nullptr};
}

}  // namespace vadro
