#include "tests/support/simulator_fixture.h"

#include <cstdio>
#include <fstream>

#include "tests/support/environment.h"

namespace vadro {

void SimulatorTest::SetUp() {
  ClearSimulatorVariables();
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  tracePath = std::string(test->test_suite_name()) + "." + test->name() + ".trace";
  std::remove(tracePath.c_str());
  SetTestEnv("USBCD_SIM_TRACE", tracePath.c_str());
}

void SimulatorTest::TearDown() {
  ClearSimulatorVariables();
  if (!HasFailure()) std::remove(tracePath.c_str());
}

std::vector<std::string> SimulatorTest::Calls() const {
  std::vector<std::string> calls;
  std::ifstream in(tracePath, std::ios::binary);
  std::string line;
  // A last line without its line end is still being written by another thread: not yet a call.
  while (std::getline(in, line) && !in.eof()) {
    std::string::size_type space = line.find(' ');
    EXPECT_NE(space, std::string::npos) << line;
    EXPECT_GT(space, 0u) << line;
    EXPECT_EQ(line.find_first_not_of("0123456789"), space) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos) << line;
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
