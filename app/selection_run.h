// The disc selection run: every requested disc brought to its slot, one after another.
#pragma once
#include <cstdint>

#include "base/pooled_list.h"
#include "base/pooled_map.h"

namespace vadro {

constexpr std::int32_t kDiscsPerDevice = 150;

// Bank (1-based) and slot (1 to 150) of a global disc number.
struct DiscLocation {
  std::int32_t bank;
  std::int32_t slot;
};
DiscLocation LocateDisc(std::int32_t disc);

// Selects the discs of `discs` in order on the devices that `bankMap` gives for their banks.
void RunSelection(const PooledList& discs, const PooledMap& bankMap);

}  // namespace vadro
