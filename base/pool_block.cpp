#include "base/pool_block.h"

namespace vadro {

void FreePoolBlocks(HeapHandle heap, PoolBlock*& blocks) {
  while (blocks != nullptr) {
    PoolBlock* previous = blocks->previous;
    HeapFreeBlock(heap, blocks);
    blocks = previous;
  }
}

std::int32_t CountPoolBlocks(const PoolBlock* blocks) {
  std::int32_t n = 0;
  for (; blocks != nullptr; blocks = blocks->previous) ++n;
  return n;
}

}  // namespace vadro
