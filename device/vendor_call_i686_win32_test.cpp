// The tests' libraries of both calling conventions (tests/fakes), called through the 32-bit
// program's thunk directly, so that the process learns no convention from them.
#include <gtest/gtest.h>

#include <cstdint>

#include "device/vendor_call_i686.h"
#include "device/vendor_library.h"

namespace vadro {
namespace {

// An address in the frame of a function called from where the caller stands: it moves with the
// caller's stack pointer.
__attribute__((noinline)) std::uintptr_t StackMark() {
  volatile char mark = 0;
  return reinterpret_cast<std::uintptr_t>(&mark);
}

// Ten thousand calls of an operation with arguments into each leave the stack where it was, and
// each library removes what its convention says.
TEST(VendorThunkTest, LibrariesOfBothConventionsLeaveTheStackWhereItWas) {
  const struct {
    const char* file;
    std::intptr_t removed;
  } rows[] = {{"usbcd_cdecl.dll", 0}, {"usbcd_stdcall.dll", 8}};
  const VendorWord words[] = {7, 36};
  for (const auto& row : rows) {
    VendorLibrary table{};
    ASSERT_TRUE(BindVendorLibrary(row.file, table).loaded) << row.file;
    auto entry = reinterpret_cast<VendorCall::Entry>(table.USBCDMoveto);
    std::uintptr_t before = StackMark();
    std::int32_t sum = 0;
    std::intptr_t removed = -1;
    for (int call = 0; call < 10000; ++call) sum += VadroVendorThunk(entry, words, 2, &removed);
    EXPECT_EQ(StackMark(), before) << row.file;
    EXPECT_EQ(removed, row.removed) << row.file;
    EXPECT_EQ(sum, -10000) << row.file << ": the library is closed, so every call answers -1";
  }
}

}  // namespace
}  // namespace vadro
