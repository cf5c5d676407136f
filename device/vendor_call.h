// Calls into the device library. Every operation of the bound table (device/vendor_library.h) is
// called through CallVendor, never directly: the 32-bit build calls through a thunk that works
// whichever calling convention the library was built with, and hands the library a callback that
// returns the way the library expects. Builds with one calling convention call directly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "shared/vendor_operations.h"

namespace vadro {

// One argument as the machine passes it.
using VendorWord = std::uintptr_t;

// One call: the operation's address, its arguments, and how to call it with its own types where
// the library has only one calling convention.
struct VendorCall {
  using Entry = void (*)();
  Entry entry;
  const VendorWord* words;
  int count;
  std::int32_t (*callDirectly)(const VendorCall& call);
};

// Makes the call. Once the library has shown a calling convention this program does not know,
// nothing more is called: the call is refused and answers -1.
std::int32_t MakeVendorCall(const VendorCall& call);

// False once a call has shown that the library follows no calling convention this program knows.
// The program then says so and stops, as when the library cannot be loaded.
bool VendorCallsWork();

// What hands the device-change callback to the library.
VendorWord CallbackWord(DeviceChangeCallback callback);

namespace vendor_call_detail {

inline VendorWord ToWord(std::int32_t value) { return static_cast<VendorWord>(value); }
inline VendorWord ToWord(DeviceChangeCallback callback) { return CallbackWord(callback); }

template <typename Parameter>
Parameter FromWord(VendorWord word) {
  if constexpr (std::is_pointer_v<Parameter>) {
    return reinterpret_cast<Parameter>(word);
  } else {
    return static_cast<Parameter>(word);
  }
}

template <typename... Parameters, std::size_t... Index>
std::int32_t CallTyped(const VendorCall& call, std::index_sequence<Index...> /*indexes*/) {
  auto function = reinterpret_cast<std::int32_t(VADRO_VENDOR_CALL*)(Parameters...)>(call.entry);
  return function(FromWord<Parameters>(call.words[Index])...);
}

template <typename... Parameters>
std::int32_t CallDirectly(const VendorCall& call) {
  return CallTyped<Parameters...>(call, std::index_sequence_for<Parameters...>{});
}

}  // namespace vendor_call_detail

// Calls the operation `entry` of the bound table with `arguments`.
template <typename... Parameters, typename... Arguments>
std::int32_t CallVendor(std::int32_t(VADRO_VENDOR_CALL* entry)(Parameters...), Arguments... arguments) {
  static_assert(sizeof...(Parameters) == sizeof...(Arguments), "one argument for each parameter");
  const VendorWord words[sizeof...(Parameters) + 1] = {
      vendor_call_detail::ToWord(static_cast<Parameters>(arguments))..., 0};
  return MakeVendorCall(VendorCall{reinterpret_cast<VendorCall::Entry>(entry), words,
                                   static_cast<int>(sizeof...(Parameters)),
                                   &vendor_call_detail::CallDirectly<Parameters...>});
}

}  // namespace vadro
