// Platform help for the log file's tests: a scratch folder and files in it.
#pragma once
#include <string>

#include "log/log_file_system.h"

namespace vadro {
namespace test_support {

// A new empty folder for one test, its path ending in the separator; empty on failure.
std::string MakeScratchFolder();
// Removes the folder made by MakeScratchFolder with the files and folders in it.
void RemoveScratchFolder(const std::string& folder);
bool MakeFolder(const std::string& path);
// Creates (or opens) the file and returns its open handle, null on failure.
FileHandle OpenFileForWriting(const std::string& path);
bool FileExists(const std::string& path);
// A value that is not the handle of any open file.
FileHandle InvalidFileHandle();

}  // namespace test_support
}  // namespace vadro
