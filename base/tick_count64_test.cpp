#include "base/tick_count64.h"

#include <gtest/gtest.h>

namespace vadro {
namespace {

std::uint32_t fakeCount = 0;
std::uint32_t ReadFakeCount() { return fakeCount; }

std::uint64_t WidenedAt(std::atomic<std::uint64_t>* last, std::uint32_t count) {
  fakeCount = count;
  return WidenTickCount(last, ReadFakeCount);
}

TEST(WidenTickCount, CountsOnAcrossEachWrapOfTheThirtyTwoBitCount) {
  std::atomic<std::uint64_t> last{0};
  EXPECT_EQ(WidenedAt(&last, 1000), 1000u);
  EXPECT_EQ(WidenedAt(&last, 0xfffffff0u), 0xfffffff0u);
  EXPECT_EQ(WidenedAt(&last, 0xfffffff0u), 0xfffffff0u);
  EXPECT_EQ(WidenedAt(&last, 5), 0x100000005u);
  EXPECT_EQ(WidenedAt(&last, 5), 0x100000005u);
  EXPECT_EQ(WidenedAt(&last, 0xffffffffu), 0x1ffffffffu);
  EXPECT_EQ(WidenedAt(&last, 0), 0x200000000u);
}

}  // namespace
}  // namespace vadro
