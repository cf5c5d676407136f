#include <signal.h>
#include <unistd.h>

#include <cstdlib>

#include "console/interruption.h"

namespace vadro {

// Raises the signal with nothing held: the terminal's handler (console_io_posix.cpp) puts the
// terminal back and the signal then takes its default action.
void EndProcessAsInterrupted(int noted) {
  int signalNumber = noted != 0 ? noted : SIGINT;
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  raise(signalNumber);
  // Delivered at once, except where a sanitizer runs the handlers at its own points: give it a few.
  for (int wait = 0; wait < 100; ++wait) usleep(10000);
  // A signal that does not end the process (ignored meanwhile): end as its default would have.
  std::_Exit(128 + signalNumber);
}

}  // namespace vadro
