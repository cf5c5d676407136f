// InputEnded: raised when keystrokes are needed but none can ever come (standard input has ended or
// the console input cannot be read), so that a dialogue ends instead of asking forever.
#pragma once
#include <exception>

namespace vadro {

class InputEnded : public std::exception {
 public:
  const char* what() const noexcept override { return "input ended"; }
};

}  // namespace vadro
