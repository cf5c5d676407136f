#include <windows.h>

#include "tests/support/owned_heap.h"

namespace vadro {

HeapHandle HeapCreateOwned() { return HeapCreate(HEAP_GENERATE_EXCEPTIONS, 0, 0); }

// Walks the heap and counts the blocks in use.
std::size_t HeapBlockCount(HeapHandle heap) {
  std::size_t count = 0;
  if (!HeapLock(heap)) return count;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) ++count;
  }
  HeapUnlock(heap);
  return count;
}

}  // namespace vadro
