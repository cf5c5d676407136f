// DiscList: the global disc numbers named on the command line, in the order they are to be selected.
#pragma once
#include <cstdint>

#include "base/pooled_list.h"

namespace vadro {

class DiscList : public PooledList {
 public:
  // Parses the arguments at once. Prints the usage text (at most once) and leaves `valid` false
  // when there is no argument or an argument is rejected.
  DiscList(std::int32_t argumentCount, const char* const* argumentVector);

  bool valid = false;

  // The most discs one range may name: 127 banks of 150.
  static constexpr std::int64_t kMaxRangeLength = std::int64_t{127} * 150;
};

// The text printed when the command line is missing or not accepted.
extern const char kUsageText[];

}  // namespace vadro
