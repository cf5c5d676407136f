// Tests set the simulator's variables in the process environment, where it reads them.
#pragma once

namespace vadro {
namespace sim {

// Sets `name` to `value` (which may be empty); null `value` removes the variable.
void SetTestEnv(const char* name, const char* value);

}  // namespace sim
}  // namespace vadro
