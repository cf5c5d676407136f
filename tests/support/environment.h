// Variables of the process environment set from a test, such as those the simulator reads.
#pragma once

namespace vadro {

// Sets `name` to `value` (which may be empty); null `value` removes the variable.
void SetTestEnv(const char* name, const char* value);

// Removes every variable that the simulator reads (USBCD_SIM_*).
void ClearSimulatorVariables();

}  // namespace vadro
