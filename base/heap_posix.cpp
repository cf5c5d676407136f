#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "base/heap.h"

namespace vadro {

namespace {

// Every block starts with this header: its size, so that growth can zero the new bytes, and the
// links of the heap's block chain, so that destroying a heap frees every block still on it.
struct alignas(alignof(std::max_align_t)) BlockHeader {
  BlockHeader* previous;
  BlockHeader* next;
  std::size_t size;
};

// A heap of our own on top of the C allocator: zero-filled blocks, std::bad_alloc on exhaustion,
// and calls serialised as the system's heaps serialise theirs. Only a heap that can be destroyed
// chains its blocks: the process heap, never destroyed, holds no pointer to them, so that a block
// its user never frees is a leak that LeakSanitizer reports.
class PosixHeap {
 public:
  explicit PosixHeap(bool chained) : chained(chained) {}
  PosixHeap(const PosixHeap&) = delete;
  PosixHeap& operator=(const PosixHeap&) = delete;
  ~PosixHeap() {
    BlockHeader* header = first;
    while (header != nullptr) {
      BlockHeader* next = header->next;
      std::free(header);
      header = next;
    }
  }

  void* Allocate(std::size_t size) {
    if (size > kMaxSize) throw std::bad_alloc();
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (header == nullptr) throw std::bad_alloc();
    header->size = size;
    std::lock_guard<std::mutex> guard(lock);
    Link(header);
    return header + 1;
  }

  std::size_t BlockCount() {
    std::lock_guard<std::mutex> guard(lock);
    std::size_t count = 0;
    for (const BlockHeader* header = first; header != nullptr; header = header->next) ++count;
    return count;
  }

  void* Reallocate(void* block, std::size_t size) {
    if (size > kMaxSize) throw std::bad_alloc();
    BlockHeader* old = static_cast<BlockHeader*>(block) - 1;
    std::lock_guard<std::mutex> guard(lock);
    std::size_t oldSize = old->size;
    Unlink(old);
    auto* header = static_cast<BlockHeader*>(std::realloc(old, sizeof(BlockHeader) + size));
    if (header == nullptr) {
      Link(old);  // realloc left the old block untouched
      throw std::bad_alloc();
    }
    if (size > oldSize) std::memset(reinterpret_cast<char*>(header + 1) + oldSize, 0, size - oldSize);
    header->size = size;
    Link(header);
    return header + 1;
  }

  void Free(void* block) {
    if (block == nullptr) return;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    {
      std::lock_guard<std::mutex> guard(lock);
      Unlink(header);
    }
    std::free(header);
  }

 private:
  static constexpr std::size_t kMaxSize = static_cast<std::size_t>(-1) / 2 - sizeof(BlockHeader);

  void Link(BlockHeader* header) {
    if (!chained) return;
    header->previous = nullptr;
    header->next = first;
    if (first != nullptr) first->previous = header;
    first = header;
  }

  void Unlink(BlockHeader* header) {
    if (!chained) return;
    if (header->previous != nullptr) {
      header->previous->next = header->next;
    } else {
      first = header->next;
    }
    if (header->next != nullptr) header->next->previous = header->previous;
  }

  const bool chained;
  std::mutex lock;
  BlockHeader* first = nullptr;
};

PosixHeap& TheProcessHeap() {
  // Never destroyed: static objects may free their blocks at exit in any order.
  static auto* heap = new PosixHeap(false);
  return *heap;
}

PosixHeap& HeapOf(HeapHandle heap) { return *static_cast<PosixHeap*>(heap); }

}  // namespace

HeapHandle ProcessHeap() { return &TheProcessHeap(); }

HeapHandle HeapCreateOwned() { return new PosixHeap(true); }

void* HeapAllocZeroed(HeapHandle heap, std::size_t size) { return HeapOf(heap).Allocate(size); }

void* HeapReAllocZeroed(HeapHandle heap, void* block, std::size_t size) {
  return HeapOf(heap).Reallocate(block, size);
}

void HeapFreeBlock(HeapHandle heap, void* block) { HeapOf(heap).Free(block); }

void HeapDestroyOwned(HeapHandle heap) {
  if (heap != nullptr && heap != ProcessHeap()) delete &HeapOf(heap);
}

std::size_t HeapBlockCount(HeapHandle heap) { return HeapOf(heap).BlockCount(); }

}  // namespace vadro
