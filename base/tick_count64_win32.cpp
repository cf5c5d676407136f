// GetTickCount64 for the thread library, on every Windows from XP on.
//
// mingw-w64's thread library (winpthreads) times its waits with GetTickCount64, which Windows
// XP does not have: imported, it would keep the program from starting there. The library calls
// it through its import slot, a pointer named __imp__GetTickCount64@0 (__imp_GetTickCount64 in
// a 64-bit build); this file defines that pointer, so that the link takes it from here instead
// of importing the function, and the calls come to TickCount64 below. That uses the system's
// GetTickCount64 where there is one and GetTickCount widened to 64 bits where there is not.
//
// The definition only takes the import's place if this object is in the link before the thread
// library is searched: it is linked as an object file, not from an archive.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "base/tick_count64.h"

namespace vadro {
namespace {

using TickCount64Function = ULONGLONG(WINAPI*)();

std::atomic<std::uint64_t> lastWidenedCount{0};

std::uint32_t ReadTickCount() { return GetTickCount(); }

ULONGLONG WINAPI WidenedTickCount() { return WidenTickCount(&lastWidenedCount, ReadTickCount); }

// The function the calls go to; null until the first call has looked for the system's. No lock
// and no function-local static guards it: both would wait through the thread library, whose
// waits call this.
std::atomic<TickCount64Function> tickCount64{nullptr};

ULONGLONG WINAPI TickCount64() {
  TickCount64Function function = tickCount64.load(std::memory_order_acquire);
  if (function == nullptr) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    function = kernel == nullptr ? nullptr
                                 : reinterpret_cast<TickCount64Function>(reinterpret_cast<void (*)()>(
                                       GetProcAddress(kernel, "GetTickCount64")));
    if (function == nullptr) function = WidenedTickCount;
    // Every thread that gets here finds the same function; the last store wins.
    tickCount64.store(function, std::memory_order_release);
  }
  return function();
}

}  // namespace
}  // namespace vadro

#if defined(__i386__)
#define VADRO_GET_TICK_COUNT64_SLOT "__imp__GetTickCount64@0"
#else
#define VADRO_GET_TICK_COUNT64_SLOT "__imp_GetTickCount64"
#endif

// The import slot, under the name the thread library asks for (an assembler name, as the
// decorated name is no C++ name).
extern "C" {
extern vadro::TickCount64Function const kGetTickCount64Slot __asm__(VADRO_GET_TICK_COUNT64_SLOT);
vadro::TickCount64Function const kGetTickCount64Slot = vadro::TickCount64;
}
