#include <signal.h>

#include "console/text_output.h"

namespace vadro {

// POSIX streams never translate line ends. A write to a pipe whose reader has gone (the program's
// output piped into `head`) would end the process with SIGPIPE, in the middle of a device's move
// and with the library left open; ignored, the write fails quietly as it does on Windows, and the
// run goes on to its end.
void InitTextOutput() { signal(SIGPIPE, SIG_IGN); }

}  // namespace vadro
