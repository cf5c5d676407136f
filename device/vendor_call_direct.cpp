// Builds where the library has one calling convention (64-bit Windows, and the simulator linked into
// the Linux program): every call is made directly, with the operation's own types.
#include "device/vendor_call.h"

namespace vadro {

std::int32_t MakeVendorCall(const VendorCall& call) { return call.callDirectly(call); }

bool VendorCallsWork() { return true; }

VendorWord CallbackWord(DeviceChangeCallback callback) { return reinterpret_cast<VendorWord>(callback); }

}  // namespace vadro
