// The log file's handles as the log tests need them: a file opened by a writer, and a handle that
// no open file has.
#pragma once
#include <string>

#include "log/log_file_system.h"

namespace vadro {

// Creates (or opens) the file and returns its open handle, null on failure.
FileHandle OpenFileForWriting(const std::string& path);
// A value that is not the handle of any open file.
FileHandle InvalidFileHandle();

}  // namespace vadro
