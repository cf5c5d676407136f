// A 64-bit millisecond count made from the system's 32-bit one, which wraps to zero every
// 49.7 days: for the Windows build on systems that have no 64-bit count (Windows XP).
#pragma once
#include <atomic>
#include <cstdint>

namespace vadro {

// Reads the 32-bit count through `readCount` and returns it widened to 64 bits, counting on
// from the last value stored in `last` (start it at 0): a reading below that value's low half
// means the 32-bit count has wrapped. Safe for several threads sharing one `last`, provided the
// count is read at least once in every 49.7 days.
std::uint64_t WidenTickCount(std::atomic<std::uint64_t>* last, std::uint32_t (*readCount)());

}  // namespace vadro
