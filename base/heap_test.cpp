#include "base/heap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/pooled_list.h"
#include "tests/support/owned_heap.h"

namespace vadro {
namespace {

bool AllZero(const void* block, std::size_t from, std::size_t to) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (std::size_t i = from; i < to; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

TEST(Heap, BlocksStartZeroAndGrowthZeroesOnlyTheNewBytes) {
  HeapHandle heap = ProcessHeap();
  void* block = HeapAllocZeroed(heap, 64);
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 0, 64));

  std::memset(block, 0xAB, 64);
  block = HeapReAllocZeroed(heap, block, 8);
  block = HeapReAllocZeroed(heap, block, 4096);
  const auto* bytes = static_cast<const unsigned char*>(block);
  EXPECT_EQ(bytes[0], 0xAB);
  EXPECT_EQ(bytes[7], 0xAB);
  // Bytes given up by the shrink come back as zero, as do the ones never used.
  EXPECT_TRUE(AllZero(block, 8, 4096));
  HeapFreeBlock(heap, block);
}

TEST(Heap, OwnedHeapIsDestroyedWithItsBlocksAndTheProcessHeapNever) {
  HeapHandle heap = HeapCreateOwned();
  ASSERT_NE(heap, nullptr);
  ASSERT_NE(heap, ProcessHeap());
  EXPECT_EQ(HeapBlockCount(heap), 0u);
  HeapAllocZeroed(heap, 100);  // left on the heap: destruction frees it
  void* freed = HeapAllocZeroed(heap, 100);
  freed = HeapReAllocZeroed(heap, freed, 5000);
  EXPECT_EQ(HeapBlockCount(heap), 2u);
  HeapFreeBlock(heap, freed);
  EXPECT_EQ(HeapBlockCount(heap), 1u);
  HeapDestroyOwned(heap);

  HeapDestroyOwned(ProcessHeap());
  void* block = HeapAllocZeroed(ProcessHeap(), 10);
  HeapFreeBlock(ProcessHeap(), block);

  {
    PooledList list(10, HeapCreateOwned(), true);
    for (int i = 0; i < 25; ++i) list.AddTail(i);
    EXPECT_EQ(list.BlockCount(), 3);
  }  // the list destroys its heap
}

}  // namespace
}  // namespace vadro
