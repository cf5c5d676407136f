#include <cstdlib>

#include "tests/support/environment.h"

namespace vadro {

void SetTestEnv(const char* name, const char* value) {
  if (value == nullptr) {
    unsetenv(name);
  } else {
    setenv(name, value, 1);
  }
}

}  // namespace vadro
