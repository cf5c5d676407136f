// The tests' libraries of each calling convention are the simulator built as __cdecl or __stdcall
// functions (the build's VADRO_VENDOR_CALL), exporting plain names; their SetCDCallbackProc is this
// one. It hands the simulator a relay that calls the program's callback as a library of that
// convention would, measures how far the stack pointer moved over the call, and appends a line to
// the file USBCD_FAKE_CALLBACK_LOG for each call: "callback <count> removed <bytes> of <bytes>",
// what the program's callback removed, then what the convention asks it to remove.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "sim/usbcd_sim.h"
#include "tests/support/measured_call_i686.h"

namespace {

std::atomic<vadro::DeviceChangeCallback> programCallback{nullptr};

void VADRO_VENDOR_CALL Relay(std::int32_t count) {
  vadro::DeviceChangeCallback callback = programCallback.load();
  if (callback == nullptr) return;
  std::intptr_t removed = vadro::RemovedByCall(reinterpret_cast<std::uintptr_t>(callback), count);
  const char* log = std::getenv("USBCD_FAKE_CALLBACK_LOG");
  if (log == nullptr || *log == '\0') return;
  if (std::FILE* file = std::fopen(log, "a")) {
    std::fprintf(file, "callback %d removed %d of %d\n", static_cast<int>(count), static_cast<int>(removed),
                 VADRO_FAKE_CALLBACK_REMOVES);
    std::fclose(file);
  }
}

}  // namespace

extern "C" std::int32_t VADRO_VENDOR_CALL MeasuredSetCDCallbackProc(vadro::DeviceChangeCallback callback) {
  programCallback.store(callback);
  return SetCDCallbackProc(callback == nullptr ? nullptr : &Relay);
}
