// The 32-bit build's way into the device library, in assembly: the thunk that every call goes
// through and the callback handed to the library. Declared here for the tests that measure them.
#pragma once
#include <cstdint>

#include "device/vendor_call.h"

extern "C" {

// Pushes `count` words (the last one first, as a C call does), calls `entry` and puts the stack
// pointer back where it was before the words were pushed, whatever the library did with it.
// Stores in `removed` how many bytes above the last word pushed the stack pointer stood when the
// library returned: the bytes the library removed itself.
std::int32_t VadroVendorThunk(vadro::VendorCall::Entry entry, const vadro::VendorWord* words, int count,
                              std::intptr_t* removed);

// The device-change callback as the library sees it: hands its one argument to
// VadroDeviceChange and returns removing as many bytes as that answers (0 or 4). It keeps the
// stack pointer in a register of its own, so what it calls cannot unbalance it.
void VadroCallbackTrampoline();

// Hands a device change to the program's callback; answers the bytes that the trampoline removes.
int VadroDeviceChange(std::int32_t count);

}  // extern "C"
