#include "device/vendor_library.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/captured_output.h"

namespace vadro {
namespace {

std::string ReportedFor(const VendorBinding& binding) {
  CapturedOutput captured;
  ReportVendorLoadFailure(binding);
  std::string text = captured.Text();
  // Where standard output is in text mode (Windows, without the program's own set-up), "\r\n"
  // arrives as "\r\r\n"; the bytes written are what is checked here.
  std::string::size_type at;
  while ((at = text.find("\r\r\n")) != std::string::npos) text.erase(at, 1);
  return text;
}

TEST(VendorLoadFailureTest, MissingLibraryPrintsTheLoadMessage) {
  EXPECT_EQ(ReportedFor(VendorBinding{false, nullptr}),
            "\r\nCannot load the device library USBCDDLL.dll.\r\n");
}

TEST(VendorLoadFailureTest, MissingOperationIsNamedOnALineOfItsOwn) {
  EXPECT_EQ(ReportedFor(VendorBinding{false, "USBCDMoveto"}),
            "\r\nCannot load the device library USBCDDLL.dll.\r\nUSBCDMoveto\r\n");
}

}  // namespace
}  // namespace vadro
