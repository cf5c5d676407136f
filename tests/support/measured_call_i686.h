// A call into a function of either calling convention, measured, for the 32-bit tests: how a
// library calls back into the program, with the stack pointer watched.
#pragma once
#include <cstdint>

namespace vadro {

// Calls `function` with one 32-bit argument as a library calls a callback and answers how many
// bytes of the argument the function removed as it returned: 4 for __stdcall, 0 for __cdecl. The
// stack pointer is kept in ESI and put back, so a function that returns the wrong way shows here
// rather than unbalancing the caller.
inline std::intptr_t RemovedByCall(std::uintptr_t function, std::int32_t argument) {
  std::intptr_t removed = 0;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl %[argument]\n\t"
      "call *%[function]\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "addl $4, %%eax\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(removed)
      : [argument] "r"(argument), [function] "r"(function)
      : "esi", "ecx", "edx", "memory", "cc");
  return removed;
}

}  // namespace vadro
