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

// Each library that does not load binds nothing and is reported with its reason.
TEST(VendorLoaderTest, ALibraryThatDoesNotLoadIsReportedWithTheReason) {
  const std::string bits = std::to_string(8 * sizeof(void*));
  const struct {
    const char* file;
    VendorLoadFailure failure;
    std::string reason;
  } rows[] = {
      {"usbcd_nowhere.dll", VendorLoadFailure::kNotFound,
       "It is neither beside the program nor in the Windows system folder.\r\n"},
      {"usbcd_other_width.dll", VendorLoadFailure::kWrongKind,
       "It is not a " + bits + "-bit library (the " + bits +
           "-bit USBCDDLL.dll is needed), or it is damaged.\r\n"},
      {"usbcd_needs_dependency.dll", VendorLoadFailure::kDependencyMissing,
       "A library that it needs is missing: install the carousel maker's software again.\r\n"},
      {"usbcd_lacking.dll", VendorLoadFailure::kOperationMissing, "USBCDGetCDDown\r\n"},
  };
  for (const auto& row : rows) {
    VendorLibrary table{};
    VendorBinding binding = BindVendorLibrary(row.file, table);
    EXPECT_FALSE(binding.loaded) << row.file;
    EXPECT_EQ(binding.failure, row.failure) << row.file << ", error " << binding.systemError;
    EXPECT_EQ(table.InitUSBCDLibrary, nullptr) << row.file << ": the table is left alone";
    CapturedOutput captured;
    ReportVendorLoadFailure(binding);
    std::string text = captured.Text();
    EXPECT_NE(text.find("Cannot load the device library USBCDDLL.dll.\r"), std::string::npos) << text;
    EXPECT_NE(text.find("\n" + row.reason), std::string::npos) << row.file << ": " << text;
  }
}

TEST(VendorLoaderTest, DecoratedNamesAreFoundAndCalled) {
  if (sizeof(void*) != 4) {
    GTEST_SKIP() << "stdcall-decorated names (_Name@N, Name@N) exist only in 32-bit libraries";
  }
  for (const char* file : {"usbcd_decorated.dll", "usbcd_at_decorated.dll"}) {
    VendorLibrary table{};
    VendorBinding binding = BindVendorLibrary(file, table);
    ASSERT_TRUE(binding.loaded) << file;
    EXPECT_EQ(CallVendor(table.InitUSBCDLibrary), 0) << file;
    EXPECT_EQ(CallVendor(table.GetDeviceNumber), 42) << file;
    EXPECT_EQ(CallVendor(table.EnumDevice, 5), 1005) << file;
    EXPECT_EQ(CallVendor(table.SetCDCallbackProc, nullptr), 0) << file;
    EXPECT_EQ(CallVendor(table.USBCDReset, 10), 11) << file;
    EXPECT_EQ(CallVendor(table.USBCDLEDON, 10), 12) << file;
    EXPECT_EQ(CallVendor(table.USBCDLEDOFF, 10), 13) << file;
    EXPECT_EQ(CallVendor(table.USBCDGetStatus, 10), 14) << file;
    EXPECT_EQ(CallVendor(table.USBCDMoveto, 7, 36), 7036) << file;
    EXPECT_EQ(CallVendor(table.USBCDGetCDDown, 10), 15) << file;
    EXPECT_EQ(CallVendor(table.CloseUSBCDLibrary), 0) << file;
  }
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
