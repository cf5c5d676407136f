#include "app/fatal_error.h"

namespace vadro {

// Heap exhaustion is a C++ exception here (std::bad_alloc), which the entry catches itself.
void InstallFatalErrorHandler() {}

}  // namespace vadro
