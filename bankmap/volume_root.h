// The root of the volume that holds a full path, as the volume query wants it.
#pragma once

#include "base/heap_string.h"

namespace vadro {

// For a network path (one with two consecutive separators, '\' or '/'), the text up to and
// including the separator that ends the share name; otherwise the text up to and including the
// first separator (the drive root). A separator is added when the path ends with the share name.
// A path without any separator is its own root.
HeapString VolumeRootOf(const char* fullPath);

}  // namespace vadro
