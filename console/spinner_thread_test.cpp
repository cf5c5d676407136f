#include "console/spinner_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "console/console_out.h"
#include "tests/support/fake_clock.h"
#include "tests/support/screen_model.h"

namespace vadro {
namespace {

class SpinnerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { screen.Print("CD N25 (1:25) selecting: "); }

  // Runs the spinner on this thread, asking it to stop once the clock has reached `stopAtMs`, and
  // returns the frames it showed, one per change of the cell.
  std::string RunUntil(SpinnerThread& spinner, std::uint64_t stopAtMs) {
    std::string frames;
    FakeClock::OnSleep([&](std::uint64_t now) {
      char shown = screen.CodeAt(kCell);
      if (frames.empty() || frames.back() != shown) frames += shown;
      if (now >= stopAtMs) spinner.Stop();  // not started: only sets the flag
    });
    EXPECT_EQ(spinner.Run(), 0);
    return frames;
  }

  static constexpr CellPosition kCell = {25, 0};
  FakeClock clock;
  InstalledScreenModel screen;
};

TEST_F(SpinnerThreadTest, StoppedWithinTheFirstFrameLeavesTheBar) {
  SpinnerThread spinner(0);
  RunUntil(spinner, 130);
  EXPECT_EQ(screen.Line(0), "CD N25 (1:25) selecting: |");
  EXPECT_EQ(screen.Cursor(), kCell);
  EXPECT_EQ(FakeClock::Now(), 130u);  // the stop is noticed before the next wait
}

TEST_F(SpinnerThreadTest, TurnsOneFrameEvery140Milliseconds) {
  SpinnerThread spinner(0);
  EXPECT_EQ(RunUntil(spinner, 1120), "|/-\\|/-\\");
  EXPECT_EQ(FakeClock::Sleeps(), 112u);  // 14 waits of 10 ms a frame
  EXPECT_EQ(screen.CodeAt(kCell), '\\');
}

TEST_F(SpinnerThreadTest, EveryTurnStartsAtTheFirstFrame) {
  SpinnerThread spinner(2);
  EXPECT_EQ(RunUntil(spinner, 560), "-\\-\\");
}

TEST_F(SpinnerThreadTest, StoppedBeforeItRunsDrawsNothing) {
  SpinnerThread spinner(0);
  spinner.Stop();
  EXPECT_EQ(spinner.Run(), 0);
  EXPECT_EQ(screen.Line(0), "CD N25 (1:25) selecting:");
  EXPECT_EQ(FakeClock::Sleeps(), 0u);
}

TEST_F(SpinnerThreadTest, WithoutCursorReportItTurnsAtTopLeft) {
  screen.FailScreenInfo(true);
  SpinnerThread spinner(0);
  RunUntil(spinner, 10);
  EXPECT_EQ(screen.Line(0), "|D N25 (1:25) selecting:");
}

TEST_F(SpinnerThreadTest, OnItsOwnThreadItTurnsAtTheCursorUntilStopped) {
  SpinnerThread spinner(0);
  spinner.Start();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (FakeClock::Now() < 2000 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  spinner.Stop();
  EXPECT_FALSE(spinner.IsRunning());
  EXPECT_GE(FakeClock::Now(), 2000u);
  std::string frames(SpinnerFrames, 4);
  EXPECT_NE(frames.find(screen.CodeAt(kCell)), std::string::npos);
  EXPECT_EQ(screen.Cursor(), kCell);
}

}  // namespace
}  // namespace vadro
