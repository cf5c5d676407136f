#include <windows.h>

#include "console/interruption.h"

namespace vadro {

// Ctrl + C's default handling ends the process with this status.
void EndProcessAsInterrupted(int /*noted*/) { ExitProcess(STATUS_CONTROL_C_EXIT); }

}  // namespace vadro
