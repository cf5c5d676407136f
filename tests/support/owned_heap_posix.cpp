#include <mutex>
#include <unordered_set>

#include "base/heap_posix.h"
#include "tests/support/owned_heap.h"

namespace vadro {

namespace {

// A heap that keeps the blocks it has handed out, as a system heap does: it can count them, and
// its destruction frees those still on it.
class CountingHeap : public PosixHeap {
 public:
  CountingHeap() = default;
  CountingHeap(const CountingHeap&) = delete;
  CountingHeap& operator=(const CountingHeap&) = delete;
  ~CountingHeap() override {
    for (void* block : blocks) PosixHeap::Free(block);
  }

  void* Allocate(std::size_t size) override {
    std::lock_guard<std::mutex> guard(lock);
    void* block = PosixHeap::Allocate(size);
    blocks.insert(block);
    return block;
  }
  void* Reallocate(void* block, std::size_t size) override {
    std::lock_guard<std::mutex> guard(lock);
    void* moved = PosixHeap::Reallocate(block, size);
    blocks.erase(block);
    blocks.insert(moved);
    return moved;
  }
  void Free(void* block) override {
    if (block == nullptr) return;
    std::lock_guard<std::mutex> guard(lock);
    blocks.erase(block);
    PosixHeap::Free(block);
  }

  std::size_t Count() {
    std::lock_guard<std::mutex> guard(lock);
    return blocks.size();
  }

 private:
  std::mutex lock;
  std::unordered_set<void*> blocks;
};

}  // namespace

HeapHandle HeapCreateOwned() { return static_cast<PosixHeap*>(new CountingHeap); }

std::size_t HeapBlockCount(HeapHandle heap) {
  return static_cast<CountingHeap*>(static_cast<PosixHeap*>(heap))->Count();
}

}  // namespace vadro
