#include "device/led_flasher.h"

#include "base/sleep.h"
#include "device/vendor_library.h"

namespace vadro {

namespace {
constexpr int kWaitsPerPhase = 50;
constexpr std::uint32_t kWaitMs = 10;
}  // namespace

LedFlasher::~LedFlasher() = default;

std::int32_t LedFlasher::Run() {
  // Stopped before it began: the indicator is not touched at all.
  if (StopRequested()) return 0;
  const VendorLibrary& vendor = Vendor();
  for (;;) {
    CallVendor(vendor.USBCDLEDON, deviceNumber);
    for (int wait = 0; wait < kWaitsPerPhase && !StopRequested(); ++wait) SleepMs(kWaitMs);
    // Also after a stop in the on phase, so that the indicator is left off.
    CallVendor(vendor.USBCDLEDOFF, deviceNumber);
    for (int wait = 0; wait < kWaitsPerPhase; ++wait) {
      if (StopRequested()) return 0;
      SleepMs(kWaitMs);
    }
    if (StopRequested()) return 0;
  }
}

}  // namespace vadro
