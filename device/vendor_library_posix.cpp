#include "device/vendor_library.h"
#include "sim/usbcd_sim.h"

namespace vadro {

// The simulator is linked into the program and is the library.
VendorBinding BindVendorLibrary(const char* /*fileName*/, VendorLibrary& table) {
  table.InitUSBCDLibrary = ::InitUSBCDLibrary;
  table.GetDeviceNumber = ::GetDeviceNumber;
  table.EnumDevice = ::EnumDevice;
  table.SetCDCallbackProc = ::SetCDCallbackProc;
  table.CloseUSBCDLibrary = ::CloseUSBCDLibrary;
  table.USBCDReset = ::USBCDReset;
  table.USBCDLEDON = ::USBCDLEDON;
  table.USBCDLEDOFF = ::USBCDLEDOFF;
  table.USBCDGetStatus = ::USBCDGetStatus;
  table.USBCDMoveto = ::USBCDMoveto;
  table.USBCDGetCDDown = ::USBCDGetCDDown;
  return VendorBinding{true, nullptr};
}

}  // namespace vadro
