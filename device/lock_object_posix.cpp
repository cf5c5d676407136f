#include <mutex>
#include <new>

#include "device/lock_object.h"

namespace vadro {

namespace {
// Re-entrant like a critical section.
using Mutex = std::recursive_mutex;
Mutex* TheMutex(unsigned char* storage) { return std::launder(reinterpret_cast<Mutex*>(storage)); }
}  // namespace

LockObject::LockObject() {
  static_assert(sizeof(Mutex) <= sizeof storage && alignof(Mutex) <= 8, "a mutex must fit");
  new (storage) Mutex();
}

LockObject::~LockObject() { TheMutex(storage)->~Mutex(); }

void LockObject::Lock() { TheMutex(storage)->lock(); }

void LockObject::Unlock() { TheMutex(storage)->unlock(); }

}  // namespace vadro
