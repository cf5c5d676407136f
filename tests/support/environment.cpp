#include "tests/support/environment.h"

#include <initializer_list>

namespace vadro {

void ClearSimulatorVariables() {
  for (const char* name :
       {"USBCD_SIM_DEVICES", "USBCD_SIM_MOVE_MS", "USBCD_SIM_CDDOWN_MS", "USBCD_SIM_REFUSE_MOVES",
        "USBCD_SIM_RESET_MS", "USBCD_SIM_HANG", "USBCD_SIM_PLUG", "USBCD_SIM_TRACE"}) {
    SetTestEnv(name, nullptr);
  }
}

}  // namespace vadro
