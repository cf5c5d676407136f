#include "device/vendor_library.h"

#include "console/text_output.h"

namespace vadro {

namespace {
VendorLibrary processTable{};
bool processTableLoaded = false;
}  // namespace

const char kVendorLibraryFile[] = "USBCDDLL.dll";

void ReportVendorLoadFailure(const VendorBinding& binding) {
  WriteText("\r\nCannot load the device library USBCDDLL.dll.\r\n");
  const int bits = 8 * static_cast<int>(sizeof(void*));
  switch (binding.failure) {
    case VendorLoadFailure::kNotFound:
      WriteText("It is neither beside the program nor in the Windows system folder.\r\n");
      break;
    case VendorLoadFailure::kWrongKind:
      WriteFormatted("It is not a %d-bit library (the %d-bit USBCDDLL.dll is needed), or it is damaged.\r\n",
                     bits, bits);
      break;
    case VendorLoadFailure::kDependencyMissing:
      WriteText("A library that it needs is missing: install the carousel maker's software again.\r\n");
      break;
    case VendorLoadFailure::kOther:
      WriteFormatted("Windows refused to load it (error %lu).\r\n",
                     static_cast<unsigned long>(binding.systemError));
      break;
    case VendorLoadFailure::kNone:
    case VendorLoadFailure::kOperationMissing:
      break;
  }
  if (binding.missingOperation != nullptr) {
    WriteText(binding.missingOperation);
    WriteText("\r\n");
  }
}

void ReportUnknownCallingConvention() {
  WriteText(
      "\r\nThe device library USBCDDLL.dll does not follow a calling convention this program knows.\r\n");
}

bool LoadVendorLibrary() {
  if (processTableLoaded) return true;
  VendorBinding binding = BindVendorLibrary(kVendorLibraryFile, processTable);
  if (!binding.loaded) {
    ReportVendorLoadFailure(binding);
    return false;
  }
  processTableLoaded = true;
  return true;
}

const VendorLibrary& Vendor() { return processTable; }

}  // namespace vadro
