// The one seam through which the program waits and tells time. Tests install a fake clock; the
// program sleeps for real and reads the system's monotonic clock.
#pragma once
#include <cstdint>

namespace vadro {

using SleepFunction = void (*)(std::uint32_t milliseconds);

// Waits `milliseconds` through the installed function (the system's sleep unless replaced).
void SleepMs(std::uint32_t milliseconds);

// Installs `function` (null restores the system sleep) and returns the one it replaces.
SleepFunction SetSleepFunction(SleepFunction function);

// The system's own sleep, whatever is installed.
void SystemSleep(std::uint32_t milliseconds);

using ClockFunction = std::uint64_t (*)();

// Milliseconds on a clock that only goes forward, from an unspecified start: the installed one's
// (the system's monotonic clock unless replaced).
std::uint64_t NowMs();

// Installs `function` (null restores the system's clock) and returns the one it replaces.
ClockFunction SetClockFunction(ClockFunction function);

}  // namespace vadro
