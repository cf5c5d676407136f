// The file operations behind LogFile: closing the open log file and moving it on disk.
#pragma once

namespace vadro {

// An open file: a Win32 handle on Windows; on POSIX the file descriptor plus 1, so that null
// always means "no file".
using FileHandle = void*;

// False when the handle cannot be closed.
bool CloseLogFile(FileHandle handle);

// Moves a closed file; false when it cannot be moved (the target exists, the folder is missing).
bool MoveLogFile(const char* from, const char* to);

}  // namespace vadro
