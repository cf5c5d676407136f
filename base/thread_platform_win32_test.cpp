#include <windows.h>

#include <gtest/gtest.h>

#include "base/worker_thread.h"

namespace vadro {
namespace {

TEST(Win32WorkerThread, PumpMessagesEndsWithTheQuitCode) {
  PostQuitMessage(5);
  WorkerThread worker;
  EXPECT_EQ(worker.PumpMessages(), 5);
}

}  // namespace
}  // namespace vadro
