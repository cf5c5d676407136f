// The bank map file's Windows calls: the name under which a save replaces a plain file, and what a
// load lets other programs do with the file meanwhile.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "bankmap/bank_map_file.h"
#include "bankmap/file_commit.h"
#include "tests/support/captured_output.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

const char* const kMap = "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>";

// A plain file keeps the path it was named by, though the system's final path for it differs (here
// in the long names of the folders that the short path names).
TEST(BankMapFileWin32Test, APlainFileIsReplacedUnderThePathItWasNamedBy) {
  ScratchFolder folder;
  folder.MakeFolder("a folder with a long name");
  folder.Write("a folder with a long name\\Vadro.xml", kMap);
  char shortFolder[MAX_PATH];
  DWORD length = GetShortPathNameA(folder.PathOf("a folder with a long name").c_str(), shortFolder, MAX_PATH);
  ASSERT_GT(length, 0U);
  ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
  const std::string named = std::string(shortFolder) + "\\Vadro.xml";
  ASSERT_EQ(named.find("a folder with a long name"), std::string::npos) << named;
  ReplacedFile replaced;
  ASSERT_EQ(FindReplacedFile(named.c_str(), replaced), ReplaceCheck::kReplaceable);
  EXPECT_EQ(std::string(replaced.path.Text()), named);
  EXPECT_TRUE(replaced.exists);
}

// The load reads the file while another program holds it open to write it, or to delete or rename
// it.
TEST(BankMapFileWin32Test, TheLoadSharesTheFileWithWritersAndDeleters) {
  ScratchFolder folder;
  folder.Write("Vadro.xml", kMap);
  for (DWORD access : {static_cast<DWORD>(GENERIC_WRITE), static_cast<DWORD>(DELETE)}) {
    HANDLE held = CreateFileA(folder.PathOf("Vadro.xml").c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    PooledMap bankMap;
    CapturedOutput captured;
    bool loaded = LoadPass().Run(folder.Directory(), bankMap);
    const std::string said = captured.Text();
    EXPECT_TRUE(loaded) << said << "held for access " << std::hex << access;
    CloseHandle(held);
  }
}

}  // namespace
}  // namespace vadro
