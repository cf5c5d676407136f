#include "base/sleep.h"

#include <atomic>

#include "base/thread_platform.h"

namespace vadro {

namespace {
// Null means the system's sleep. Atomic because workers sleep while the main thread may swap it.
std::atomic<SleepFunction> installedSleep{nullptr};
}  // namespace

void SleepMs(std::uint32_t milliseconds) {
  SleepFunction function = installedSleep.load(std::memory_order_acquire);
  if (function != nullptr) {
    function(milliseconds);
    // The system's sleep is where a terminated worker stops; a fake clock must offer the same.
    thread_platform::CancellationPoint();
  } else {
    SystemSleep(milliseconds);
  }
}

SleepFunction SetSleepFunction(SleepFunction function) {
  return installedSleep.exchange(function, std::memory_order_acq_rel);
}

}  // namespace vadro
