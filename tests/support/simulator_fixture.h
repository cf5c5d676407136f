// SimulatorTest: the fixture of the tests that drive the simulator with its variables and read
// back its trace.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vadro {

// Clears every simulator variable before and after the test and points the trace at a fresh file
// named after the test, kept when the test fails.
class SimulatorTest : public ::testing::Test {
 public:
  // The trace's calls in order, without their times: "EnumDevice 1 = 7", "callback 3". Each line
  // must begin with its time, a plain decimal number, and end without a carriage return; a line
  // not yet ended is left for the next call.
  std::vector<std::string> Calls() const;
  // Only the calls whose operation is `name` (or one of the LED operations for "LED").
  std::vector<std::string> CallsOf(const std::string& name) const;

  static void SetVariable(const char* name, const char* value);

 protected:
  void SetUp() override;
  void TearDown() override;

  std::string tracePath;
};

}  // namespace vadro
