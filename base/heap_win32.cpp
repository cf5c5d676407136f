#include "base/heap.h"

#include <windows.h>

namespace vadro {

namespace {
// Fresh and grown memory is zero, and exhaustion raises the system's exception instead of
// returning null.
constexpr DWORD kAllocFlags = HEAP_ZERO_MEMORY | HEAP_GENERATE_EXCEPTIONS;
}  // namespace

HeapHandle ProcessHeap() { return GetProcessHeap(); }

HeapHandle HeapCreateOwned() { return HeapCreate(HEAP_GENERATE_EXCEPTIONS, 0, 0); }

void* HeapAllocZeroed(HeapHandle heap, std::size_t size) { return HeapAlloc(heap, kAllocFlags, size); }

void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size) {
  return HeapReAlloc(heap, kAllocFlags, block, size);
}

void HeapFreeBlock(HeapHandle heap, void* block) { HeapFree(heap, 0, block); }

void HeapDestroyOwned(HeapHandle heap) {
  if (heap != nullptr && heap != GetProcessHeap()) HeapDestroy(heap);
}

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
