#include "tests/support/simulator_fixture.h"

#include <cstdio>
#include <fstream>

#include "device/vendor_library.h"
#include "tests/support/environment.h"

namespace vadro {

namespace {
const char* const kVariables[] = {"USBCD_SIM_DEVICES",      "USBCD_SIM_MOVE_MS",  "USBCD_SIM_CDDOWN_MS",
                                  "USBCD_SIM_REFUSE_MOVES", "USBCD_SIM_RESET_MS", "USBCD_SIM_HANG",
                                  "USBCD_SIM_PLUG",         "USBCD_SIM_TRACE"};
}  // namespace

void SimulatorTest::SetUp() {
  ASSERT_TRUE(LoadVendorLibrary());
  for (const char* name : kVariables) SetTestEnv(name, nullptr);
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  tracePath = std::string(test->test_suite_name()) + "." + test->name() + ".trace";
  std::remove(tracePath.c_str());
  SetTestEnv("USBCD_SIM_TRACE", tracePath.c_str());
}

void SimulatorTest::TearDown() {
  for (const char* name : kVariables) SetTestEnv(name, nullptr);
  if (!HasFailure()) std::remove(tracePath.c_str());
}

std::vector<std::string> SimulatorTest::Calls() const {
  std::vector<std::string> calls;
  std::ifstream in(tracePath, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::string::size_type space = line.find(' ');
    if (space != std::string::npos) calls.push_back(line.substr(space + 1));
  }
  return calls;
}

std::vector<std::string> SimulatorTest::CallsOf(const std::string& name) const {
  std::vector<std::string> selected;
  for (const std::string& call : Calls()) {
    std::string operation = call.substr(0, call.find(' '));
    bool led = operation == "USBCDLEDON" || operation == "USBCDLEDOFF";
    if (operation == name || (name == "LED" && led)) selected.push_back(call);
  }
  return selected;
}

void SimulatorTest::SetVariable(const char* name, const char* value) { SetTestEnv(name, value); }

}  // namespace vadro
