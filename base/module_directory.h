// The folder of the running executable, where the program keeps its files and looks for the device
// library.
#pragma once
#include "base/heap_string.h"

namespace vadro {

// Sets `directory` to the running executable's folder, ending in the path separator: the
// executable's full path (cut at 260 characters) up to and including its last separator, found
// character by character in the ANSI code page; empty when there is none. Returns false when the
// path could not be had or did not fit in 260 characters; `directory` then comes from what was had.
bool FindModuleDirectory(HeapString& directory);

}  // namespace vadro
