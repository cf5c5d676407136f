// The carousel simulator's exported operations: the eleven operations of the USB CD Library
// device library, with the same names, arguments and calling convention, so that the program runs
// and is tested without a device. Every argument and result is a 32-bit integer.
#pragma once
#include <cstdint>

#ifndef VADRO_VENDOR_CALL
#error "VADRO_VENDOR_CALL names the calling convention; the build defines it."
#endif

extern "C" {

// Called by the library with the new number of attached devices.
using USBCDCallback = void(VADRO_VENDOR_CALL*)(std::int32_t count);

std::int32_t VADRO_VENDOR_CALL InitUSBCDLibrary();
std::int32_t VADRO_VENDOR_CALL GetDeviceNumber();
std::int32_t VADRO_VENDOR_CALL EnumDevice(std::int32_t index);
std::int32_t VADRO_VENDOR_CALL SetCDCallbackProc(USBCDCallback callback);
std::int32_t VADRO_VENDOR_CALL CloseUSBCDLibrary();
std::int32_t VADRO_VENDOR_CALL USBCDReset(std::int32_t device);
std::int32_t VADRO_VENDOR_CALL USBCDLEDON(std::int32_t device);
std::int32_t VADRO_VENDOR_CALL USBCDLEDOFF(std::int32_t device);
std::int32_t VADRO_VENDOR_CALL USBCDGetStatus(std::int32_t device);
std::int32_t VADRO_VENDOR_CALL USBCDMoveto(std::int32_t device, std::int32_t slot);
std::int32_t VADRO_VENDOR_CALL USBCDGetCDDown(std::int32_t device);

}  // extern "C"
