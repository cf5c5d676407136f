// The block pool behind PooledList and PooledMap: entries come from blocks of `blockSize` on a heap,
// each block linked to the one allocated before it, and are given back only all blocks at once.
#pragma once
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "base/heap.h"

namespace vadro {

struct PoolBlock {
  PoolBlock* previous;
};

// Allocates one zero-filled block of `blockSize` entries, links it in front of `blocks` and pushes
// its entries onto `freeList` (through their `next` fields) from the last to the first, so that
// they are handed out in ascending address order.
template <typename Entry>
void RefillPool(HeapHandle heap, std::int32_t blockSize, PoolBlock*& blocks, Entry*& freeList) {
  // A block holds at least one entry, so the free list is never left empty.
  assert(blockSize > 0);
  auto* block = static_cast<PoolBlock*>(
      HeapAllocZeroed(heap, sizeof(PoolBlock) + sizeof(Entry) * static_cast<std::size_t>(blockSize)));
  block->previous = blocks;
  blocks = block;
  auto* entries = reinterpret_cast<Entry*>(block + 1);
  for (std::int32_t i = blockSize - 1; i >= 0; --i) {
    entries[i].next = freeList;
    freeList = &entries[i];
  }
}

// Frees every block, newest first; `blocks` ends null.
void FreePoolBlocks(HeapHandle heap, PoolBlock*& blocks);

std::int32_t CountPoolBlocks(const PoolBlock* blocks);

}  // namespace vadro
