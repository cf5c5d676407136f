#include "device/vendor_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vadro {
namespace {

TEST(VendorLoaderTest, MissingFileBindsNothing) {
  VendorLibrary table{};
  VendorBinding binding = BindVendorLibrary("usbcd_nowhere.dll", table);
  EXPECT_FALSE(binding.loaded);
  EXPECT_EQ(binding.missingOperation, nullptr);
  EXPECT_EQ(table.InitUSBCDLibrary, nullptr);
}

TEST(VendorLoaderTest, LibraryLackingAnOperationNamesIt) {
  VendorLibrary table{};
  VendorBinding binding = BindVendorLibrary("usbcd_lacking.dll", table);
  EXPECT_FALSE(binding.loaded);
  ASSERT_NE(binding.missingOperation, nullptr);
  EXPECT_STREQ(binding.missingOperation, "USBCDGetCDDown");
  EXPECT_EQ(table.InitUSBCDLibrary, nullptr) << "the table is left alone";
  ::testing::internal::CaptureStdout();
  ReportVendorLoadFailure(binding);
  std::string text = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(text.find("Cannot load the device library USBCDDLL.dll."), std::string::npos) << text;
  EXPECT_NE(text.find("\nUSBCDGetCDDown\r"), std::string::npos) << text;
}

TEST(VendorLoaderTest, DecoratedNamesAreFoundAndCalled) {
  if (sizeof(void*) != 4) {
    GTEST_SKIP() << "stdcall-decorated names (_Name@N) exist only in 32-bit libraries";
  }
  VendorLibrary table{};
  VendorBinding binding = BindVendorLibrary("usbcd_decorated.dll", table);
  ASSERT_TRUE(binding.loaded);
  EXPECT_EQ(table.InitUSBCDLibrary(), 0);
  EXPECT_EQ(table.GetDeviceNumber(), 42);
  EXPECT_EQ(table.EnumDevice(5), 1005);
  EXPECT_EQ(table.SetCDCallbackProc(nullptr), 0);
  EXPECT_EQ(table.USBCDReset(10), 11);
  EXPECT_EQ(table.USBCDLEDON(10), 12);
  EXPECT_EQ(table.USBCDLEDOFF(10), 13);
  EXPECT_EQ(table.USBCDGetStatus(10), 14);
  EXPECT_EQ(table.USBCDMoveto(7, 36), 7036);
  EXPECT_EQ(table.USBCDGetCDDown(10), 15);
  EXPECT_EQ(table.CloseUSBCDLibrary(), 0);
}

TEST(VendorLoaderTest, SimulatorLibraryLoadsByItsPlainNames) {
  VendorLibrary table{};
  VendorBinding binding = BindVendorLibrary("USBCDDLL.dll", table);
  ASSERT_TRUE(binding.loaded);
  EXPECT_NE(table.USBCDGetCDDown, nullptr);
}

}  // namespace
}  // namespace vadro
