#include "base/tick_count64.h"

namespace vadro {

std::uint64_t WidenTickCount(std::atomic<std::uint64_t>* last, std::uint32_t (*readCount)()) {
  constexpr std::uint64_t kWrap = std::uint64_t{1} << 32;
  std::uint64_t previous = last->load();
  for (;;) {
    // Read after `previous` was loaded, so that the reading is never older than it: a lower one
    // has wrapped. A thread that stored a newer value meanwhile makes the exchange fail, and the
    // count is read again.
    const std::uint32_t reading = readCount();
    std::uint64_t widened = (previous & ~(kWrap - 1)) | reading;
    if (reading < static_cast<std::uint32_t>(previous)) widened += kWrap;
    if (last->compare_exchange_weak(previous, widened)) return widened;
  }
}

}  // namespace vadro
