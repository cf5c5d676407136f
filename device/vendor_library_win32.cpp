#include <windows.h>

#include <cstdio>

#include "device/vendor_library.h"

namespace vadro {

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

}  // namespace

VendorBinding BindVendorLibrary(const char* fileName, VendorLibrary& table) {
  HMODULE module = LoadLibraryA(fileName);
  if (module == nullptr) return VendorBinding{false, nullptr};
  // Bound into a copy first, so that a library lacking an operation leaves `table` alone.
  VendorLibrary bound{};
  const char* missing = nullptr;
  Bind(module, "InitUSBCDLibrary", 0, bound.InitUSBCDLibrary, missing);
  Bind(module, "GetDeviceNumber", 0, bound.GetDeviceNumber, missing);
  Bind(module, "EnumDevice", 4, bound.EnumDevice, missing);
  Bind(module, "SetCDCallbackProc", 4, bound.SetCDCallbackProc, missing);
  Bind(module, "CloseUSBCDLibrary", 0, bound.CloseUSBCDLibrary, missing);
  Bind(module, "USBCDReset", 4, bound.USBCDReset, missing);
  Bind(module, "USBCDLEDON", 4, bound.USBCDLEDON, missing);
  Bind(module, "USBCDLEDOFF", 4, bound.USBCDLEDOFF, missing);
  Bind(module, "USBCDGetStatus", 4, bound.USBCDGetStatus, missing);
  Bind(module, "USBCDMoveto", 8, bound.USBCDMoveto, missing);
  Bind(module, "USBCDGetCDDown", 4, bound.USBCDGetCDDown, missing);
  if (missing != nullptr) {
    FreeLibrary(module);
    return VendorBinding{false, missing};
  }
  // The library stays loaded for the rest of the process: its callback may still be called.
  table = bound;
  return VendorBinding{true, nullptr};
}

}  // namespace vadro
