// The simulator's trace file: one line per call, appended and flushed at once.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

namespace vadro {
namespace sim {

// Each line is appended by opening the file, writing and closing it again, so the file is complete
// at every moment and is never held open (it may be read, moved or removed in between). Not
// thread-safe by itself: the simulator writes under its own lock, so lines never mix.
class SimTrace {
 public:
  // Appends to `path` from now on (empty: no trace). A file that cannot be written is reported on
  // stderr, once per Use.
  void Use(const std::string& path);

  // "<ms> <name> <arg>... = <result>"
  void Call(std::int64_t ms, const char* name, std::initializer_list<std::int32_t> args, std::int32_t result);
  // "<ms> callback <count>"
  void Callback(std::int64_t ms, std::int32_t count);

 private:
  void Write(const std::string& line);

  std::string path;
  bool failureReported = false;
};

}  // namespace sim
}  // namespace vadro
