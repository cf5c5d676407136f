// The 32-bit build's thunk, over functions of both calling conventions. Built into the 32-bit
// Windows tests and, for 32-bit Linux, into tests/i386 (run under qemu-i386 where the machine runs
// no 32-bit programs).
#include "device/vendor_call_i686.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>

namespace vadro {
namespace {

std::int32_t __cdecl CdeclNone() { return 7; }
std::int32_t __cdecl CdeclOne(std::int32_t a) { return a + 1; }
std::int32_t __cdecl CdeclTwo(std::int32_t a, std::int32_t b) { return a * 1000 + b; }
std::int32_t __stdcall StdcallOne(std::int32_t a) { return a + 2; }
std::int32_t __stdcall StdcallTwo(std::int32_t a, std::int32_t b) { return a * 1000 + b; }
std::int32_t __cdecl Throws(std::int32_t /*a*/) { throw std::bad_alloc(); }

std::uintptr_t StackPointer() {
  std::uintptr_t sp = 0;
  asm volatile("movl %%esp, %0" : "=r"(sp));
  return sp;
}

template <typename Function>
VendorCall::Entry EntryOf(Function function) {
  return reinterpret_cast<VendorCall::Entry>(function);
}

TEST(VendorThunkTest, MeasuresWhatEachConventionRemovesAndKeepsTheStack) {
  constexpr std::int32_t kUnchecked = -1;
  struct Row {
    const char* what;
    VendorCall::Entry entry;
    int count;
    std::int32_t result;
    std::intptr_t removed;
  };
  const Row rows[] = {
      {"no arguments", EntryOf(&CdeclNone), 0, 7, 0},
      {"cdecl, one", EntryOf(&CdeclOne), 1, 11, 0},
      {"cdecl, two in order", EntryOf(&CdeclTwo), 2, 10020, 0},
      {"stdcall, one", EntryOf(&StdcallOne), 1, 12, 4},
      {"stdcall, two in order", EntryOf(&StdcallTwo), 2, 10020, 8},
      // Removes 8 bytes where 4 were pushed (its result reads past them): a library of neither kind.
      {"stdcall of two given one", EntryOf(&StdcallTwo), 1, kUnchecked, 8},
  };
  const VendorWord words[] = {10, 20};
  for (const Row& row : rows) {
    std::uintptr_t before = StackPointer();
    std::intptr_t removed = -1;
    std::int32_t result = 0;
    for (int call = 0; call < 10000; ++call) result = VadroVendorThunk(row.entry, words, row.count, &removed);
    EXPECT_EQ(StackPointer(), before) << row.what;
    EXPECT_EQ(removed, row.removed) << row.what;
    if (row.result != kUnchecked) {
      EXPECT_EQ(result, row.result) << row.what;
    }
  }
}

TEST(VendorThunkTest, AnExceptionUnwindsThroughIt) {
  const VendorWord word = 1;
  std::intptr_t removed = 0;
  EXPECT_THROW(VadroVendorThunk(EntryOf(&Throws), &word, 1, &removed), std::bad_alloc);
}

}  // namespace
}  // namespace vadro
