// CapturedOutput: everything written to standard output while the object lives.
#pragma once
#include <gtest/gtest.h>

#include <string>

namespace vadro {

class CapturedOutput {
 public:
  CapturedOutput() { ::testing::internal::CaptureStdout(); }
  ~CapturedOutput() {
    if (!taken) ::testing::internal::GetCapturedStdout();
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // What was written; the capture ends here.
  std::string Text() {
    taken = true;
    return ::testing::internal::GetCapturedStdout();
  }

 private:
  bool taken = false;
};

}  // namespace vadro
