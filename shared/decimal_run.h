// Reading a run of decimal digits: the numbers in a terminal's control sequences and in the
// simulator's variables. Signs, blanks and what may follow the digits are the caller's business.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vadro {

struct DecimalRun {
  std::size_t length = 0;  // digits read; 0 when the text does not start with one
  std::int64_t value = 0;  // their value
  bool pastLimit = false;  // the last digit read took the value above the limit
};

// For a run bounded by its value alone.
constexpr std::size_t kAnyDigitCount = static_cast<std::size_t>(-1);
// The highest limit: a value read up to it stays within 64 bits.
constexpr std::int64_t kHighestDecimalLimit = (INT64_MAX - 9) / 10;

// Reads the decimal digits at the start of text[0 .. count): at most `maxDigits` of them, and none
// after the one that takes the value above `limit` (0 to kHighestDecimalLimit).
template <typename Char>
constexpr DecimalRun ReadDecimalRun(const Char* text, std::size_t count, std::size_t maxDigits,
                                    std::int64_t limit) {
  DecimalRun run;
  while (run.length < count && run.length < maxDigits && !run.pastLimit && text[run.length] >= '0' &&
         text[run.length] <= '9') {
    run.value = run.value * 10 + (text[run.length] - '0');
    ++run.length;
    run.pastLimit = run.value > limit;
  }
  return run;
}

}  // namespace vadro
