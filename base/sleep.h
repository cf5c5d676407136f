// The one seam through which the program waits. Tests install a fake clock; the program sleeps for real.
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

}  // namespace vadro
