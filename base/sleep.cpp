#include "base/sleep.h"

#include <atomic>
#include <chrono>

#include "base/thread_platform.h"

namespace vadro {

namespace {
// Null means the system's sleep. Atomic because workers sleep while the main thread may swap it.
std::atomic<SleepFunction> installedSleep{nullptr};
std::atomic<ClockFunction> installedClock{nullptr};
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

std::uint64_t NowMs() {
  ClockFunction function = installedClock.load(std::memory_order_acquire);
  if (function != nullptr) return function();
  auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

ClockFunction SetClockFunction(ClockFunction function) {
  return installedClock.exchange(function, std::memory_order_acq_rel);
}

}  // namespace vadro
