// The device library USBCDDLL.dll: its operations (shared/vendor_operations.h) as a table of
// function pointers, bound once per process. The program calls them through CallVendor
// (device/vendor_call.h), never directly.
#pragma once
#include <cstdint>

#include "device/vendor_call.h"
#include "shared/vendor_operations.h"

namespace vadro {

struct VendorLibrary {
// A declarator: its parts cannot be put in parentheses.
// NOLINTNEXTLINE(bugprone-macro-parentheses)
#define VADRO_VENDOR_TABLE_ENTRY(result, name, parameters, bytes) result(VADRO_VENDOR_CALL* name) parameters;
  VADRO_VENDOR_OPERATIONS(VADRO_VENDOR_TABLE_ENTRY)
#undef VADRO_VENDOR_TABLE_ENTRY
};

// Why a library file could not be bound.
enum class VendorLoadFailure {
  kNone,               // it was bound
  kNotFound,           // neither beside the program nor in the system folder
  kWrongKind,          // not a library that a program of this width can load (a 64-bit one for the
                       // 32-bit program), or no library at all
  kDependencyMissing,  // it is there, but a library that it needs is not
  kOperationMissing,   // it loaded, but lacks an operation
  kOther,              // the system refused it for another reason: `systemError`
};

// The outcome of binding a table to a library file.
struct VendorBinding {
  bool loaded = false;
  // When the file was found but lacks an operation: the first missing one's name; else null.
  const char* missingOperation = nullptr;
  VendorLoadFailure failure = VendorLoadFailure::kNone;
  // The system's error code, for kOther.
  std::uint32_t systemError = 0;
};

// The file every build looks for.
extern const char kVendorLibraryFile[];

// Fills `table` from the library `fileName`. On Windows the file is loaded from the executable's
// folder, else from the system folder (never from the current folder or a folder of PATH), and
// each operation looked up by its plain name, then by its stdcall-decorated names "_Name@N" and
// "Name@N"; on
// failure the file is let go and `table` is left alone. Natively the simulator linked into the
// program is the library and `fileName` is not used.
VendorBinding BindVendorLibrary(const char* fileName, VendorLibrary& table);

// Prints why the library could not be bound: the load message, then the reason on a line of its
// own (for a missing operation, its name).
void ReportVendorLoadFailure(const VendorBinding& binding);

// Prints that the library follows no calling convention this program knows (VendorCallsWork).
void ReportUnknownCallingConvention();

// Binds the process's table to USBCDDLL.dll on first use (later calls only answer); main thread
// only, before the first DeviceLibraryRef. On failure reports it and returns false; the program
// then skips every stage that needs a device.
bool LoadVendorLibrary();

// The process's table; only valid once LoadVendorLibrary has returned true.
const VendorLibrary& Vendor();

}  // namespace vadro
