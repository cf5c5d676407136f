// The process environment as the simulator reads it: a variable may be set and empty.
#pragma once
#include <string>

namespace vadro {
namespace sim {

// False when `name` is not set; otherwise `value` receives its text, which may be empty.
bool ReadEnvironment(const char* name, std::string& value);

}  // namespace sim
}  // namespace vadro
