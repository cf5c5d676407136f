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
  if (binding.missingOperation != nullptr) {
    WriteText(binding.missingOperation);
    WriteText("\r\n");
  }
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
