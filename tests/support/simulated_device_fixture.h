// SimulatedDeviceTest: a SimulatorTest with the program's device library bound to the simulator
// (linked in natively, USBCDDLL.dll beside the test on Windows), for the tests of the code that
// drives the devices.
#pragma once
#include <gtest/gtest.h>

#include "device/vendor_library.h"
#include "tests/support/simulator_fixture.h"

namespace vadro {

class SimulatedDeviceTest : public SimulatorTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadVendorLibrary());
    SimulatorTest::SetUp();
  }
};

}  // namespace vadro
