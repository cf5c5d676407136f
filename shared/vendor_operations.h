// The operations of the device library USBCDDLL.dll, each named once. From this list are made the
// program's table of entry points and its two bindings, the simulator's exports and trace names,
// the test fakes, and (by shared/CMakeLists.txt, which reads the lines below) the export lists of
// the simulator's and the fakes' DLLs. Adding an operation is one line here plus its
// implementations. Depends on nothing but the calling convention, which the build defines.
#pragma once
#include <cstdint>

#ifndef VADRO_VENDOR_CALL
#error "VADRO_VENDOR_CALL names the calling convention; the build defines it."
#endif

namespace vadro {

// The device-change callback: the library calls it with the new number of attached devices.
using DeviceChangeCallback = void(VADRO_VENDOR_CALL*)(std::int32_t count);

}  // namespace vadro

// X(result, name, parameters, argument bytes): the name is the export's plain name; the argument
// bytes are those the arguments take on a 32-bit stack, the N of the stdcall-decorated "_Name@N".
// One operation a line, in this form: shared/CMakeLists.txt reads them.
// clang-format off
#define VADRO_VENDOR_OPERATIONS(X)                                                 \
  X(std::int32_t, InitUSBCDLibrary, (), 0)                                         \
  X(std::int32_t, GetDeviceNumber, (), 0)                                          \
  X(std::int32_t, EnumDevice, (std::int32_t index), 4)                             \
  X(std::int32_t, SetCDCallbackProc, (vadro::DeviceChangeCallback callback), 4)    \
  X(std::int32_t, CloseUSBCDLibrary, (), 0)                                        \
  X(std::int32_t, USBCDReset, (std::int32_t device), 4)                            \
  X(std::int32_t, USBCDLEDON, (std::int32_t device), 4)                            \
  X(std::int32_t, USBCDLEDOFF, (std::int32_t device), 4)                           \
  X(std::int32_t, USBCDGetStatus, (std::int32_t device), 4)                        \
  X(std::int32_t, USBCDMoveto, (std::int32_t device, std::int32_t slot), 8)        \
  X(std::int32_t, USBCDGetCDDown, (std::int32_t device), 4)
// clang-format on

// Declares an operation as a library exports it, for the libraries that implement them.
#define VADRO_DECLARE_VENDOR_EXPORT(result, name, parameters, bytes) result VADRO_VENDOR_CALL name parameters;

namespace vadro {

// The list's argument bytes agree with its parameters: on a 32-bit stack every argument, a 32-bit
// integer or a pointer, takes 4 bytes.
template <typename Function>
struct VendorArgumentBytes;
template <typename Result, typename... Parameters>
struct VendorArgumentBytes<Result(Parameters...)> {
  static constexpr int kValue = 4 * static_cast<int>(sizeof...(Parameters));
};
#define VADRO_CHECK_VENDOR_ARGUMENT_BYTES(result, name, parameters, bytes) \
  static_assert(VendorArgumentBytes<result parameters>::kValue == (bytes), "argument bytes of " #name);
VADRO_VENDOR_OPERATIONS(VADRO_CHECK_VENDOR_ARGUMENT_BYTES)
#undef VADRO_CHECK_VENDOR_ARGUMENT_BYTES

// The operations by name, for what refers to one of them (the simulator's trace).
enum class VendorOperation {
#define VADRO_VENDOR_OPERATION_ENUMERATOR(result, name, parameters, bytes) name,
  VADRO_VENDOR_OPERATIONS(VADRO_VENDOR_OPERATION_ENUMERATOR)
#undef VADRO_VENDOR_OPERATION_ENUMERATOR
};

// The operation's exported name.
inline const char* VendorOperationName(VendorOperation operation) {
  static constexpr const char* kNames[] = {
#define VADRO_VENDOR_OPERATION_NAME(result, name, parameters, bytes) #name,
      VADRO_VENDOR_OPERATIONS(VADRO_VENDOR_OPERATION_NAME)
#undef VADRO_VENDOR_OPERATION_NAME
  };
  return kNames[static_cast<int>(operation)];
}

}  // namespace vadro
