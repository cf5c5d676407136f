// The device library USBCDDLL.dll: its eleven operations as a table of function pointers, bound
// once per process. Every argument and result is a 32-bit integer.
#pragma once
#include <cstdint>

#ifndef VADRO_VENDOR_CALL
#error "VADRO_VENDOR_CALL names the calling convention; the build defines it."
#endif

namespace vadro {

// The device-change callback: the library calls it with the new number of attached devices.
using DeviceChangeCallback = void(VADRO_VENDOR_CALL*)(std::int32_t count);

struct VendorLibrary {
  std::int32_t(VADRO_VENDOR_CALL* InitUSBCDLibrary)();
  std::int32_t(VADRO_VENDOR_CALL* GetDeviceNumber)();
  std::int32_t(VADRO_VENDOR_CALL* EnumDevice)(std::int32_t index);
  std::int32_t(VADRO_VENDOR_CALL* SetCDCallbackProc)(DeviceChangeCallback callback);
  std::int32_t(VADRO_VENDOR_CALL* CloseUSBCDLibrary)();
  std::int32_t(VADRO_VENDOR_CALL* USBCDReset)(std::int32_t device);
  std::int32_t(VADRO_VENDOR_CALL* USBCDLEDON)(std::int32_t device);
  std::int32_t(VADRO_VENDOR_CALL* USBCDLEDOFF)(std::int32_t device);
  std::int32_t(VADRO_VENDOR_CALL* USBCDGetStatus)(std::int32_t device);
  std::int32_t(VADRO_VENDOR_CALL* USBCDMoveto)(std::int32_t device, std::int32_t slot);
  std::int32_t(VADRO_VENDOR_CALL* USBCDGetCDDown)(std::int32_t device);
};

// The outcome of binding a table to a library file.
struct VendorBinding {
  bool loaded;
  // When the file was found but lacks an operation: the first missing one's name; else null.
  const char* missingOperation;
};

// The file every build looks for.
extern const char kVendorLibraryFile[];

// Fills `table` from the library `fileName`. On Windows the file is loaded from the executable's
// folder, else from the system folder (never from the current folder or a folder of PATH), and
// each operation looked up by its plain name, then by its stdcall-decorated name "_Name@N"; on
// failure the file is let go and `table` is left alone. Natively the simulator linked into the
// program is the library and `fileName` is not used.
VendorBinding BindVendorLibrary(const char* fileName, VendorLibrary& table);

// Prints why the library could not be bound: the load message and, for a missing operation, its
// name on a line of its own.
void ReportVendorLoadFailure(const VendorBinding& binding);

// Binds the process's table to USBCDDLL.dll on first use (later calls only answer); main thread
// only, before the first DeviceLibraryRef. On failure reports it and returns false; the program
// then skips every stage that needs a device.
bool LoadVendorLibrary();

// The process's table; only valid once LoadVendorLibrary has returned true.
const VendorLibrary& Vendor();

}  // namespace vadro
