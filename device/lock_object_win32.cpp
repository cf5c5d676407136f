#include <windows.h>

#include "device/lock_object.h"

namespace vadro {

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
}  // namespace

LockObject::LockObject() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof storage, "a critical section must fit");
  InitializeCriticalSection(Section(storage));
}

LockObject::~LockObject() { DeleteCriticalSection(Section(storage)); }

void LockObject::Lock() { EnterCriticalSection(Section(storage)); }

void LockObject::Unlock() { LeaveCriticalSection(Section(storage)); }

}  // namespace vadro
