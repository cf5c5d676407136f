// LockObject: a lock with virtual Lock and Unlock, a critical section on Windows and a mutex on
// POSIX. Both are re-entrant: the thread that holds it may take it again.
#pragma once

namespace vadro {

class LockObject {
 public:
  LockObject();
  virtual ~LockObject();
  LockObject(const LockObject&) = delete;
  LockObject& operator=(const LockObject&) = delete;

  virtual void Lock();
  virtual void Unlock();

 private:
  // Room for the system's lock object, whichever the platform.
  alignas(8) unsigned char storage[64]{};
};

// Holds a LockObject for one scope.
class LockHolder {
 public:
  explicit LockHolder(LockObject& lock) : lock(lock) { lock.Lock(); }
  ~LockHolder() { lock.Unlock(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  LockObject& lock;
};

}  // namespace vadro
