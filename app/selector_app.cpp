#include "app/selector_app.h"

#include "app/disc_list.h"
#include "app/error_box.h"
#include "app/selection_run.h"
#include "bankmap/bank_map_setup.h"
#include "bankmap/xml_apartment.h"
#include "base/module_directory.h"
#include "device/device_library_ref.h"
#include "device/vendor_library.h"

namespace vadro {

std::int32_t argumentCount = 0;
const char* const* argumentVector = nullptr;

SelectorApp::SelectorApp() : logFile(nullptr, nullptr) {}

SelectorApp::~SelectorApp() = default;

std::int32_t SelectorApp::Run() {
  // A folder cut from a path that did not come whole is not the program's own: the bank map stage
  // then looks for no Vadro.xml there.
  const bool directoryWhole = FindModuleDirectory(moduleDirectory);
  if (!logFile.SetDirectory(moduleDirectory.Text())) {
    ShowErrorBox("Cannot set a log file path.", "Error");
    return 0;
  }
  // Released in reverse order on every way out: the library reference, the disc list, COM.
  XmlApartment com;
  DiscList discs(argumentCount, argumentVector);
  if (!discs.valid) return 0;
  if (!LoadVendorLibrary()) return 0;
  // The open device library, which is also the bank map that the two stages fill and read.
  DeviceLibraryRef deviceLibrary;
  // A library that showed a calling convention this program does not know has been called no
  // further; the run ends as when the library cannot be loaded.
  if (!VendorCallsWork()) {
    ReportUnknownCallingConvention();
    return 0;
  }
  if (!RunBankMapStage(moduleDirectory, directoryWhole, deviceLibrary)) return 0;
  RunSelection(discs, deviceLibrary);
  return 0;
}

}  // namespace vadro
