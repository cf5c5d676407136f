#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/thread_platform.h"
#include "base/worker_thread.h"

namespace vadro {
namespace {

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
