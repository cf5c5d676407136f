// The carousel simulator's exported operations: those of the USB CD Library device library
// (shared/vendor_operations.h), with the same names, arguments and calling convention, so that the
// program runs and is tested without a device.
#pragma once
#include "shared/vendor_operations.h"

extern "C" {
VADRO_VENDOR_OPERATIONS(VADRO_DECLARE_VENDOR_EXPORT)
}  // extern "C"
