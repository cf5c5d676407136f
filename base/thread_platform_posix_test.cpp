#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "base/worker_thread.h"
#include "tests/support/worker_thread_fixture.h"

namespace vadro {
namespace {

using PosixWorkerThread = WorkerThreadFixture;

TEST_F(PosixWorkerThread, PumpMessagesHasNoQueueAndReturnsAtOnce) {
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
TEST_F(PosixWorkerThread, DestructionRacingTheThreadsOwnEndEndsEachThreadOnce) {
  const std::uint32_t cycles = 300;
  for (std::uint32_t i = 0; i < cycles; ++i) {
    auto worker = std::make_unique<ShortWorker>();
    worker->Start();
    while (!worker->entered.load()) std::this_thread::yield();
    if (i % 3 == 0) worker->Stop();
    worker.reset();
  }
  EXPECT_EQ(Closed() + Terminated(), cycles);
  EXPECT_GE(Closed(), cycles / 3);
}

}  // namespace
}  // namespace vadro
