// A second copy of this test program, started with arguments of its own and ended from outside
// without warning: SIGKILL on POSIX, TerminateProcess on Windows. Neither lets the child run
// any code of its own on the way out.
#pragma once
#include <cstdint>
#include <string>

namespace vadro {
namespace crash_test {

// The full path of the running executable.
std::string OwnExecutablePath();

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `executable` with the two arguments; false, with the system's reason printed, when it
  // cannot be started.
  bool Start(const std::string& executable, const std::string& first, const std::string& second);
  // Ends the child at once, wherever it is, and waits until it is gone. True when the child was
  // still running when it was ended.
  bool Kill();
  // Waits for a child that ends by itself; its exit status.
  int Wait();

 private:
  std::int64_t id = -1;  // process id (POSIX) or process handle (Windows)
};

}  // namespace crash_test
}  // namespace vadro
