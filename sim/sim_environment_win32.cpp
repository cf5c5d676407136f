#include <windows.h>

#include <vector>

#include "sim/sim_environment.h"

namespace vadro {
namespace sim {

// The process's own environment block rather than the C runtime's copy: it sees variables that
// are set but empty, and whatever the program set after its start, whichever runtime it uses.
bool ReadEnvironment(const char* name, std::string& value) {
  SetLastError(ERROR_SUCCESS);
  DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    value.clear();
    return true;
  }
  std::vector<char> buffer(size);
  DWORD length = GetEnvironmentVariableA(name, buffer.data(), size);
  if (length >= size) return false;  // changed in between; treat as unset
  value.assign(buffer.data(), length);
  return true;
}

}  // namespace sim
}  // namespace vadro
