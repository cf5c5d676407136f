#include "base/heap_posix.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "base/heap.h"

namespace vadro {

namespace {

// Every block starts with this header: its size, so that growth can zero the new bytes. Nothing
// else points to a block, so that one its user never frees is a leak that LeakSanitizer reports.
struct alignas(alignof(std::max_align_t)) BlockHeader {
  std::size_t size;
};

constexpr std::size_t kMaxSize = static_cast<std::size_t>(-1) / 2 - sizeof(BlockHeader);

PosixHeap& TheProcessHeap() {
  // Never destroyed: static objects may free their blocks at exit in any order.
  static auto* heap = new PosixHeap;
  return *heap;
}

PosixHeap& HeapOf(HeapHandle heap) { return *static_cast<PosixHeap*>(heap); }

}  // namespace

void* PosixHeap::Allocate(std::size_t size) {
  if (size > kMaxSize) throw std::bad_alloc();
  auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
  if (header == nullptr) throw std::bad_alloc();
  header->size = size;
  return header + 1;
}

void* PosixHeap::Reallocate(void* block, std::size_t size) {
  if (size > kMaxSize) throw std::bad_alloc();
  BlockHeader* old = static_cast<BlockHeader*>(block) - 1;
  std::size_t oldSize = old->size;
  // On failure realloc leaves the old block as it was.
  auto* header = static_cast<BlockHeader*>(std::realloc(old, sizeof(BlockHeader) + size));
  if (header == nullptr) throw std::bad_alloc();
  if (size > oldSize) std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, size - oldSize);
  header->size = size;
  return header + 1;
}

void PosixHeap::Free(void* block) {
  if (block != nullptr) std::free(static_cast<BlockHeader*>(block) - 1);
}

HeapHandle ProcessHeap() { return &TheProcessHeap(); }

void* HeapAllocZeroed(HeapHandle heap, std::size_t size) { return HeapOf(heap).Allocate(size); }

void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size) {
  return HeapOf(heap).Reallocate(block, size);
}

void HeapFreeBlock(HeapHandle heap, void* block) { HeapOf(heap).Free(block); }

void HeapDestroyOwned(HeapHandle heap) {
  if (heap != nullptr && heap != ProcessHeap()) delete &HeapOf(heap);
}

}  // namespace vadro
