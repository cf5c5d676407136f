// Test fixture for WorkerThread: counts the handles closed and threads terminated since the test
// started, and replaces the program's sleep so that workers poll without waiting for real.
#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>

#include "base/sleep.h"
#include "base/thread_platform.h"

namespace vadro {

class WorkerThreadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    closedBefore = thread_platform::closedHandleCount.load();
    terminatedBefore = thread_platform::terminatedThreadCount.load();
    previousSleep = SetSleepFunction([](std::uint32_t) { SystemSleep(0); });
  }
  void TearDown() override { SetSleepFunction(previousSleep); }

  std::uint32_t Closed() const { return thread_platform::closedHandleCount.load() - closedBefore; }
  std::uint32_t Terminated() const {
    return thread_platform::terminatedThreadCount.load() - terminatedBefore;
  }

  static void WaitUntil(const std::atomic<bool>& flag) {
    while (!flag.load()) SystemSleep(1);
  }

  std::uint32_t closedBefore = 0;
  std::uint32_t terminatedBefore = 0;
  SleepFunction previousSleep = nullptr;
};

}  // namespace vadro
