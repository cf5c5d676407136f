// What the process does with a failure that reaches its entry.
#pragma once

namespace vadro {

// The one line printed on standard error for a failure that no stage handles.
inline constexpr char kOutOfMemoryLine[] = "Vadro: out of memory.\n";

// Makes heap exhaustion that the platform raises outside C++ exceptions end the process the same
// way as a C++ exception reaching the entry: the line above on standard error, exit status 1.
void InstallFatalErrorHandler();

}  // namespace vadro
