// PooledList: a list of 32-bit integers appended at the tail and walked from the head. Nodes come
// from blocks of `blockSize` on a heap and are given back only all at once.
#pragma once
#include <cstdint>

#include "base/heap.h"
#include "base/pool_block.h"

namespace vadro {

class PooledList {
 public:
  struct Node {
    Node* next;
    Node* prev;
    std::int32_t value;
  };

  explicit PooledList(std::int32_t blockSize = 10, HeapHandle heap = nullptr, bool ownsHeap = false);
  ~PooledList();
  PooledList(const PooledList&) = delete;
  PooledList& operator=(const PooledList&) = delete;

  Node* NewNode(Node* prev, Node* next);
  Node* AddTail(std::int32_t value);
  void RemoveAll();

  Node* Head() const { return head; }
  Node* Tail() const { return tail; }
  std::int32_t Count() const { return count; }
  bool IsEmpty() const { return count == 0; }
  // Number of pool blocks held (for tests and measurement).
  std::int32_t BlockCount() const;

 private:
  Node* head = nullptr;
  Node* tail = nullptr;
  std::int32_t count = 0;
  Node* freeList = nullptr;
  PoolBlock* blocks = nullptr;
  std::int32_t blockSize;
  HeapHandle heap;
  std::int32_t ownsHeap;
};

}  // namespace vadro
