#include "device/vendor_library.h"
#include "sim/usbcd_sim.h"

namespace vadro {

// The simulator is linked into the program and is the library.
VendorBinding BindVendorLibrary(const char* /*fileName*/, VendorLibrary& table) {
#define VADRO_BIND_LINKED_OPERATION(result, name, parameters, bytes) table.name = ::name;
  VADRO_VENDOR_OPERATIONS(VADRO_BIND_LINKED_OPERATION)
#undef VADRO_BIND_LINKED_OPERATION
  return VendorBinding{true, nullptr};
}

}  // namespace vadro
