#include "base/pooled_list.h"

namespace vadro {

PooledList::PooledList(std::int32_t blockSize, HeapHandle heap, bool ownsHeap)
    : blockSize(blockSize), heap(heap != nullptr ? heap : ProcessHeap()), ownsHeap(ownsHeap ? 1 : 0) {}

PooledList::~PooledList() {
  RemoveAll();
  if (ownsHeap != 0) HeapDestroyOwned(heap);
}

PooledList::Node* PooledList::NewNode(Node* prev, Node* next) {
  if (freeList == nullptr) {
    // One block: the link to the previous block, then blockSize zero-filled nodes.
    auto* block = static_cast<Block*>(
        HeapAllocZeroed(heap, sizeof(Block) + sizeof(Node) * static_cast<std::size_t>(blockSize)));
    block->previous = blocks;
    blocks = block;
    // Pushed from the last to the first, so that they are handed out in ascending address order.
    Node* nodes = reinterpret_cast<Node*>(block + 1);
    for (std::int32_t i = blockSize - 1; i >= 0; --i) {
      nodes[i].next = freeList;
      freeList = &nodes[i];
    }
  }
  Node* node = freeList;
  freeList = node->next;
  count += 1;
  node->prev = prev;
  node->next = next;
  return node;
}

PooledList::Node* PooledList::AddTail(std::int32_t value) {
  Node* node = NewNode(tail, nullptr);
  node->value = value;
  if (tail != nullptr) {
    tail->next = node;
  } else {
    head = node;
  }
  tail = node;
  return node;
}

void PooledList::RemoveAll() {
  head = nullptr;
  tail = nullptr;
  count = 0;
  freeList = nullptr;
  while (blocks != nullptr) {
    Block* previous = blocks->previous;
    HeapFreeBlock(heap, blocks);
    blocks = previous;
  }
}

std::int32_t PooledList::BlockCount() const {
  std::int32_t n = 0;
  for (const Block* block = blocks; block != nullptr; block = block->previous) ++n;
  return n;
}

}  // namespace vadro
