// Heaps of their own for the tests of the heap functions and of the containers and strings that
// take a heap: made here, destroyed with HeapDestroyOwned, and their blocks counted.
#pragma once
#include <cstddef>

#include "base/heap.h"

namespace vadro {

// A new private heap, as a container that owns its heap would be given.
HeapHandle HeapCreateOwned();

// The blocks on a heap made by HeapCreateOwned that are allocated and not yet freed: what its
// users have not given back.
std::size_t HeapBlockCount(HeapHandle heap);

}  // namespace vadro
