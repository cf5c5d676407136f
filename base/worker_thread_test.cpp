#include "base/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include "base/sleep.h"
#include "base/thread_platform.h"
#include "tests/support/worker_thread_fixture.h"

namespace vadro {
namespace {

using WorkerThreadTest = WorkerThreadFixture;

// Returns `result` at once.
class QuickWorker : public WorkerThread {
 public:
  explicit QuickWorker(std::int32_t result) : result(result) {}
  std::int32_t Run() override {
    finished.store(true);
    return result;
  }
  std::int32_t result;
  std::atomic<bool> finished{false};
};

// Polls its stop flag between sleeps, as the program's workers do.
class PollingWorker : public WorkerThread {
 public:
  std::int32_t Run() override {
    started.store(true);
    while (!StopRequested()) SleepMs(10);
    finished.store(true);
    return 7;
  }
  std::atomic<bool> started{false};
  std::atomic<bool> finished{false};
};

std::uint32_t ExitCodeOf(const WorkerThread& worker) {
  std::uint32_t code = 0;
  EXPECT_TRUE(thread_platform::GetExitCode(worker.Handle(), &code));
  return code;
}

TEST_F(WorkerThreadTest, StopOfAnObjectNeverStartedOnlySetsTheFlag) {
  {
    PollingWorker worker;
    EXPECT_FALSE(worker.StopRequested());
    worker.Stop();
    EXPECT_TRUE(worker.StopRequested());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.Handle(), nullptr);
    EXPECT_EQ(worker.ThreadId(), 0u);
  }
  EXPECT_EQ(Closed(), 0u);
  EXPECT_EQ(Terminated(), 0u);
}

TEST_F(WorkerThreadTest, ExitCodeIsTheResultOfRunAndStopAfterItReturnsAtOnce) {
  {
    QuickWorker worker(42);
    worker.Start();
    ASSERT_NE(worker.Handle(), nullptr);
    EXPECT_NE(worker.ThreadId(), 0u);
    EXPECT_NE(worker.ThreadId(), thread_platform::CurrentThreadId());
    while (worker.IsRunning()) SystemSleep(1);
    EXPECT_TRUE(worker.finished.load());
    EXPECT_EQ(ExitCodeOf(worker), 42u);
    worker.Stop();
    EXPECT_EQ(ExitCodeOf(worker), 42u);  // Stop does not close the handle
  }
  EXPECT_EQ(Closed(), 1u);
  EXPECT_EQ(Terminated(), 0u);

  {
    WorkerThread base;
    base.Start();
    base.Stop();
    EXPECT_EQ(ExitCodeOf(base), 0u);
  }
  EXPECT_EQ(Closed(), 2u);
}

TEST_F(WorkerThreadTest, StopWaitsForRunThenDestructionClosesOnceAndTerminatesNothing) {
  {
    PollingWorker worker;
    worker.Start();
    WaitUntil(worker.started);
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(ExitCodeOf(worker), WorkerThread::kStillActive);
    worker.Stop();
    EXPECT_TRUE(worker.finished.load());
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(ExitCodeOf(worker), 7u);
  }
  EXPECT_EQ(Closed(), 1u);
  EXPECT_EQ(Terminated(), 0u);
}

TEST_F(WorkerThreadTest, DestructionWhileRunningTerminatesTheThread) {
  auto* worker = new PollingWorker;
  worker->Start();
  WaitUntil(worker->started);
  delete worker;
  EXPECT_EQ(Terminated(), 1u);
  EXPECT_EQ(Closed(), 0u);
}

TEST_F(WorkerThreadTest, AttachedObjectLeavesItsThreadAlone) {
  {
    WorkerThread app;
    app.AttachToCurrentThread();
    EXPECT_EQ(app.Handle(), thread_platform::CurrentThreadPseudoHandle());
    EXPECT_EQ(app.ThreadId(), thread_platform::CurrentThreadId());
    EXPECT_NE(app.ThreadId(), 0u);
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(app.Run(), 0);
  }
  EXPECT_EQ(Closed(), 0u);
  EXPECT_EQ(Terminated(), 0u);
}

// Destroys itself from its own thread: that thread must neither wait for nor kill itself.
class SelfDestroyingWorker : public WorkerThread {
 public:
  explicit SelfDestroyingWorker(std::atomic<bool>* done) : done(done) {}
  std::int32_t Run() override {
    while (!started.load()) SystemSleep(1);  // until the owner has stored the handle
    std::atomic<bool>* flag = done;
    delete this;
    flag->store(true);
    return 0;
  }
  std::atomic<bool>* done;
  std::atomic<bool> started{false};
};

TEST_F(WorkerThreadTest, DestructionOnItsOwnThreadDoesNothing) {
  std::atomic<bool> done{false};
  auto* worker = new SelfDestroyingWorker(&done);
  worker->Start();
  ThreadHandle handle = worker->Handle();
  worker->started.store(true);
  WaitUntil(done);
  EXPECT_EQ(Closed(), 0u);
  EXPECT_EQ(Terminated(), 0u);
  // The handle that the destruction left open; closing it here waits for the thread's end.
  thread_platform::CloseHandle(handle);
}

TEST(Sleep, InstalledFunctionReplacesTheSystemSleep) {
  static std::uint32_t slept;
  slept = 0;
  SleepFunction previous = SetSleepFunction([](std::uint32_t ms) { slept += ms; });
  SleepMs(5000);
  SleepMs(250);
  EXPECT_EQ(slept, 5250u);
  EXPECT_NE(SetSleepFunction(previous), nullptr);
}

}  // namespace
}  // namespace vadro
