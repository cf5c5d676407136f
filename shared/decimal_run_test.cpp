#include "shared/decimal_run.h"

#include <gtest/gtest.h>

#include <string>

namespace vadro {
namespace {

constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
constexpr std::int64_t kNoLimit = kHighestDecimalLimit;

struct Row {
  const char* text;
  std::size_t count;  // kWhole: the whole text
  std::size_t maxDigits;
  std::int64_t limit;
  std::size_t length;
  std::int64_t value;
  bool pastLimit;
};

// Each caller's bounds among them: 5 digits (a terminal's cursor report), a limit of 9999 (the first
// parameter of a key's sequence), a limit of 2^32 (the simulator's variables).
const Row kRows[] = {
    {"", kWhole, kAnyDigitCount, kNoLimit, 0, 0, false},
    {"x12", kWhole, kAnyDigitCount, kNoLimit, 0, 0, false},
    {"-5", kWhole, kAnyDigitCount, kNoLimit, 0, 0, false},
    {" 5", kWhole, kAnyDigitCount, kNoLimit, 0, 0, false},
    {"\xb2", kWhole, kAnyDigitCount, kNoLimit, 0, 0, false},
    {"0042;7", kWhole, kAnyDigitCount, kNoLimit, 4, 42, false},
    {"123", 2, kAnyDigitCount, kNoLimit, 2, 12, false},
    {"123456R", kWhole, 5, kNoLimit, 5, 12345, false},
    {"000012", kWhole, 5, kNoLimit, 5, 1, false},
    {"000015~", kWhole, kAnyDigitCount, 9999, 6, 15, false},
    {"9999~", kWhole, kAnyDigitCount, 9999, 4, 9999, false},
    {"100015~", kWhole, kAnyDigitCount, 9999, 5, 10001, true},
    {"4294967296", kWhole, kAnyDigitCount, std::int64_t{1} << 32, 10, 4294967296, false},
    {"4294967297", kWhole, kAnyDigitCount, std::int64_t{1} << 32, 10, 4294967297, true},
    {"99999999999999999999", kWhole, kAnyDigitCount, std::int64_t{1} << 32, 10, 9999999999, true},
};

TEST(DecimalRunTest, ReadsTheLeadingDigitsWithinTheirBounds) {
  for (const Row& row : kRows) {
    std::string text = row.text;
    std::size_t count = row.count == kWhole ? text.size() : row.count;
    DecimalRun run = ReadDecimalRun(text.data(), count, row.maxDigits, row.limit);
    EXPECT_EQ(run.length, row.length) << row.text;
    EXPECT_EQ(run.value, row.value) << row.text;
    EXPECT_EQ(run.pastLimit, row.pastLimit) << row.text;
    // The terminal's bytes arrive as unsigned characters.
    DecimalRun bytes =
        ReadDecimalRun(reinterpret_cast<const unsigned char*>(text.data()), count, row.maxDigits, row.limit);
    EXPECT_EQ(bytes.length, row.length) << row.text;
  }
}

}  // namespace
}  // namespace vadro
