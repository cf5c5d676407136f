// The exported operations, each handed to the process's one simulator.
#include "sim/usbcd_sim.h"

#include "sim/carousel_sim.h"

using vadro::sim::TheCarouselSim;

extern "C" {

std::int32_t VADRO_VENDOR_CALL InitUSBCDLibrary() { return TheCarouselSim().Init(); }
std::int32_t VADRO_VENDOR_CALL GetDeviceNumber() { return TheCarouselSim().DeviceCount(); }
std::int32_t VADRO_VENDOR_CALL EnumDevice(std::int32_t index) { return TheCarouselSim().Enum(index); }
std::int32_t VADRO_VENDOR_CALL SetCDCallbackProc(vadro::DeviceChangeCallback callback) {
  return TheCarouselSim().SetCallback(callback);
}
std::int32_t VADRO_VENDOR_CALL CloseUSBCDLibrary() { return TheCarouselSim().Close(); }
std::int32_t VADRO_VENDOR_CALL USBCDReset(std::int32_t device) { return TheCarouselSim().Reset(device); }
std::int32_t VADRO_VENDOR_CALL USBCDLEDON(std::int32_t device) { return TheCarouselSim().LedOn(device); }
std::int32_t VADRO_VENDOR_CALL USBCDLEDOFF(std::int32_t device) { return TheCarouselSim().LedOff(device); }
std::int32_t VADRO_VENDOR_CALL USBCDGetStatus(std::int32_t device) { return TheCarouselSim().Status(device); }
std::int32_t VADRO_VENDOR_CALL USBCDMoveto(std::int32_t device, std::int32_t slot) {
  return TheCarouselSim().Moveto(device, slot);
}
std::int32_t VADRO_VENDOR_CALL USBCDGetCDDown(std::int32_t device) { return TheCarouselSim().CDDown(device); }

}  // extern "C"
