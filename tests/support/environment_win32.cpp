#include <windows.h>

#include "tests/support/environment.h"

namespace vadro {
namespace sim {

void SetTestEnv(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

}  // namespace sim
}  // namespace vadro
