// A stand-in device library for the loader's tests, built as DLLs whose export tables differ
// (see CMakeLists.txt). Its answers show which function was bound and that arguments arrive.
#include <cstdint>

#define FAKE_OPERATION extern "C" std::int32_t VADRO_VENDOR_CALL

FAKE_OPERATION InitUSBCDLibrary() { return 0; }
FAKE_OPERATION GetDeviceNumber() { return 42; }
FAKE_OPERATION EnumDevice(std::int32_t index) { return 1000 + index; }
FAKE_OPERATION SetCDCallbackProc(void(VADRO_VENDOR_CALL* /*callback*/)(std::int32_t)) { return 0; }
FAKE_OPERATION CloseUSBCDLibrary() { return 0; }
FAKE_OPERATION USBCDReset(std::int32_t device) { return device + 1; }
FAKE_OPERATION USBCDLEDON(std::int32_t device) { return device + 2; }
FAKE_OPERATION USBCDLEDOFF(std::int32_t device) { return device + 3; }
FAKE_OPERATION USBCDGetStatus(std::int32_t device) { return device + 4; }
FAKE_OPERATION USBCDMoveto(std::int32_t device, std::int32_t slot) { return device * 1000 + slot; }
FAKE_OPERATION USBCDGetCDDown(std::int32_t device) { return device + 5; }
