#include <windows.h>

#include "log/log_file_system.h"

namespace vadro {

bool CloseLogFile(FileHandle handle) { return CloseHandle(handle) != 0; }

bool MoveLogFile(const char* from, const char* to) { return MoveFileA(from, to) != 0; }

}  // namespace vadro
