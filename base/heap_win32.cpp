#include "base/heap.h"

#include <windows.h>

namespace vadro {

namespace {
// Fresh and grown memory is zero, and exhaustion raises the system's exception instead of
// returning null.
constexpr DWORD kAllocFlags = HEAP_ZERO_MEMORY | HEAP_GENERATE_EXCEPTIONS;
}  // namespace

HeapHandle ProcessHeap() { return GetProcessHeap(); }

void* HeapAllocZeroed(HeapHandle heap, std::size_t size) { return HeapAlloc(heap, kAllocFlags, size); }

void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size) {
  return HeapReAlloc(heap, kAllocFlags, block, size);
}

void HeapFreeBlock(HeapHandle heap, void* block) { HeapFree(heap, 0, block); }

void HeapDestroyOwned(HeapHandle heap) {
  if (heap != nullptr && heap != GetProcessHeap()) HeapDestroy(heap);
}

}  // namespace vadro
