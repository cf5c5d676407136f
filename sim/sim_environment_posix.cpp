#include <cstdlib>

#include "sim/sim_environment.h"

namespace vadro {
namespace sim {

bool ReadEnvironment(const char* name, std::string& value) {
  const char* text = std::getenv(name);
  if (text == nullptr) return false;
  value = text;
  return true;
}

}  // namespace sim
}  // namespace vadro
