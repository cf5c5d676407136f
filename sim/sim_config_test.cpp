#include "sim/sim_config.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/environment.h"

namespace vadro {
namespace sim {
namespace {

TEST(SimConfigParseTest, DeviceIdsKeepOrderAndDuplicatesAndMayBeEmpty) {
  std::vector<std::int32_t> ids{99};
  ASSERT_TRUE(ParseDeviceIds(" 3, 7 ,3,-5,2147483647,-2147483648", ids));
  EXPECT_EQ(ids, (std::vector<std::int32_t>{3, 7, 3, -5, 2147483647, -2147483647 - 1}));
  ASSERT_TRUE(ParseDeviceIds("", ids));
  EXPECT_TRUE(ids.empty());
  ASSERT_TRUE(ParseDeviceIds("  ", ids));
  EXPECT_TRUE(ids.empty());
}

TEST(SimConfigParseTest, MalformedDeviceIdsLeaveTheOutputAlone) {
  for (const char* text : {"3,,7", "3,", "x", "3 7", "2147483648", "-2147483649", "-", "7a"}) {
    std::vector<std::int32_t> ids{99};
    EXPECT_FALSE(ParseDeviceIds(text, ids)) << text;
    EXPECT_EQ(ids, std::vector<std::int32_t>{99}) << text;
  }
}

TEST(SimConfigParseTest, NonNegativeNumbers) {
  std::int64_t value = 5;
  ASSERT_TRUE(ParseNonNegative(" 0 ", value));
  EXPECT_EQ(value, 0);
  ASSERT_TRUE(ParseNonNegative("2147483647", value));
  EXPECT_EQ(value, 2147483647);
  ASSERT_TRUE(ParseNonNegative(" +7", value));
  EXPECT_EQ(value, 7);
  for (const char* text : {"", "-1", "2147483648", "1.5", "abc", "99999999999999999999"}) {
    value = 5;
    EXPECT_FALSE(ParseNonNegative(text, value)) << text;
    EXPECT_EQ(value, 5) << text;
  }
}

TEST(SimConfigParseTest, HangModes) {
  HangMode mode = HangMode::kStatus;
  ASSERT_TRUE(ParseHangMode("", mode));
  EXPECT_EQ(mode, HangMode::kNone);
  ASSERT_TRUE(ParseHangMode("move", mode));
  EXPECT_EQ(mode, HangMode::kMove);
  ASSERT_TRUE(ParseHangMode(" cddown ", mode));
  EXPECT_EQ(mode, HangMode::kCDDown);
  ASSERT_TRUE(ParseHangMode("status", mode));
  EXPECT_EQ(mode, HangMode::kStatus);
  EXPECT_FALSE(ParseHangMode("Status", mode));
  EXPECT_FALSE(ParseHangMode("status,move", mode));
  EXPECT_EQ(mode, HangMode::kStatus);
}

TEST(SimConfigParseTest, PlugScheduleIsOrderedByTimeAndAllowsEmptySets) {
  std::vector<PlugEvent> events;
  ASSERT_TRUE(ParsePlugSchedule("900:;500:3,7; 700 : 4 ;", events));
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].atMs, 500);
  EXPECT_EQ(events[0].devices, (std::vector<std::int32_t>{3, 7}));
  EXPECT_EQ(events[1].atMs, 700);
  EXPECT_EQ(events[1].devices, std::vector<std::int32_t>{4});
  EXPECT_EQ(events[2].atMs, 900);
  EXPECT_TRUE(events[2].devices.empty());
  for (const char* text : {"500", "500:3;x:4", ":3", "500:3,,4", "-1:3"}) {
    std::vector<PlugEvent> untouched(1);
    EXPECT_FALSE(ParsePlugSchedule(text, untouched)) << text;
    EXPECT_EQ(untouched.size(), 1u) << text;
  }
}

class SimConfigEnvTest : public ::testing::Test {
 protected:
  void TearDown() override { ClearSimulatorVariables(); }
};

TEST_F(SimConfigEnvTest, EmptyDeviceVariableMeansNoDevice) {
  SetTestEnv("USBCD_SIM_DEVICES", "");
  EXPECT_TRUE(ReadSimConfig().devices.empty());
}

TEST_F(SimConfigEnvTest, ReadsEveryVariable) {
  SetTestEnv("USBCD_SIM_DEVICES", "3,7");
  SetTestEnv("USBCD_SIM_MOVE_MS", "20");
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "30");
  SetTestEnv("USBCD_SIM_REFUSE_MOVES", "4");
  SetTestEnv("USBCD_SIM_RESET_MS", "40");
  SetTestEnv("USBCD_SIM_HANG", "cddown");
  SetTestEnv("USBCD_SIM_PLUG", "10:1");
  SetTestEnv("USBCD_SIM_TRACE", "some.trace");
  SimConfig config = ReadSimConfig();
  EXPECT_EQ(config.devices, (std::vector<std::int32_t>{3, 7}));
  EXPECT_EQ(config.moveMs, 20);
  EXPECT_EQ(config.cdDownMs, 30);
  EXPECT_EQ(config.refuseMoves, 4);
  EXPECT_EQ(config.resetMs, 40);
  EXPECT_EQ(config.hang, HangMode::kCDDown);
  ASSERT_EQ(config.plugSchedule.size(), 1u);
  EXPECT_EQ(config.plugSchedule[0].atMs, 10);
  EXPECT_EQ(config.tracePath, "some.trace");
}

TEST_F(SimConfigEnvTest, MalformedVariableIsNamedOnceAndKeepsItsDefault) {
  // A value of its own each time the test runs: each is named once per process.
  static int runs = 0;
  SetTestEnv("USBCD_SIM_MOVE_MS", ("soon" + std::to_string(++runs)).c_str());
  SetTestEnv("USBCD_SIM_CDDOWN_MS", "40");
  ::testing::internal::CaptureStderr();
  SimConfig first = ReadSimConfig();
  SimConfig second = ReadSimConfig();
  std::string reported = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(first.moveMs, 1500);
  EXPECT_EQ(second.moveMs, 1500);
  EXPECT_EQ(first.cdDownMs, 40);
  std::string::size_type at = reported.find("USBCD_SIM_MOVE_MS");
  ASSERT_NE(at, std::string::npos) << reported;
  EXPECT_EQ(reported.find("USBCD_SIM_MOVE_MS", at + 1), std::string::npos) << reported;
  EXPECT_NE(reported.find("soon"), std::string::npos) << reported;
  EXPECT_EQ(reported.find("CDDOWN"), std::string::npos) << reported;
}

}  // namespace
}  // namespace sim
}  // namespace vadro
