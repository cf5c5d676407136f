#include "device/led_flasher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/sleep.h"
#include "device/device_library_ref.h"
#include "tests/support/simulator_test.h"

namespace vadro {
namespace {

// A fake clock behind SleepMs: each sleep of the flasher advances it at once. The sleep that
// begins at `parkAtMs` waits (in real time) until the flasher is asked to stop, so that a test
// stops the flasher at a chosen point of its blinking; that sleep and every later one then take
// their time as before, so a flasher that goes on waiting after the stop moves the clock on. At
// every sleep the number of indicator calls in the simulator's trace is noted, which dates each
// call on the fake clock.
struct FakeClock {
  std::atomic<std::int64_t> nowMs{0};
  std::atomic<std::int64_t> parkAtMs{-1};
  std::atomic<bool> parked{false};
  std::atomic<LedFlasher*> flasher{nullptr};
  std::mutex lock;
  std::vector<std::int64_t> callTimes;  // fake time of each indicator call, in order
  const SimulatorTest* trace = nullptr;
};
FakeClock* fakeClock = nullptr;

void FakeSleep(std::uint32_t milliseconds) {
  FakeClock& clock = *fakeClock;
  {
    std::size_t calls = clock.trace->CallsOf("LED").size();
    std::lock_guard<std::mutex> guard(clock.lock);
    while (clock.callTimes.size() < calls) clock.callTimes.push_back(clock.nowMs);
  }
  std::int64_t parkAt = clock.parkAtMs;
  if (parkAt >= 0 && clock.nowMs >= parkAt) {
    clock.parkAtMs = -1;
    clock.parked = true;
    while (!clock.flasher.load()->StopRequested()) SystemSleep(1);
  }
  clock.nowMs += milliseconds;
}

class LedFlasherTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    SetVariable("USBCD_SIM_DEVICES", "3,7");
    library = std::make_unique<DeviceLibraryRef>();
    clock.trace = this;
    fakeClock = &clock;
    previousSleep = SetSleepFunction(FakeSleep);
  }
  void TearDown() override {
    SetSleepFunction(previousSleep);
    fakeClock = nullptr;
    library.reset();
    SimulatorTest::TearDown();
  }

  // Blinks device 7 until the fake clock reaches `stopAtMs`, then stops the flasher.
  void BlinkUntil(std::int64_t stopAtMs) {
    LedFlasher flasher(7);
    clock.flasher = &flasher;
    clock.parkAtMs = stopAtMs;
    flasher.Start();
    while (!clock.parked) SystemSleep(1);
    flasher.Stop();
    EXPECT_FALSE(flasher.IsRunning());
  }

  // The indicator calls for device 7 as 'N' (on) and 'F' (off).
  std::string Pattern() const {
    std::string pattern;
    for (const std::string& call : CallsOf("LED")) {
      if (call == "USBCDLEDON 7 = 0") {
        pattern += 'N';
      } else if (call == "USBCDLEDOFF 7 = 0") {
        pattern += 'F';
      } else {
        ADD_FAILURE() << "unexpected call " << call;
      }
    }
    return pattern;
  }

  FakeClock clock;
  std::unique_ptr<DeviceLibraryRef> library;
  SleepFunction previousSleep = nullptr;
};

TEST_F(LedFlasherTest, StoppedBeforeItStartsTouchesNoIndicator) {
  LedFlasher flasher(7);
  flasher.Stop();
  flasher.Start();
  flasher.Stop();  // waits for the thread's end
  EXPECT_FALSE(flasher.IsRunning());
  EXPECT_TRUE(CallsOf("LED").empty());
  EXPECT_EQ(clock.nowMs, 0);
}

TEST_F(LedFlasherTest, StoppedInAnOnPhaseSwitchesOffOnceAndEnds) {
  BlinkUntil(1250);
  EXPECT_EQ(Pattern(), "NFNF");
  EXPECT_EQ(clock.nowMs, 1260) << "the stop is seen at the end of the wait it came in";
}

TEST_F(LedFlasherTest, StoppedInAnOffPhaseEndsWithoutAnotherCall) {
  BlinkUntil(9750);
  EXPECT_EQ(Pattern(), "NFNFNFNFNFNFNFNFNFNF");
  EXPECT_EQ(clock.nowMs, 9760);
}

TEST_F(LedFlasherTest, StoppedRightAfterSwitchingOnStillSwitchesOff) {
  BlinkUntil(0);
  EXPECT_EQ(Pattern(), "NF");
  EXPECT_EQ(clock.nowMs, 10);
}

TEST_F(LedFlasherTest, BlinksOnceASecondOnForHalfOfIt) {
  BlinkUntil(5250);
  ASSERT_EQ(Pattern(), "NFNFNFNFNFNF");
  std::lock_guard<std::mutex> guard(clock.lock);
  // On at 0, 1000, ... and off at 500, 1500, ...; the last off is the stop's, at once.
  std::vector<std::int64_t> expected{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000};
  ASSERT_GE(clock.callTimes.size(), expected.size());
  clock.callTimes.resize(expected.size());
  EXPECT_EQ(clock.callTimes, expected);
}

}  // namespace
}  // namespace vadro
