#include "device/led_flasher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/sleep.h"
#include "device/device_library_ref.h"
#include "tests/support/fake_clock.h"
#include "tests/support/simulated_device_fixture.h"

namespace vadro {
namespace {

// The flasher sleeps on the fake clock. As each sleep begins, the number of indicator calls in the
// simulator's trace is noted, which dates each call on the fake clock. The sleep that begins at
// `parkAtMs` waits (in real time) until the flasher is asked to stop, so that a test stops the
// flasher at a chosen point of its blinking; that sleep and every later one then take their time
// as before, so a flasher that goes on waiting after the stop moves the clock on.
class LedFlasherTest : public SimulatedDeviceTest {
 protected:
  void SetUp() override {
    SimulatedDeviceTest::SetUp();
    SetVariable("USBCD_SIM_DEVICES", "3,7");
    library = std::make_unique<DeviceLibraryRef>();
    clock = std::make_unique<FakeClock>();
    FakeClock::BeforeSleep([this](std::uint64_t now) { AtSleep(now); });
  }
  void TearDown() override {
    clock.reset();
    library.reset();
    SimulatedDeviceTest::TearDown();
  }

  void AtSleep(std::uint64_t now) {
    std::size_t calls = CallsOf("LED").size();
    {
      std::lock_guard<std::mutex> guard(lock);
      while (callTimes.size() < calls) callTimes.push_back(now);
    }
    std::int64_t parkAt = parkAtMs;
    if (parkAt >= 0 && now >= static_cast<std::uint64_t>(parkAt)) {
      parkAtMs = -1;
      parked = true;
      while (!flasher.load()->StopRequested()) SystemSleep(1);
    }
  }

  // Blinks device 7 until the fake clock reaches `stopAtMs`, then stops the flasher.
  void BlinkUntil(std::int64_t stopAtMs) {
    LedFlasher blinking(7);
    flasher = &blinking;
    parkAtMs = stopAtMs;
    blinking.Start();
    while (!parked) SystemSleep(1);
    blinking.Stop();
    EXPECT_FALSE(blinking.IsRunning());
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

  std::unique_ptr<DeviceLibraryRef> library;
  std::unique_ptr<FakeClock> clock;
  std::atomic<std::int64_t> parkAtMs{-1};
  std::atomic<bool> parked{false};
  std::atomic<LedFlasher*> flasher{nullptr};
  std::mutex lock;
  std::vector<std::uint64_t> callTimes;  // fake time of each indicator call, in order
};

TEST_F(LedFlasherTest, StoppedBeforeItStartsTouchesNoIndicator) {
  LedFlasher flasher(7);
  flasher.Stop();
  flasher.Start();
  flasher.Stop();  // waits for the thread's end
  EXPECT_FALSE(flasher.IsRunning());
  EXPECT_TRUE(CallsOf("LED").empty());
  EXPECT_EQ(FakeClock::Now(), 0u);
}

TEST_F(LedFlasherTest, StoppedInAnOnPhaseSwitchesOffOnceAndEnds) {
  BlinkUntil(1250);
  EXPECT_EQ(Pattern(), "NFNF");
  EXPECT_EQ(FakeClock::Now(), 1260u) << "the stop is seen at the end of the wait it came in";
}

TEST_F(LedFlasherTest, StoppedInAnOffPhaseEndsWithoutAnotherCall) {
  BlinkUntil(9750);
  EXPECT_EQ(Pattern(), "NFNFNFNFNFNFNFNFNFNF");
  EXPECT_EQ(FakeClock::Now(), 9760u);
}

TEST_F(LedFlasherTest, StoppedRightAfterSwitchingOnStillSwitchesOff) {
  BlinkUntil(0);
  EXPECT_EQ(Pattern(), "NF");
  EXPECT_EQ(FakeClock::Now(), 10u);
}

TEST_F(LedFlasherTest, BlinksOnceASecondOnForHalfOfIt) {
  BlinkUntil(5250);
  ASSERT_EQ(Pattern(), "NFNFNFNFNFNF");
  std::lock_guard<std::mutex> guard(lock);
  // On at 0, 1000, ... and off at 500, 1500, ...; the last off is the stop's, at once.
  std::vector<std::uint64_t> expected{0, 500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000};
  ASSERT_GE(callTimes.size(), expected.size());
  callTimes.resize(expected.size());
  EXPECT_EQ(callTimes, expected);
}

}  // namespace
}  // namespace vadro
