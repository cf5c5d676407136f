#include "sim/carousel_sim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/environment.h"
#include "tests/support/simulator_fixture.h"

namespace vadro {
namespace sim {
namespace {

using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Each test starts from a clean environment with devices 3 and 7 and a fresh trace file.
class CarouselSimTest : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    SetVariable("USBCD_SIM_DEVICES", "3,7");
  }

  CarouselSim sim;
};

TEST_F(CarouselSimTest, TraceWritesEveryCallWithArgumentsAndResult) {
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.DeviceCount(), 2);
  EXPECT_EQ(sim.Enum(0), 3);
  EXPECT_EQ(sim.Enum(1), 7);
  EXPECT_EQ(sim.Enum(2), kInvalid);
  EXPECT_EQ(sim.Enum(-1), kInvalid);
  EXPECT_EQ(sim.SetCallback(nullptr), 0);
  EXPECT_EQ(sim.Moveto(7, 36), 0);
  EXPECT_EQ(sim.Close(), 0);
  // Calls after the close are still written, so that a trace shows them.
  EXPECT_EQ(sim.Status(7), kInvalid);
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"InitUSBCDLibrary = 0", "GetDeviceNumber = 2", "EnumDevice 0 = 3",
                                      "EnumDevice 1 = 7", "EnumDevice 2 = -1", "EnumDevice -1 = -1",
                                      "SetCDCallbackProc = 0", "USBCDMoveto 7 36 = 0",
                                      "CloseUSBCDLibrary = 0", "USBCDGetStatus 7 = -1"}));
}

TEST_F(CarouselSimTest, TraceTimesCountFromInit) {
  ASSERT_EQ(sim.Init(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  sim.DeviceCount();
  sim.Close();
  std::ifstream in(tracePath, std::ios::binary);
  std::int64_t initMs = -1;
  std::int64_t laterMs = -1;
  std::string rest;
  in >> initMs;
  std::getline(in, rest);
  in >> laterMs;
  EXPECT_LE(initMs, 5);
  EXPECT_GE(laterMs, 120);
  EXPECT_LT(laterMs, 5000);
}

TEST_F(CarouselSimTest, ClosedLibraryAndSecondInit) {
  EXPECT_EQ(sim.DeviceCount(), kInvalid);
  EXPECT_EQ(sim.Close(), kInvalid);
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Init(), kInvalid);
  EXPECT_EQ(sim.DeviceCount(), 2);
  sim.Close();
  EXPECT_EQ(sim.Moveto(3, 1), kInvalid);
  EXPECT_EQ(sim.LedOn(3), kInvalid);
  EXPECT_EQ(sim.SetCallback(nullptr), kInvalid);
}

TEST_F(CarouselSimTest, DefaultAndEmptyDeviceSets) {
  SetTestEnv("USBCD_SIM_DEVICES", nullptr);
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.DeviceCount(), 2);
  sim.Close();
  SetTestEnv("USBCD_SIM_DEVICES", "");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.DeviceCount(), 0);
  EXPECT_EQ(sim.Enum(0), kInvalid);
  sim.Close();
}

TEST_F(CarouselSimTest, MoveTimingStatusThenDiscDown) {
  SetTestEnv("USBCD_SIM_MOVE_MS", "250");
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "250");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Status(3), 0);
  EXPECT_EQ(sim.CDDown(3), 0) << "no move yet: the disc is down";
  Clock::time_point start = Clock::now();
  ASSERT_EQ(sim.Moveto(3, 150), 0);
  EXPECT_EQ(sim.Status(3), kBusy);
  EXPECT_EQ(sim.CDDown(3), kBusy);
  EXPECT_EQ(sim.Moveto(3, 2), kBusy) << "a moving device refuses a new move";
  EXPECT_EQ(sim.Status(7), 0) << "the other device is not moving";
  while (sim.Status(3) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::int64_t readyMs = MsSince(start);
  while (sim.CDDown(3) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::int64_t downMs = MsSince(start);
  EXPECT_GE(readyMs, 250);
  EXPECT_GE(downMs, 500);
  EXPECT_LT(downMs, 5000);
  EXPECT_EQ(sim.Moveto(3, 1), 0) << "ready again";
  sim.Close();
}

TEST_F(CarouselSimTest, InstantMovesWithZeroTimes) {
  SetTestEnv("USBCD_SIM_MOVE_MS", "0");
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "0");
  ASSERT_EQ(sim.Init(), 0);
  ASSERT_EQ(sim.Moveto(7, 1), 0);
  EXPECT_EQ(sim.Status(7), 0);
  EXPECT_EQ(sim.CDDown(7), 0);
  EXPECT_EQ(sim.Moveto(7, 2), 0);
  sim.Close();
}

TEST_F(CarouselSimTest, InvalidDevicesAndSlots) {
  SetTestEnv("USBCD_SIM_MOVE_MS", "0");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Moveto(3, 0), kInvalid);
  EXPECT_EQ(sim.Moveto(3, 151), kInvalid);
  EXPECT_EQ(sim.Moveto(3, 1), 0);
  EXPECT_EQ(sim.Moveto(3, 150), 0);
  for (std::int32_t stranger : {0, 4, -1}) {
    EXPECT_EQ(sim.Moveto(stranger, 1), kInvalid);
    EXPECT_EQ(sim.Status(stranger), kInvalid);
    EXPECT_EQ(sim.CDDown(stranger), kInvalid);
    EXPECT_EQ(sim.Reset(stranger), kInvalid);
    EXPECT_EQ(sim.LedOn(stranger), kInvalid);
    EXPECT_EQ(sim.LedOff(stranger), kInvalid);
  }
  sim.Close();
}

TEST_F(CarouselSimTest, FirstMovesAreRefused) {
  SetTestEnv("USBCD_SIM_REFUSE_MOVES", "2");
  SetTestEnv("USBCD_SIM_MOVE_MS", "0");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Moveto(3, 5), kRefused);
  EXPECT_EQ(sim.Moveto(7, 5), kRefused);
  EXPECT_EQ(sim.Moveto(3, 5), 0);
  sim.Close();
  // Counted afresh from each Init.
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Moveto(3, 5), kRefused);
  sim.Close();
}

TEST_F(CarouselSimTest, HangKeepsOneCallFromAnsweringZero) {
  SetTestEnv("USBCD_SIM_MOVE_MS", "0");
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "0");
  SetTestEnv("USBCD_SIM_HANG", "status");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Status(3), kBusy);
  EXPECT_EQ(sim.Moveto(3, 9), 0);
  EXPECT_EQ(sim.CDDown(3), 0);
  sim.Close();

  SetTestEnv("USBCD_SIM_HANG", "move");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.Status(3), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(sim.Moveto(3, 9), kRefused);
  sim.Close();

  SetTestEnv("USBCD_SIM_HANG", "cddown");
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.CDDown(3), kBusy);
  EXPECT_EQ(sim.Moveto(3, 9), 0);
  EXPECT_EQ(sim.Status(3), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(sim.CDDown(3), kBusy);
  sim.Close();
}

TEST_F(CarouselSimTest, IndicatorStateIsKeptPerDevice) {
  ASSERT_EQ(sim.Init(), 0);
  EXPECT_EQ(sim.LedOn(3), 0);
  EXPECT_TRUE(sim.LedIsOn(3));
  EXPECT_FALSE(sim.LedIsOn(7));
  EXPECT_EQ(sim.LedOn(7), 0);
  EXPECT_EQ(sim.LedOff(3), 0);
  EXPECT_FALSE(sim.LedIsOn(3));
  EXPECT_TRUE(sim.LedIsOn(7));
  EXPECT_EQ(sim.Reset(7), 0);
  EXPECT_FALSE(sim.LedIsOn(7));
  sim.Close();
}

TEST_F(CarouselSimTest, AResetTakesItsTimeWhileOtherCallsAreAnswered) {
  SetTestEnv("USBCD_SIM_RESET_MS", "400");
  ASSERT_EQ(sim.Init(), 0);
  Clock::time_point start = Clock::now();
  std::thread other([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    sim.LedOn(3);
  });
  EXPECT_EQ(sim.Reset(3), 0);
  other.join();
  EXPECT_GE(MsSince(start), 400);
  EXPECT_FALSE(sim.LedIsOn(3)) << "the reset ends with the indicator off";
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"InitUSBCDLibrary = 0", "USBCDLEDON 3 = 0", "USBCDReset 3 = 0"}));
  sim.Close();
}

// The plug tests' callback records what the simulator reports and reads the set it reports.
CarouselSim* callbackSim = nullptr;
std::mutex seenLock;
std::vector<std::vector<std::int32_t>> seen;
bool closeFromCallback = false;

void VADRO_VENDOR_CALL RecordChange(std::int32_t count) {
  std::vector<std::int32_t> ids;
  ids.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (std::int32_t i = 0; i < count; ++i) ids.push_back(callbackSim->Enum(i));
  if (closeFromCallback) callbackSim->Close();
  std::lock_guard<std::mutex> guard(seenLock);
  seen.push_back(ids);
}

std::size_t SeenCount() {
  std::lock_guard<std::mutex> guard(seenLock);
  return seen.size();
}

class CarouselSimPlugTest : public CarouselSimTest {
 protected:
  void SetUp() override {
    CarouselSimTest::SetUp();
    callbackSim = &sim;
    closeFromCallback = false;
    std::lock_guard<std::mutex> guard(seenLock);
    seen.clear();
  }
  static bool WaitForChanges(std::size_t count) {
    Clock::time_point start = Clock::now();
    while (SeenCount() < count) {
      if (MsSince(start) > 10000) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

TEST_F(CarouselSimPlugTest, ScheduleChangesTheSetAndCallsBack) {
  SetTestEnv("USBCD_SIM_PLUG", "40:5;80:;120:9,8,9");
  ASSERT_EQ(sim.Init(), 0);
  ASSERT_EQ(sim.SetCallback(RecordChange), 0);
  ASSERT_TRUE(WaitForChanges(3));
  {
    std::lock_guard<std::mutex> guard(seenLock);
    EXPECT_EQ(seen, (std::vector<std::vector<std::int32_t>>{{5}, {}, {9, 8, 9}}));
  }
  EXPECT_EQ(sim.DeviceCount(), 3);
  EXPECT_EQ(sim.Status(3), kInvalid) << "device 3 was unplugged";
  EXPECT_EQ(sim.Status(8), 0);
  sim.Close();
  std::vector<std::string> callbacks;
  for (const std::string& call : Calls()) {
    if (call.compare(0, 8, "callback") == 0) callbacks.push_back(call);
  }
  EXPECT_EQ(callbacks, (std::vector<std::string>{"callback 1", "callback 0", "callback 3"}));
}

TEST_F(CarouselSimPlugTest, ChangesWithoutCallbackStillChangeTheSet) {
  SetTestEnv("USBCD_SIM_PLUG", "10:4");
  ASSERT_EQ(sim.Init(), 0);
  Clock::time_point start = Clock::now();
  while (sim.DeviceCount() != 1 && MsSince(start) < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(sim.Enum(0), 4);
  sim.Close();
  EXPECT_EQ(SeenCount(), 0u);
}

TEST_F(CarouselSimPlugTest, CloseEndsTheScheduleAtOnce) {
  SetTestEnv("USBCD_SIM_PLUG", "20:1;60000:2");
  ASSERT_EQ(sim.Init(), 0);
  ASSERT_EQ(sim.SetCallback(RecordChange), 0);
  ASSERT_TRUE(WaitForChanges(1));
  Clock::time_point start = Clock::now();
  EXPECT_EQ(sim.Close(), 0);
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_EQ(SeenCount(), 1u);
}

TEST_F(CarouselSimPlugTest, CloseFromInsideTheCallback) {
  // The first change comes well after the callback is registered, also on a loaded machine.
  SetTestEnv("USBCD_SIM_PLUG", "150:1;250:2");
  closeFromCallback = true;
  ASSERT_EQ(sim.Init(), 0);
  ASSERT_EQ(sim.SetCallback(RecordChange), 0);
  ASSERT_TRUE(WaitForChanges(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(SeenCount(), 1u) << "no callback after the close";
  EXPECT_EQ(sim.DeviceCount(), kInvalid);
  // The library opens again with a fresh schedule.
  closeFromCallback = false;
  ASSERT_EQ(sim.Init(), 0);
  ASSERT_EQ(sim.SetCallback(RecordChange), 0);
  ASSERT_TRUE(WaitForChanges(3));
  sim.Close();
}

TEST_F(CarouselSimTest, CallsFromManyThreadsKeepTraceLinesWhole) {
  SetTestEnv("USBCD_SIM_MOVE_MS", "0");
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "0");
  ASSERT_EQ(sim.Init(), 0);
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) {
        std::int32_t device = (t % 2 == 0) ? 3 : 7;
        sim.LedOn(device);
        sim.Status(device);
        sim.LedOff(device);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  sim.Close();
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 2u + 4u * 200u * 3u);
  for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
    const std::string& call = calls[i];
    EXPECT_TRUE(call == "USBCDLEDON 3 = 0" || call == "USBCDLEDON 7 = 0" || call == "USBCDLEDOFF 3 = 0" ||
                call == "USBCDLEDOFF 7 = 0" || call == "USBCDGetStatus 3 = 0" ||
                call == "USBCDGetStatus 7 = 0")
        << call;
  }
}

}  // namespace
}  // namespace sim
}  // namespace vadro
