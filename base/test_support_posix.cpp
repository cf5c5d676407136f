#include <gtest/gtest.h>

#include <clocale>
#include <new>
#include <string>

#include "base/heap.h"
#include "base/test_support.h"
#include "base/worker_thread.h"

namespace vadro {
namespace test_support {

namespace {
std::string savedLocale;
}  // namespace

bool SelectDoubleByteEncoding(DoubleByteChar* sample) {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  savedLocale = current != nullptr ? current : "C";
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr) {
      *sample = {0xC3, 0xA9};  // U+00E9, e with acute accent
      return true;
    }
  }
  return false;
}

void RestoreEncoding() { std::setlocale(LC_CTYPE, savedLocale.c_str()); }

}  // namespace test_support

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

TEST(PosixWorkerThread, PumpMessagesHasNoQueueAndReturnsAtOnce) {
  WorkerThread worker;
  EXPECT_EQ(worker.PumpMessages(), 0);
}

}  // namespace
}  // namespace vadro
