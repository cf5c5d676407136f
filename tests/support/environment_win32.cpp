#include <windows.h>

#include "sim/sim_test_env.h"

namespace vadro {
namespace sim {

void SetTestEnv(const char* name, const char* value) { SetEnvironmentVariableA(name, value); }

}  // namespace sim
}  // namespace vadro
