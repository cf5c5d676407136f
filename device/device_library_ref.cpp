#include "device/device_library_ref.h"

#include <atomic>

#include "base/heap.h"

namespace vadro {

// The device-change callback rebuilds the device list on the library's own thread while the main
// thread may be walking it; a walk could then follow nodes that the rebuild has just freed. So the
// rebuild runs under DeviceListLock, and readers walk a copy made under the same lock, which is
// always one complete enumeration. The list has a lock of its own rather than LibraryLock: the
// first open holds LibraryLock while it registers the callback, and a library that reported a
// change from its own thread during that registration must not wait for it.
//
// Built in this order before the entry runs and destroyed in the reverse order at exit, so the
// locks outlive the list.
LockObject LibraryLock;
std::int32_t openCount = 0;
namespace {
LockObject DeviceListLock;
PooledList DeviceList(10, ProcessHeap(), false);
// Whether device changes are taken: from just before the callback is registered to the close. A
// change reported after the close (the library's thread may still be ending while the process
// exits and the list and its lock are destroyed) is dropped before the lock is touched. It is
// cleared under DeviceListLock and tested again under it, so a rebuild that has begun ends before
// the library is closed.
std::atomic<bool> takingChanges{false};

void StopTakingChanges() {
  LockHolder hold(DeviceListLock);
  takingChanges.store(false);
}

// The caller holds DeviceListLock.
void RebuildLocked(std::int32_t count) {
  const VendorLibrary& vendor = Vendor();
  DeviceList.RemoveAll();
  for (std::int32_t index = 0; index < count; ++index)
    DeviceList.AddTail(CallVendor(vendor.EnumDevice, index));
}
}  // namespace

DeviceLibraryRef::DeviceLibraryRef() : PooledMap(17, 10, ProcessHeap(), false) {
  LockHolder hold(LibraryLock);
  std::int32_t previous = openCount++;
  if (previous != 0) return;
  const VendorLibrary& vendor = Vendor();
  try {
    CallVendor(vendor.InitUSBCDLibrary);
    // The list is filled before the callback is registered.
    RebuildDeviceList(CallVendor(vendor.GetDeviceNumber));
    takingChanges.store(true);
    CallVendor(vendor.SetCDCallbackProc, &DeviceLibraryRef::OnDevicesChanged);
  } catch (...) {
    StopTakingChanges();
    // A first open that fails leaves the library closed and the count as it was, so that a later
    // reference opens it afresh.
    CallVendor(vendor.CloseUSBCDLibrary);
    --openCount;
    throw;
  }
}

DeviceLibraryRef::~DeviceLibraryRef() {
  // Without the lock: only the main thread makes and drops references. The list keeps the last
  // enumeration and the callback stays registered, but changes are no longer taken.
  if (--openCount == 0) {
    StopTakingChanges();
    CallVendor(Vendor().CloseUSBCDLibrary);
  }
}

void DeviceLibraryRef::RebuildDeviceList(std::int32_t count) {
  LockHolder hold(DeviceListLock);
  RebuildLocked(count);
}

void VADRO_VENDOR_CALL DeviceLibraryRef::OnDevicesChanged(std::int32_t count) {
  // Nothing may unwind into the library's thread. Running out of memory here leaves the list
  // holding the devices enumerated so far; the next change rebuilds it.
  if (!takingChanges.load()) return;
  try {
    LockHolder hold(DeviceListLock);
    if (takingChanges.load()) RebuildLocked(count);
  } catch (...) {
  }
}

void SnapshotDeviceList(PooledList& out) {
  out.RemoveAll();
  LockHolder hold(DeviceListLock);
  for (const PooledList::Node* node = DeviceList.Head(); node != nullptr; node = node->next) {
    out.AddTail(node->value);
  }
}

}  // namespace vadro
