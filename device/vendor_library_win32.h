// The Windows loader's search for the device library by full paths, for Windows that does not know
// the search flags; the loader's tests call it too.
#pragma once
#include <windows.h>

namespace vadro {

// The library file `fileName` by its full path: in the program's own folder, else in the system
// folder; null when neither loads.
HMODULE LoadByFullPath(const char* fileName);

}  // namespace vadro
