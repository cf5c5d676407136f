// The device library USBCDDLL.dll: its operations (shared/vendor_operations.h) as a table of
// function pointers, bound once per process.
#pragma once
#include "shared/vendor_operations.h"

namespace vadro {

struct VendorLibrary {
// A declarator: its parts cannot be put in parentheses.
// NOLINTNEXTLINE(bugprone-macro-parentheses)
#define VADRO_VENDOR_TABLE_ENTRY(result, name, parameters, bytes) result(VADRO_VENDOR_CALL* name) parameters;
  VADRO_VENDOR_OPERATIONS(VADRO_VENDOR_TABLE_ENTRY)
#undef VADRO_VENDOR_TABLE_ENTRY
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
