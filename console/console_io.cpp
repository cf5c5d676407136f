#include "console/console_io.h"

#include <atomic>

namespace vadro {

namespace {
// Null means the system's console. Atomic because the spinner thread reads it while it runs.
std::atomic<ConsoleIo*> installedIo{nullptr};
}  // namespace

ConsoleIo& ActiveConsoleIo() {
  ConsoleIo* io = installedIo.load(std::memory_order_acquire);
  return io != nullptr ? *io : SystemConsoleIo();
}

ConsoleIo* SetConsoleIo(ConsoleIo* io) { return installedIo.exchange(io, std::memory_order_acq_rel); }

}  // namespace vadro
