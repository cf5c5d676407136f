#include "base/sleep.h"

#include <windows.h>

namespace vadro {

void SystemSleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace vadro
