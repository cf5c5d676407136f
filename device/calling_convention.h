// The calling convention of the device library, learnt from the library itself. Its operations take
// 32-bit arguments on the stack, and nothing says who removes them: a library built with __stdcall
// removes them itself as it returns, one built with __cdecl leaves that to the caller. Every call
// of the 32-bit program goes through a thunk that puts the stack pointer back whatever the library
// did and measures how far the library moved it; the first call that passes arguments tells which
// kind of library it is, and so how the device-change callback must return to it.
#pragma once
#include <atomic>
#include <cstdint>

namespace vadro {

class CallingConvention {
 public:
  enum class Kind {
    kUnknown,        // no call with arguments has returned yet
    kCallerRemoves,  // __cdecl: the library left its arguments on the stack
    kCalleeRemoves,  // __stdcall: the library removed exactly its arguments
    kUnusable,       // the library moved the stack pointer some other way: it cannot be driven
  };

  // Learns from a call that pushed `argumentBytes` of arguments and after which the stack pointer
  // stood `removedBytes` above the last argument pushed. Only the first call that passes
  // arguments teaches; calls without arguments look the same in either convention, and later
  // calls change nothing. Safe from any thread.
  void Learn(int argumentBytes, std::intptr_t removedBytes);

  Kind Current() const { return kind.load(); }

  // The bytes the device-change callback removes as it returns: its one argument where the
  // library's functions remove their own, else none. While nothing has been learnt (a change
  // reported during the registration of the callback, before any other call passed arguments), it
  // returns as a __cdecl function does, the compilers' default for exported C functions.
  int CallbackRemovesBytes() const { return Current() == Kind::kCalleeRemoves ? 4 : 0; }

 private:
  std::atomic<Kind> kind{Kind::kUnknown};
};

}  // namespace vadro
