#include "base/pooled_list.h"

namespace vadro {

PooledList::PooledList(std::int32_t blockSize, HeapHandle heap, bool ownsHeap)
    : blockSize(blockSize), heap(heap != nullptr ? heap : ProcessHeap()), ownsHeap(ownsHeap ? 1 : 0) {}

PooledList::~PooledList() {
  RemoveAll();
  if (ownsHeap != 0) HeapDestroyOwned(heap);
}

PooledList::Node* PooledList::NewNode(Node* prev, Node* next) {
  if (freeList == nullptr) RefillPool(heap, blockSize, blocks, freeList);
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
  FreePoolBlocks(heap, blocks);
}

std::int32_t PooledList::BlockCount() const { return CountPoolBlocks(blocks); }

}  // namespace vadro
