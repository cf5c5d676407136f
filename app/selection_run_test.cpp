#include "app/selection_run.h"

#include <gtest/gtest.h>

namespace vadro {
namespace {

TEST(LocateDiscTest, BanksHoldOneHundredFiftyDiscs) {
  struct {
    std::int32_t disc, bank, slot;
  } cases[] = {{1, 1, 1},    {25, 1, 25},       {150, 1, 150},   {151, 2, 1},
               {186, 2, 36}, {19050, 127, 150}, {19051, 128, 1}, {2147483647, 14316558, 97}};
  for (const auto& c : cases) {
    DiscLocation at = LocateDisc(c.disc);
    EXPECT_EQ(at.bank, c.bank) << c.disc;
    EXPECT_EQ(at.slot, c.slot) << c.disc;
  }
}

}  // namespace
}  // namespace vadro
