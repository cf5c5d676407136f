#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "base/heap.h"
#include "base/thread_platform.h"
#include "base/worker_thread.h"
#include "tests/support/double_byte_encoding.h"

namespace vadro {
namespace test_support {

namespace {
std::string savedLocale;
}  // namespace

bool SelectDoubleByteEncoding(DoubleByteChar* sample) {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  savedLocale = current != nullptr ? current : "C";
  // The first of these locales that the system has becomes the current one.
  const char* const names[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"};
  const char* const* selected = std::find_if(std::begin(names), std::end(names), [](const char* name) {
    return std::setlocale(LC_CTYPE, name) != nullptr;
  });
  if (selected == std::end(names)) return false;
  *sample = {0xC3, 0xA9};  // U+00E9, e with acute accent
  return true;
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

// Returns as soon as it has begun, so that its end races the owner's destruction.
class ShortWorker : public WorkerThread {
 public:
  std::int32_t Run() override {
    entered.store(true);
    return 3;
  }
  std::atomic<bool> entered{false};
};

// Each destruction finds the thread either ended (joined and closed) or not yet (cancelled,
// joined and freed), whichever comes first; a forced end is only safe this way on POSIX, where
// it waits for a cancellation point. Under the sanitizers no control block may leak. (The owner
// waits until Run has begun: destroying the object while the new thread is still calling Run
// would race that virtual call.)
TEST(PosixWorkerThread, DestructionRacingTheThreadsOwnEndEndsEachThreadOnce) {
  std::uint32_t closedBefore = thread_platform::closedHandleCount.load();
  std::uint32_t terminatedBefore = thread_platform::terminatedThreadCount.load();
  const std::uint32_t cycles = 300;
  for (std::uint32_t i = 0; i < cycles; ++i) {
    auto worker = std::make_unique<ShortWorker>();
    worker->Start();
    while (!worker->entered.load()) std::this_thread::yield();
    if (i % 3 == 0) worker->Stop();
    worker.reset();
  }
  std::uint32_t closed = thread_platform::closedHandleCount.load() - closedBefore;
  std::uint32_t terminated = thread_platform::terminatedThreadCount.load() - terminatedBefore;
  EXPECT_EQ(closed + terminated, cycles);
  EXPECT_GE(closed, cycles / 3);
}

}  // namespace
}  // namespace vadro
