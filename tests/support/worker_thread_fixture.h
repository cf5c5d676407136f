// Test fixture for WorkerThread: counts the threads that destructions closed and terminated since
// the test started, and puts the fake clock in place of the program's sleep so that workers poll
// without waiting for real.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "base/sleep.h"
#include "base/worker_thread.h"
#include "tests/support/fake_clock.h"

namespace vadro {

class WorkerThreadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    closed = 0;
    terminated = 0;
    previousObserver = SetThreadEndingObserver(Count);
  }
  void TearDown() override { SetThreadEndingObserver(previousObserver); }

  static std::uint32_t Closed() { return closed.load(); }
  static std::uint32_t Terminated() { return terminated.load(); }

  static void WaitUntil(const std::atomic<bool>& flag) {
    while (!flag.load()) SystemSleep(1);
  }

 private:
  static void Count(ThreadEnding ending) {
    (ending == ThreadEnding::kClosed ? closed : terminated).fetch_add(1);
  }

  static inline std::atomic<std::uint32_t> closed{0};
  static inline std::atomic<std::uint32_t> terminated{0};
  ThreadEndingObserver previousObserver = nullptr;
  FakeClock clock;
};

}  // namespace vadro
