#include <windows.h>

#include "tests/support/environment.h"

namespace vadro {

void SetTestEnv(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

}  // namespace vadro
