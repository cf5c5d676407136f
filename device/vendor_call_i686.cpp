// The 32-bit build: the device library may remove its arguments itself (__stdcall) or leave them to
// the caller (__cdecl), and nothing tells which. Every call goes through a thunk that keeps the
// stack pointer in ESI (preserved by both conventions) and puts it back after the call, so the
// program's stack is right either way; the thunk's measure of what the library removed teaches
// the convention, which the callback handed to the library then follows as it returns.
#include "device/vendor_call_i686.h"

#include <atomic>

#include "device/calling_convention.h"

#define VADRO_TEXT(x) #x
#define VADRO_EXPAND_TEXT(x) VADRO_TEXT(x)
// A C function's name in assembly, with the prefix the target gives C names ("_" on Windows).
#define VADRO_ASM_NAME(name) VADRO_EXPAND_TEXT(__USER_LABEL_PREFIX__) #name

// The frame (EBP) is set up first and described to the unwinder, so that an exception thrown by
// what the thunk calls (in the tests) unwinds through it.
asm(".text\n"
    ".globl " VADRO_ASM_NAME(VadroVendorThunk) "\n"
    ".p2align 4\n"
    VADRO_ASM_NAME(VadroVendorThunk) ":\n"
    "  .cfi_startproc\n"
    "  pushl %ebp\n"
    "  .cfi_def_cfa_offset 8\n"
    "  .cfi_offset %ebp, -8\n"
    "  movl %esp, %ebp\n"
    "  .cfi_def_cfa_register %ebp\n"
    "  pushl %esi\n"
    "  .cfi_offset %esi, -12\n"
    "  movl 16(%ebp), %ecx\n"  // count
    "  movl 12(%ebp), %edx\n"  // words
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%edx,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  movl %esp, %esi\n"
    "  call *8(%ebp)\n"  // the result stays in EAX
    "  movl %esp, %ecx\n"
    "  subl %esi, %ecx\n"
    "  movl 20(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  leal -4(%ebp), %esp\n"
    "  popl %esi\n"
    "  .cfi_restore %esi\n"
    "  popl %ebp\n"
    "  .cfi_restore %ebp\n"
    "  .cfi_def_cfa %esp, 4\n"
    "  ret\n"
    "  .cfi_endproc\n"

    ".globl " VADRO_ASM_NAME(VadroCallbackTrampoline) "\n"
    ".p2align 4\n"
    VADRO_ASM_NAME(VadroCallbackTrampoline) ":\n"
    "  .cfi_startproc\n"
    "  pushl %esi\n"
    "  .cfi_def_cfa_offset 8\n"
    "  .cfi_offset %esi, -8\n"
    "  movl %esp, %esi\n"
    "  .cfi_def_cfa_register %esi\n"
    "  pushl 8(%esp)\n"  // the count, above the saved ESI and the return address
    "  call " VADRO_ASM_NAME(VadroDeviceChange) "\n"
    "  movl %esi, %esp\n"
    "  .cfi_def_cfa_register %esp\n"
    "  popl %esi\n"
    "  .cfi_restore %esi\n"
    "  .cfi_def_cfa_offset 4\n"
    "  testl %eax, %eax\n"
    "  jnz 3f\n"
    "  ret\n"
    "3:\n"
    "  ret $4\n"
    "  .cfi_endproc\n");

namespace vadro {

namespace {
CallingConvention libraryConvention;
// The program's callback, which the trampoline hands the changes to.
std::atomic<DeviceChangeCallback> programCallback{nullptr};
}  // namespace

std::int32_t MakeVendorCall(const VendorCall& call) {
  if (!VendorCallsWork()) return -1;
  std::intptr_t removed = 0;
  std::int32_t result = VadroVendorThunk(call.entry, call.words, call.count, &removed);
  libraryConvention.Learn(4 * call.count, removed);
  return result;
}

bool VendorCallsWork() { return libraryConvention.Current() != CallingConvention::Kind::kUnusable; }

VendorWord CallbackWord(DeviceChangeCallback callback) {
  if (callback == nullptr) return 0;
  programCallback.store(callback);
  return reinterpret_cast<VendorWord>(&VadroCallbackTrampoline);
}

}  // namespace vadro

int VadroDeviceChange(std::int32_t count) {
  vadro::DeviceChangeCallback callback = vadro::programCallback.load();
  if (callback != nullptr && vadro::VendorCallsWork()) callback(count);
  return vadro::libraryConvention.CallbackRemovesBytes();
}
