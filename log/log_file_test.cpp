#include "log/log_file.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "base/path_separator.h"
#include "tests/support/log_file_handles.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

// Paths of the examples are written with '\'; on this platform they use its own separator.
std::string P(const char* text) {
  std::string path(text);
  for (char& ch : path) {
    if (ch == '\\') ch = kPathSeparator;
  }
  return path;
}

std::string TodaysName(std::time_t t) {
  char name[32];
  std::strftime(name, sizeof name, "%m-%d-%Y.log", std::localtime(&t));
  return name;
}

TEST(LogFile, ConstructionNamesTheFileAfterTodayUnlessNamed) {
  std::string before = TodaysName(std::time(nullptr));
  LogFile bare(nullptr, nullptr);
  LogFile inLogs(P("C:\\logs").c_str(), nullptr);
  LogFile inLogsWithSeparator(P("C:\\logs\\").c_str(), nullptr);
  std::string after = TodaysName(std::time(nullptr));
  for (const std::string& name : {before, after}) {
    if (bare.Path().Text() == name) {
      EXPECT_EQ(inLogs.Path().Text(), P("C:\\logs\\") + name);
      EXPECT_EQ(inLogsWithSeparator.Path().Text(), P("C:\\logs\\") + name);
      EXPECT_EQ(bare.OpenFileHandle(), nullptr);
      EXPECT_EQ(bare.Created().GetStatus(), DateValue::Valid);
      EXPECT_STREQ(bare.Created().Format("%m-%d-%Y.log").Text(), name.c_str());
      return;
    }
  }
  ADD_FAILURE() << "named " << bare.Path().Text() << ", today is " << before;
}

TEST(LogFile, ConstructionWithNames) {
  EXPECT_EQ(LogFile(P("C:\\logs\\").c_str(), "a.txt").Path().Text(), P("C:\\logs\\a.txt"));
  EXPECT_EQ(LogFile(P("C:\\logs").c_str(), "a.txt").Path().Text(), P("C:\\logs\\a.txt"));
  EXPECT_STREQ(LogFile(nullptr, "a.txt").Path().Text(), "a.txt");
  EXPECT_STREQ(LogFile("", "a.txt").Path().Text(), "a.txt");  // an empty folder gets no separator
}

TEST(LogFile, SetDirectoryMovesTheName) {
  LogFile log(nullptr, "12-06-2026.log");
  EXPECT_EQ(log.SetDirectory(P("C:\\app\\").c_str()), 1);
  EXPECT_EQ(log.Path().Text(), P("C:\\app\\12-06-2026.log"));

  // Text the path already begins with, ignoring case, changes nothing.
  EXPECT_EQ(log.SetDirectory(P("C:\\APP").c_str()), 1);
  EXPECT_EQ(log.SetDirectory("C:"), 1);
  EXPECT_EQ(log.SetDirectory(P("c:\\ap").c_str()), 1);
  EXPECT_EQ(log.Path().Text(), P("C:\\app\\12-06-2026.log"));

  EXPECT_EQ(log.SetDirectory(P("D:\\other").c_str()), 1);
  EXPECT_EQ(log.Path().Text(), P("D:\\other\\12-06-2026.log"));

  EXPECT_EQ(log.SetDirectory(""), 1);
  EXPECT_STREQ(log.Path().Text(), "12-06-2026.log");
  EXPECT_EQ(log.SetDirectory(nullptr), 1);
  EXPECT_STREQ(log.Path().Text(), "12-06-2026.log");
}

TEST(LogFile, StartUpMovesTheDateNameIntoTheExecutablesFolder) {
  std::string before = TodaysName(std::time(nullptr));
  LogFile log(nullptr, nullptr);
  std::string after = TodaysName(std::time(nullptr));
  std::string folder = P("C:\\Program Files\\Vadro\\");
  EXPECT_EQ(log.SetDirectory(folder.c_str()), 1);
  std::string path = log.Path().Text();
  EXPECT_TRUE(path == folder + before || path == folder + after) << path;
}

// A log file opened by a writer; the program itself never opens one.
class OpenLogFile : public LogFile {
 public:
  OpenLogFile(const char* directory, const char* fileName, FileHandle handle) : LogFile(directory, fileName) {
    fileHandle = handle;
  }
  void Forget() { fileHandle = nullptr; }
};

class LogFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.MakeFolder("from");
    folder.MakeFolder("to");
  }

  static bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

  ScratchFolder folder{"log"};
  std::string from = folder.PathOf("from") + kPathSeparator;
  std::string to = folder.PathOf("to") + kPathSeparator;
};

TEST_F(LogFileOnDisk, AnOpenFileIsClosedAndMovedAlong) {
  FileHandle handle = OpenFileForWriting(from + "run.log");
  ASSERT_NE(handle, nullptr);
  OpenLogFile log(from.c_str(), "run.log", handle);
  EXPECT_EQ(log.SetDirectory(to.c_str()), 1);
  EXPECT_EQ(log.Path().Text(), to + "run.log");
  EXPECT_EQ(log.OpenFileHandle(), nullptr);
  EXPECT_TRUE(FileExists(to + "run.log"));
  EXPECT_FALSE(FileExists(from + "run.log"));
}

TEST_F(LogFileOnDisk, AFailedMoveKeepsThePathAndLeavesTheFileClosed) {
  FileHandle handle = OpenFileForWriting(from + "run.log");
  ASSERT_NE(handle, nullptr);
  OpenLogFile log(from.c_str(), "run.log", handle);
  std::string missing = folder.PathOf("missing");
  EXPECT_EQ(log.SetDirectory(missing.c_str()), 0);
  EXPECT_EQ(log.Path().Text(), from + "run.log");
  EXPECT_EQ(log.OpenFileHandle(), nullptr);
  EXPECT_TRUE(FileExists(from + "run.log"));

  // A file already at the target is never replaced.
  FileHandle blocker = OpenFileForWriting(to + "run.log");
  ASSERT_NE(blocker, nullptr);
  ASSERT_TRUE(CloseLogFile(blocker));
  OpenLogFile again(from.c_str(), "run.log", OpenFileForWriting(from + "run.log"));
  EXPECT_EQ(again.SetDirectory(to.c_str()), 0);
  EXPECT_EQ(again.Path().Text(), from + "run.log");
  EXPECT_TRUE(FileExists(from + "run.log"));
}

TEST_F(LogFileOnDisk, AHandleThatCannotBeClosedChangesNothing) {
  FileHandle invalid = InvalidFileHandle();
  OpenLogFile log(from.c_str(), "run.log", invalid);
  EXPECT_EQ(log.SetDirectory(to.c_str()), 0);
  EXPECT_EQ(log.Path().Text(), from + "run.log");
  EXPECT_EQ(log.OpenFileHandle(), invalid);
  log.Forget();
}

}  // namespace
}  // namespace vadro
