#include "sim/sim_trace.h"

#include <cstdio>

namespace vadro {
namespace sim {

void SimTrace::Use(const std::string& newPath) {
  path = newPath;
  failureReported = false;
}

void SimTrace::Call(std::int64_t ms, const char* name, std::initializer_list<std::int32_t> args,
                    std::int32_t result) {
  if (path.empty()) return;
  std::string line = std::to_string(ms) + " " + name;
  for (std::int32_t arg : args) line += " " + std::to_string(arg);
  line += " = " + std::to_string(result);
  Write(line);
}

void SimTrace::Callback(std::int64_t ms, std::int32_t count) {
  if (path.empty()) return;
  Write(std::to_string(ms) + " callback " + std::to_string(count));
}

void SimTrace::Write(const std::string& line) {
  // Binary mode: the same bytes, "\n" line ends, on every platform.
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    if (!failureReported) {
      std::fprintf(stderr, "usbcd_sim: USBCD_SIM_TRACE=\"%s\" cannot be written; no trace is kept\n",
                   path.c_str());
      std::fflush(stderr);
    }
    failureReported = true;
    return;
  }
  std::fputs(line.c_str(), file);
  std::fputc('\n', file);
  std::fclose(file);
}

}  // namespace sim
}  // namespace vadro
