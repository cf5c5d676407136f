// The heap object behind a HeapHandle on POSIX: zero-filled blocks on the C allocator, each behind
// a header that holds its size. The program's one heap is the process heap; the calls are virtual
// only so that a test's heap can keep count of its blocks (the program creates no heap).
#pragma once
#include <cstddef>

namespace vadro {

class PosixHeap {
 public:
  PosixHeap() = default;
  virtual ~PosixHeap() = default;
  PosixHeap(const PosixHeap&) = delete;
  PosixHeap& operator=(const PosixHeap&) = delete;

  // The calls behind HeapAllocZeroed, HeapReAllocZeroed and HeapFreeBlock (base/heap.h).
  virtual void* Allocate(std::size_t size);
  virtual void* Reallocate(void* block, std::size_t size);
  virtual void Free(void* block);
};

}  // namespace vadro
