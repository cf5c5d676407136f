#include <gtest/gtest.h>

#include <new>

#include "base/heap.h"

namespace vadro {
namespace {

TEST(PosixHeap, ExhaustionRaisesBadAlloc) {
  HeapHandle heap = ProcessHeap();
  EXPECT_THROW(HeapAllocZeroed(heap, static_cast<std::size_t>(-1) / 4), std::bad_alloc);
  void* block = HeapAllocZeroed(heap, 16);
  EXPECT_THROW(HeapReAllocZeroed(heap, block, static_cast<std::size_t>(-1) / 4), std::bad_alloc);
  // A failed growth leaves the block usable.
  static_cast<char*>(block)[15] = 1;
  HeapFreeBlock(heap, block);
}

}  // namespace
}  // namespace vadro
