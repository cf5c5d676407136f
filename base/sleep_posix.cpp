#include <cerrno>
#include <ctime>

#include "base/sleep.h"

namespace vadro {

void SystemSleep(std::uint32_t milliseconds) {
  timespec remaining{};
  remaining.tv_sec = static_cast<time_t>(milliseconds / 1000);
  remaining.tv_nsec = static_cast<decltype(remaining.tv_nsec)>(milliseconds % 1000 * 1000000U);
  // A signal cuts the sleep short; go on sleeping for what is left. nanosleep is also the
  // cancellation point at which a terminated worker thread ends (see thread_platform_posix.cpp).
  while (nanosleep(&remaining, &remaining) == -1 && errno == EINTR) {
  }
}

}  // namespace vadro
