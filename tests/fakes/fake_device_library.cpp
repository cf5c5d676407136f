// A stand-in device library for the loader's tests, built as DLLs whose export tables differ
// (see CMakeLists.txt). Its answers show which function was bound and that arguments arrive.
#include "shared/vendor_operations.h"

extern "C" {
VADRO_VENDOR_OPERATIONS(VADRO_DECLARE_VENDOR_EXPORT)

std::int32_t VADRO_VENDOR_CALL InitUSBCDLibrary() { return 0; }
std::int32_t VADRO_VENDOR_CALL GetDeviceNumber() { return 42; }
std::int32_t VADRO_VENDOR_CALL EnumDevice(std::int32_t index) { return 1000 + index; }
std::int32_t VADRO_VENDOR_CALL SetCDCallbackProc(vadro::DeviceChangeCallback /*callback*/) { return 0; }
std::int32_t VADRO_VENDOR_CALL CloseUSBCDLibrary() { return 0; }
std::int32_t VADRO_VENDOR_CALL USBCDReset(std::int32_t device) { return device + 1; }
std::int32_t VADRO_VENDOR_CALL USBCDLEDON(std::int32_t device) { return device + 2; }
std::int32_t VADRO_VENDOR_CALL USBCDLEDOFF(std::int32_t device) { return device + 3; }
std::int32_t VADRO_VENDOR_CALL USBCDGetStatus(std::int32_t device) { return device + 4; }
std::int32_t VADRO_VENDOR_CALL USBCDMoveto(std::int32_t device, std::int32_t slot) {
  return device * 1000 + slot;
}
std::int32_t VADRO_VENDOR_CALL USBCDGetCDDown(std::int32_t device) { return device + 5; }

}  // extern "C"
