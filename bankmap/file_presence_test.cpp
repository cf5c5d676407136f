#include "bankmap/file_presence.h"

#include <gtest/gtest.h>

#include <string>

#include "bankmap/bank_map_file.h"
#include "bankmap/volume_root.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

TEST(FileIsPresent, FindsFilesAndDirectoriesAlike) {
  ScratchFolder folder;
  EXPECT_EQ(FilePresence::Absent, BankMapFilePresence(folder.Directory()));
  folder.Write("Vadro.xml", "");
  EXPECT_EQ(FilePresence::Present, BankMapFilePresence(folder.Directory()));

  folder.MakeFolder("sub/Vadro.xml");
  HeapString sub = Concat(folder.Directory(), "sub/");
  EXPECT_EQ(FilePresence::Present, BankMapFilePresence(sub));
}

TEST(FileIsPresent, APathThroughAMissingFolderIsAbsent) {
  ScratchFolder folder;
  EXPECT_EQ(FilePresence::Absent, FileIsPresent(folder.PathOf("missing/Vadro.xml").c_str()));
}

TEST(FileIsPresent, APathTooLongToTestIsUnknownNotAbsent) {
  ScratchFolder folder;
  std::string path = folder.PathOf(std::string(300, 'v').c_str());
  EXPECT_EQ(FilePresence::Unknown, FileIsPresent(path.c_str()));
}

TEST(VolumeRootOf, DriveRootsEndAtTheFirstSeparator) {
  EXPECT_STREQ("C:\\", VolumeRootOf("C:\\dir\\Vadro.xml").Text());
  EXPECT_STREQ("Z:/", VolumeRootOf("Z:/dir/Vadro.xml").Text());
  EXPECT_STREQ("C:\\", VolumeRootOf("C:\\").Text());
  EXPECT_STREQ("nothing", VolumeRootOf("nothing").Text());
}

TEST(VolumeRootOf, NetworkRootsEndAfterTheShareName) {
  EXPECT_STREQ("\\\\server\\share\\", VolumeRootOf("\\\\server\\share\\dir\\Vadro.xml").Text());
  EXPECT_STREQ("//server/share/", VolumeRootOf("//server/share/Vadro.xml").Text());
  EXPECT_STREQ("\\\\server\\share\\", VolumeRootOf("\\\\server\\share").Text());
  EXPECT_STREQ("\\\\?\\C:\\", VolumeRootOf("\\\\?\\C:\\dir\\x").Text());
}

}  // namespace
}  // namespace vadro
