// WorkerThread under load: hundreds of start/stop and destroy-while-running cycles, with other
// threads busy on the process heap meanwhile. Run under ThreadSanitizer and AddressSanitizer these
// also prove that no worker touches its object after Stop or destruction has returned.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "base/heap_string.h"
#include "base/sleep.h"
#include "base/thread_platform.h"
#include "base/worker_thread.h"
#include "tests/support/worker_thread_fixture.h"

namespace vadro {
namespace {

// Threads that grow and drop strings on the process heap until destroyed: the load under which
// the cycles run.
class HeapLoad {
 public:
  explicit HeapLoad(int threadCount) {
    for (int i = 0; i < threadCount; ++i) {
      threads.emplace_back([this] {
        while (!done.load()) {
          HeapString text;
          for (int k = 0; k < 64; ++k) text.AppendChar(static_cast<char>('a' + k % 26));
          HeapString copy = text.Mid(3, 40);
          rounds.fetch_add(copy.Length() == 40 ? 1 : 0);
        }
      });
    }
  }
  HeapLoad(const HeapLoad&) = delete;
  HeapLoad& operator=(const HeapLoad&) = delete;
  ~HeapLoad() {
    done.store(true);
    for (std::thread& thread : threads) thread.join();
  }
  std::uint64_t Rounds() const { return rounds.load(); }

 private:
  std::atomic<bool> done{false};
  std::atomic<std::uint64_t> rounds{0};
  std::vector<std::thread> threads;
};

using WorkerThreadStressTest = WorkerThreadFixture;

// Works on the process heap between polls of its stop flag, as a busy worker would.
class BusyWorker : public WorkerThread {
 public:
  std::int32_t Run() override {
    started.store(true);
    while (!StopRequested()) {
      text.AppendChar('x');
      if (text.Length() > 200) text.Empty();
      SleepMs(10);
    }
    finished.store(true);
    return 5;
  }
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
  HeapString text;
};

// Only polls its stop flag: a forced end may come at any of its sleeps.
class IdleWorker : public WorkerThread {
 public:
  std::int32_t Run() override {
    started.store(true);
    while (!StopRequested()) SleepMs(10);
    return 0;
  }
  std::atomic<bool> started{false};
};

TEST_F(WorkerThreadStressTest, HundredsOfStartStopCyclesEachEndTheirRunAndCloseOnce) {
  HeapLoad load(2);
  const int cycles = 300;
  for (int i = 0; i < cycles; ++i) {
    BusyWorker worker;
    worker.Start();
    ASSERT_NE(worker.Handle(), nullptr) << "cycle " << i;
    // Every other cycle stops the worker before it may even have begun its Run.
    if (i % 2 == 0) {
      while (!worker.started.load()) SystemSleep(0);
    }
    worker.Stop();
    ASSERT_FALSE(worker.IsRunning()) << "cycle " << i;
    std::uint32_t code = 0;
    ASSERT_TRUE(thread_platform::GetExitCode(worker.Handle(), &code));
    ASSERT_EQ(code, 5u) << "cycle " << i;
    ASSERT_TRUE(worker.finished.load()) << "cycle " << i;
  }
  EXPECT_EQ(Closed(), static_cast<std::uint32_t>(cycles));
  EXPECT_EQ(Terminated(), 0u);
  EXPECT_GT(load.Rounds(), 0u);
}

TEST_F(WorkerThreadStressTest, SeveralWorkersAtOnceStopInAnyOrder) {
  HeapLoad load(1);
  const int rounds = 60;
  const int perRound = 4;
  for (int round = 0; round < rounds; ++round) {
    std::vector<std::unique_ptr<BusyWorker>> workers;
    for (int k = 0; k < perRound; ++k) {
      workers.push_back(std::make_unique<BusyWorker>());
      workers.back()->Start();
    }
    // Stopped last to first, then first to last, round by round.
    for (int k = 0; k < perRound; ++k) {
      BusyWorker& worker = *workers[static_cast<std::size_t>(round % 2 == 0 ? perRound - 1 - k : k)];
      worker.Stop();
      ASSERT_TRUE(worker.finished.load()) << "round " << round;
    }
  }
  EXPECT_EQ(Closed(), static_cast<std::uint32_t>(rounds * perRound));
  EXPECT_EQ(Terminated(), 0u);
}

TEST_F(WorkerThreadStressTest, HundredsOfDestructionsWhileRunningEndEveryThread) {
  HeapLoad load(2);
  const int cycles = 200;
  for (int i = 0; i < cycles; ++i) {
    auto worker = std::make_unique<IdleWorker>();
    worker->Start();
    while (!worker->started.load()) SystemSleep(0);
    worker.reset();  // terminates the thread, which must then never run on the freed object
  }
  EXPECT_EQ(Terminated(), static_cast<std::uint32_t>(cycles));
  EXPECT_EQ(Closed(), 0u);
}

}  // namespace
}  // namespace vadro
