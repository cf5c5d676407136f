// DeviceLibraryRef: the reference-counted open of the device library. Constructing the first one
// opens the library, lists the attached devices and registers for device changes; destroying the
// last one closes the library. It is also the bank map: bank number to device internal number.
#pragma once
#include <cstdint>

#include "base/pooled_list.h"
#include "base/pooled_map.h"
#include "device/lock_object.h"
#include "device/vendor_library.h"

namespace vadro {

// Process-wide, alive for the whole process (static objects, built before the entry runs):
extern LockObject LibraryLock;  // taken around the open count's rise and the first open
extern std::int32_t openCount;  // the number of live DeviceLibraryRef objects

// The library must be bound (LoadVendorLibrary) before the first reference is made. References
// are made and dropped on the main thread.
class DeviceLibraryRef : public PooledMap {
 public:
  DeviceLibraryRef();
  ~DeviceLibraryRef();
  DeviceLibraryRef(const DeviceLibraryRef&) = delete;
  DeviceLibraryRef& operator=(const DeviceLibraryRef&) = delete;

  // Empties the device list and fills it with EnumDevice(0 .. count-1); none for count <= 0.
  static void RebuildDeviceList(std::int32_t count);
  // The device-change callback handed to the library; may run on a thread of the library's. Does
  // nothing once the library has been closed.
  static void VADRO_VENDOR_CALL OnDevicesChanged(std::int32_t count);
};

// Replaces `out` with a copy of the attached devices' internal numbers, in enumeration order,
// duplicates kept: one whole enumeration, never a list half rebuilt. Walk the copy, not the list.
void SnapshotDeviceList(PooledList& out);

}  // namespace vadro
