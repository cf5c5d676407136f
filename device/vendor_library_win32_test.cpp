#include "device/vendor_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/heap_string.h"
#include "base/module_directory.h"
#include "device/vendor_library_win32.h"
#include "tests/support/captured_output.h"
#include "tests/support/environment.h"
#include "tests/support/scratch_folder.h"

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
  CapturedOutput captured;
  ReportVendorLoadFailure(binding);
  std::string text = captured.Text();
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

// Libraries that lie in the current folder or in a folder of PATH but not beside the program are
// not loaded, neither through the search flags nor by the full paths of Windows without them.
TEST(VendorLoaderTest, TheCurrentFolderAndPathAreNeverSearched) {
  ScratchFolder scratch("loader");
  scratch.MakeFolder("current");
  scratch.MakeFolder("path");
  const std::string current = scratch.PathOf("current");
  const std::string onPath = scratch.PathOf("path");
  const char* const names[] = {"usbcd_in_current_folder.dll", "usbcd_on_path.dll"};
  const std::string planted[] = {current + "\\" + names[0], onPath + "\\" + names[1]};
  HeapString ownFolder;
  ASSERT_TRUE(FindModuleDirectory(ownFolder));
  const std::string decorated = std::string(ownFolder.Text()) + "usbcd_decorated.dll";
  for (const std::string& file : planted) {
    ASSERT_TRUE(CopyFileA(decorated.c_str(), file.c_str(), FALSE));
  }
  char previousFolder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previousFolder);
  static char previousPath[32767];
  std::string oldPath(previousPath, GetEnvironmentVariableA("PATH", previousPath, sizeof previousPath));
  SetCurrentDirectoryA(current.c_str());
  SetTestEnv("PATH", (onPath + ";" + oldPath).c_str());

  for (const char* name : names) {
    VendorLibrary table{};
    EXPECT_FALSE(BindVendorLibrary(name, table).loaded) << name;
    EXPECT_EQ(LoadByFullPath(name), nullptr) << name;
  }
  HMODULE beside = LoadByFullPath("usbcd_decorated.dll");
  EXPECT_NE(beside, nullptr) << "the program's folder is searched";
  if (beside != nullptr) FreeLibrary(beside);
  // The standard search finds both: the refusals above are the loader's own.
  for (const char* name : names) {
    HMODULE found = LoadLibraryA(name);
    EXPECT_NE(found, nullptr) << name;
    if (found != nullptr) FreeLibrary(found);
  }

  SetTestEnv("PATH", oldPath.c_str());
  SetCurrentDirectoryA(previousFolder);
}

TEST(VendorLoaderTest, SimulatorLibraryLoadsByItsPlainNames) {
  VendorLibrary table{};
  VendorBinding binding = BindVendorLibrary("USBCDDLL.dll", table);
  ASSERT_TRUE(binding.loaded);
  EXPECT_NE(table.USBCDGetCDDown, nullptr);
}

}  // namespace
}  // namespace vadro
