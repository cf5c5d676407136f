// The 32-bit build's calls as a process sees them: the convention learnt from the first call with
// arguments, the callback handed to the library returning that way, and a library of neither kind
// called no further. Each test needs a process of its own, whose convention nothing has taught yet
// (tests/i386 runs each alone).
#include <gtest/gtest.h>

#include <cstdint>

#include "device/vendor_call_i686.h"
#include "tests/support/measured_call_i686.h"

namespace vadro {
namespace {

std::int32_t __stdcall StdcallOne(std::int32_t a) { return a + 2; }
std::int32_t __cdecl CdeclOne(std::int32_t a) { return a + 1; }
std::int32_t __stdcall StdcallTwo(std::int32_t a, std::int32_t b) { return a + b; }

// A function of either convention as the table holds it: the thunk calls both alike.
using OneArgument = std::int32_t(VADRO_VENDOR_CALL*)(std::int32_t);
template <typename Function>
OneArgument Entry(Function function) {
  return reinterpret_cast<OneArgument>(function);
}

int changes = 0;
std::int32_t lastCount = -1;
void VADRO_VENDOR_CALL Record(std::int32_t count) {
  ++changes;
  lastCount = count;
}

std::intptr_t RemovedByCallback(VendorWord callback, std::int32_t count) {
  return RemovedByCall(callback, count);
}

TEST(VendorConventionProcessTest, TheCallbackReturnsAsTheLibraryExpects) {
  VendorWord callback = CallbackWord(&Record);
  ASSERT_NE(callback, reinterpret_cast<VendorWord>(&Record)) << "the library is handed the trampoline";
  // Nothing learnt yet: it returns as a __cdecl function does.
  EXPECT_EQ(RemovedByCallback(callback, 3), 0);
  EXPECT_EQ(lastCount, 3);
  EXPECT_EQ(CallVendor(&StdcallOne, 5), 7);
  EXPECT_EQ(RemovedByCallback(callback, 4), 4) << "a __stdcall library's callback removes its argument";
  EXPECT_EQ(lastCount, 4);
  // Later calls teach nothing; they still leave the stack right.
  EXPECT_EQ(CallVendor(Entry(&CdeclOne), 5), 6);
  EXPECT_EQ(RemovedByCallback(callback, 5), 4);
  EXPECT_TRUE(VendorCallsWork());
  EXPECT_EQ(changes, 3);
}

TEST(VendorConventionProcessTest, CdeclLibrary) {
  VendorWord callback = CallbackWord(&Record);
  EXPECT_EQ(CallVendor(Entry(&CdeclOne), 5), 6);
  EXPECT_EQ(RemovedByCallback(callback, 2), 0);
  EXPECT_EQ(lastCount, 2);
  EXPECT_TRUE(VendorCallsWork());
}

TEST(VendorConventionProcessTest, UnusableLibraryIsCalledNoFurther) {
  VendorWord callback = CallbackWord(&Record);
  // Removes 8 bytes where one argument of 4 was pushed: neither convention.
  CallVendor(Entry(&StdcallTwo), 5);
  EXPECT_FALSE(VendorCallsWork());
  EXPECT_EQ(CallVendor(&StdcallOne, 5), -1) << "refused, not called";
  RemovedByCallback(callback, 2);
  EXPECT_EQ(changes, 0) << "a change from such a library is not taken";
}

}  // namespace
}  // namespace vadro
