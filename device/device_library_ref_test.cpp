#include "device/device_library_ref.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simulated_device_fixture.h"

namespace vadro {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::int32_t> Snapshot() {
  PooledList copy(10, ProcessHeap(), false);
  SnapshotDeviceList(copy);
  std::vector<std::int32_t> values;
  for (const PooledList::Node* node = copy.Head(); node != nullptr; node = node->next)
    values.push_back(node->value);
  return values;
}

class DeviceLibraryRefTest : public SimulatedDeviceTest {
 protected:
  void SetUp() override {
    SimulatedDeviceTest::SetUp();
    SetVariable("USBCD_SIM_DEVICES", "3,7");
  }
};

TEST_F(DeviceLibraryRefTest, OpenAndCloseCallTheLibraryInOrder) {
  { DeviceLibraryRef reference; }
  EXPECT_EQ(Calls(),
            (std::vector<std::string>{"InitUSBCDLibrary = 0", "GetDeviceNumber = 2", "EnumDevice 0 = 3",
                                      "EnumDevice 1 = 7", "SetCDCallbackProc = 0", "CloseUSBCDLibrary = 0"}));
  EXPECT_EQ(openCount, 0);
}

TEST_F(DeviceLibraryRefTest, TwoReferencesOpenOnceAndCloseWithTheSecond) {
  {
    DeviceLibraryRef first;
    {
      DeviceLibraryRef second;
      EXPECT_EQ(openCount, 2);
      EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{3, 7}));
    }
    EXPECT_EQ(openCount, 1);
    EXPECT_TRUE(CallsOf("CloseUSBCDLibrary").empty()) << "closed while a reference lives";
  }
  EXPECT_EQ(CallsOf("InitUSBCDLibrary").size(), 1u);
  EXPECT_EQ(CallsOf("GetDeviceNumber").size(), 1u);
  EXPECT_EQ(CallsOf("EnumDevice").size(), 2u);
  EXPECT_EQ(CallsOf("SetCDCallbackProc").size(), 1u);
  EXPECT_EQ(CallsOf("CloseUSBCDLibrary"), std::vector<std::string>{"CloseUSBCDLibrary = 0"});
  EXPECT_EQ(Calls().back(), "CloseUSBCDLibrary = 0");
}

std::int32_t VADRO_VENDOR_CALL EnumDeviceOutOfMemory(std::int32_t /*index*/) { throw std::bad_alloc(); }

TEST_F(DeviceLibraryRefTest, AFirstOpenThatFailsClosesTheLibraryAndTheNextOpensItAfresh) {
  // The process's table, bound by SetUp: the enumeration fails as running out of memory would.
  auto& table = const_cast<VendorLibrary&>(Vendor());
  auto enumDevice = table.EnumDevice;
  table.EnumDevice = EnumDeviceOutOfMemory;
  EXPECT_THROW(DeviceLibraryRef reference, std::bad_alloc);
  table.EnumDevice = enumDevice;
  EXPECT_EQ(openCount, 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"InitUSBCDLibrary = 0", "GetDeviceNumber = 2",
                                               "CloseUSBCDLibrary = 0"}));
  DeviceLibraryRef reopened;
  EXPECT_EQ(CallsOf("InitUSBCDLibrary").size(), 2u);
  EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{3, 7}));
}

TEST_F(DeviceLibraryRefTest, NoDeviceOrNegativeCountGivesAnEmptyList) {
  SetVariable("USBCD_SIM_DEVICES", "");
  {
    DeviceLibraryRef reference;
    EXPECT_TRUE(Snapshot().empty());
    EXPECT_TRUE(CallsOf("EnumDevice").empty());
  }
  SetVariable("USBCD_SIM_DEVICES", "3,7");
  DeviceLibraryRef reference;
  ASSERT_EQ(Snapshot().size(), 2u);
  DeviceLibraryRef::OnDevicesChanged(-1);
  EXPECT_TRUE(Snapshot().empty());
  DeviceLibraryRef::OnDevicesChanged(2);
  DeviceLibraryRef::RebuildDeviceList(-2147483647 - 1);
  EXPECT_TRUE(Snapshot().empty());
}

TEST_F(DeviceLibraryRefTest, CallbackLeavesExactlyTheEnumeratedDevicesInOrder) {
  SetVariable("USBCD_SIM_DEVICES", "9,4,9,1,6");
  DeviceLibraryRef reference;
  EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{9, 4, 9, 1, 6})) << "order and duplicates kept";
  DeviceLibraryRef::OnDevicesChanged(1);
  EXPECT_EQ(Snapshot(), std::vector<std::int32_t>{9});
  DeviceLibraryRef::OnDevicesChanged(3);
  EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{9, 4, 9}));
  DeviceLibraryRef::OnDevicesChanged(3);
  EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{9, 4, 9})) << "rebuilt, not appended";
}

TEST_F(DeviceLibraryRefTest, ClosingLeavesTheListAsItWas) {
  {
    DeviceLibraryRef reference;
    DeviceLibraryRef::OnDevicesChanged(1);
  }
  std::size_t callsAtClose = Calls().size();
  DeviceLibraryRef::OnDevicesChanged(2);  // late, from the library's thread: dropped
  EXPECT_EQ(Snapshot(), std::vector<std::int32_t>{3});
  EXPECT_EQ(Calls().size(), callsAtClose) << "neither a snapshot nor a late change calls the library";
  // The next first open enumerates afresh.
  SetVariable("USBCD_SIM_DEVICES", "5");
  DeviceLibraryRef reopened;
  EXPECT_EQ(Snapshot(), std::vector<std::int32_t>{5});
}

std::atomic<bool> enumerationEntered{false};
std::int32_t(VADRO_VENDOR_CALL* simulatorEnumDevice)(std::int32_t) = nullptr;

// Enumerates the first device slowly, after saying that it has begun.
std::int32_t VADRO_VENDOR_CALL SlowEnumDevice(std::int32_t index) {
  if (index == 0) {
    enumerationEntered = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return simulatorEnumDevice(index);
}

TEST_F(DeviceLibraryRefTest, TheCloseWaitsForARebuildUnderWay) {
  auto& table = const_cast<VendorLibrary&>(Vendor());
  simulatorEnumDevice = table.EnumDevice;
  enumerationEntered = false;
  std::thread change;
  {
    DeviceLibraryRef reference;
    table.EnumDevice = SlowEnumDevice;
    change = std::thread([] { DeviceLibraryRef::OnDevicesChanged(2); });
    while (!enumerationEntered) std::this_thread::yield();
  }  // closed while the change's rebuild is in its first EnumDevice
  change.join();
  table.EnumDevice = simulatorEnumDevice;
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
            (std::vector<std::string>{"EnumDevice 0 = 3", "EnumDevice 1 = 7", "CloseUSBCDLibrary = 0"}));
  EXPECT_EQ(Snapshot(), (std::vector<std::int32_t>{3, 7}));
}

TEST_F(DeviceLibraryRefTest, SnapshotReplacesWhatTheCopyHeld) {
  DeviceLibraryRef reference;
  PooledList copy(10, ProcessHeap(), false);
  for (std::int32_t i = 0; i < 25; ++i) copy.AddTail(100 + i);
  SnapshotDeviceList(copy);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Head()->value, 3);
  EXPECT_EQ(copy.Tail()->value, 7);
}

// Hundreds of rebuilds from another thread while this one walks snapshots: every snapshot is one
// whole enumeration, a prefix of the attached set.
TEST_F(DeviceLibraryRefTest, StormOfCallbacksWhileWalkingSnapshots) {
  SetVariable("USBCD_SIM_TRACE", nullptr);  // thousands of calls: no trace needed
  SetVariable("USBCD_SIM_DEVICES", "1,2,3,4,5,6,7,8,9,10,11,12");
  DeviceLibraryRef reference;
  std::atomic<bool> walking{false};
  std::atomic<bool> done{false};
  std::thread storm([&] {
    while (!walking) std::this_thread::yield();
    for (int i = 0; i < 10000; ++i) DeviceLibraryRef::OnDevicesChanged(i % 13);
    done = true;
  });
  int walks = 0;
  std::vector<std::int32_t> broken;
  do {
    std::vector<std::int32_t> devices = Snapshot();
    walking = true;
    ++walks;
    bool prefix = devices.size() <= 12u;
    for (std::size_t i = 0; prefix && i < devices.size(); ++i)
      prefix = devices[i] == static_cast<std::int32_t>(i + 1);
    if (!prefix && broken.empty()) broken = devices;
  } while (!done);
  storm.join();
  EXPECT_TRUE(broken.empty()) << "a snapshot of " << broken.size() << " devices is not one enumeration";
  EXPECT_GT(walks, 1);
  EXPECT_EQ(Snapshot().size(), 9999u % 13u);
}

// The simulator itself changes the attached set hundreds of times, calling back from its own thread.
TEST_F(DeviceLibraryRefTest, StormOfDeviceChangesFromTheLibrary) {
  const std::vector<std::vector<std::int32_t>> sets = {{}, {10}, {20, 21}, {30, 31, 32, 30}};
  const int changes = 300;
  std::string schedule;
  for (int i = 0; i < changes; ++i) {
    schedule += std::to_string(100 + 2 * i) + ":";
    const std::vector<std::int32_t>& set = sets[static_cast<std::size_t>(i) % sets.size()];
    for (std::size_t k = 0; k < set.size(); ++k) schedule += (k ? "," : "") + std::to_string(set[k]);
    schedule += ";";
  }
  SetVariable("USBCD_SIM_DEVICES", "1");
  SetVariable("USBCD_SIM_PLUG", schedule.c_str());
  const std::vector<std::int32_t>& last = sets[static_cast<std::size_t>(changes - 1) % sets.size()];
  {
    DeviceLibraryRef reference;
    Clock::time_point start = Clock::now();
    int walks = 0;
    for (;;) {
      std::vector<std::int32_t> devices = Snapshot();
      bool known = devices == std::vector<std::int32_t>{1};
      for (const auto& set : sets) known = known || devices == set;
      ASSERT_TRUE(known) << "a snapshot of " << devices.size() << " devices mixes enumerations";
      ++walks;
      if (devices == last && CallsOf("callback").size() == static_cast<std::size_t>(changes)) break;
      ASSERT_LT(Clock::now() - start, std::chrono::seconds(30)) << "the changes did not all arrive";
    }
    EXPECT_GT(walks, 1);
  }
  EXPECT_EQ(Snapshot(), last);
}

}  // namespace
}  // namespace vadro
