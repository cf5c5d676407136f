#include <signal.h>

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
  // A signal that does not end the process (ignored meanwhile): end as its default would have.
  std::_Exit(128 + signalNumber);
}

}  // namespace vadro
