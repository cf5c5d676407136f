#include "app/disc_list.h"

#include "base/heap_string.h"
#include "console/text_output.h"

namespace vadro {

const char kUsageText[] =
    "\r\n"
    "   This utility is designated to control Vadro CD Library devices via USB port.\r\n"
    "It selects the indicated CD or CDs. Numbers must started form 1. Version 1.00.\r\n"
    "\r\n"
    "Vadro [Number] [Number1-NumberN] ...\r\n"
    "\r\n"
    "Example: Vadro 25 186-189 3\r\n"
    "It will select one by one disks 25, 186, 187, 188, 189, 3.\r\n";

namespace {

enum class Verdict { kAccepted, kRejected, kRangeTooLong };

Verdict AppendArgument(PooledList& list, const char* argument) {
  HeapString text(argument);
  std::int32_t dash = text.Find(1, '-', 0);
  // Zero names no disc, and neither does a digit run beyond 32 bits: wrapped, it would name
  // some other disc, or one below 1.
  bool fits = true;
  if (dash < 0) {
    std::int32_t disc = text.ToInteger(&fits);
    if (disc == 0 || !fits) return Verdict::kRejected;
    list.AddTail(disc);
    return Verdict::kAccepted;
  }
  bool lastFits = true;
  std::int32_t first = text.Left(dash).ToInteger(&fits);
  std::int32_t last = text.Mid(dash + 1).ToInteger(&lastFits);
  if (first == 0 || last == 0 || !fits || !lastFits) return Verdict::kRejected;
  // Counted in 64 bits so that a range ending at the largest 32-bit value cannot wrap.
  std::int64_t length = static_cast<std::int64_t>(last) - first + 1;
  if (length > DiscList::kMaxRangeLength) return Verdict::kRangeTooLong;
  for (std::int64_t disc = first; disc <= last; ++disc) list.AddTail(static_cast<std::int32_t>(disc));
  return Verdict::kAccepted;
}

}  // namespace

DiscList::DiscList(std::int32_t argumentCount, const char* const* argumentVector) : PooledList(10) {
  if (argumentCount < 2) {
    WriteText(kUsageText);
    return;
  }
  for (std::int32_t i = 1; i < argumentCount; ++i) {
    switch (AppendArgument(*this, argumentVector[i])) {
      case Verdict::kAccepted:
        continue;
      case Verdict::kRangeTooLong:
        WriteText("\r\nToo many discs in one range (at most 19050).\r\n");
        [[fallthrough]];
      case Verdict::kRejected:
        WriteText(kUsageText);
        return;
    }
  }
  valid = true;
}

}  // namespace vadro
