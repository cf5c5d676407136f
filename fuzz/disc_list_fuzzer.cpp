// The command line parser on arbitrary argument vectors. The input is split into arguments at
// each zero byte, the one byte no argument can hold; the first byte chooses the text encoding.
// Each parse is checked against the rules it implements, computed here on standard strings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/disc_list.h"
#include "base/heap_string.h"
#include "fuzz/fuzz_support.h"

namespace {

// Enough arguments for every combination of accepted, rejected and too long; bounded so that a
// run of maximal ranges stays quick (each may name 19050 discs).
constexpr std::size_t kMaxArguments = 32;

std::int32_t NumberOf(const std::string& text) { return vadro::HeapString(text.c_str()).ToInteger(); }

// Whether the number of `text` is a 32-bit integer, worked out on the digits themselves (no byte
// of a longer character is a digit in either encoding); the sign is the one NumberOf gives a
// single digit in place of the run.
bool FitsInt32(const std::string& text) {
  std::size_t first = text.find_first_of("0123456789");
  if (first == std::string::npos) return true;
  std::size_t end = text.find_first_not_of("0123456789", first);
  std::string digits = text.substr(first, end == std::string::npos ? std::string::npos : end - first);
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  bool negative = NumberOf(text.substr(0, first) + "1") < 0;
  const std::string limit = negative ? "2147483648" : "2147483647";
  return digits.size() < limit.size() || (digits.size() == limit.size() && digits <= limit);
}

// What the command line must give: the discs in order, and whether it was accepted.
bool Expected(const std::vector<std::string>& arguments, std::vector<std::int32_t>* discs) {
  if (arguments.empty()) return false;
  for (const std::string& argument : arguments) {
    std::size_t dash = argument.find('-');
    if (dash == std::string::npos) {
      std::int32_t disc = NumberOf(argument);
      if (disc == 0 || !FitsInt32(argument)) return false;
      discs->push_back(disc);
      continue;
    }
    std::string start = argument.substr(0, dash);
    std::string end = argument.substr(dash + 1);
    std::int32_t first = NumberOf(start);
    std::int32_t last = NumberOf(end);
    if (first == 0 || last == 0 || !FitsInt32(start) || !FitsInt32(end)) return false;
    if (static_cast<std::int64_t>(last) - first + 1 > vadro::DiscList::kMaxRangeLength) return false;
    for (std::int64_t disc = first; disc <= last; ++disc) discs->push_back(static_cast<std::int32_t>(disc));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  vadro::fuzz::SilenceStandardOutput();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  vadro::fuzz::SelectEncoding((data[0] & 1) != 0);
  std::vector<std::string> arguments;
  std::string current;
  for (std::size_t i = 1; i < size && arguments.size() < kMaxArguments; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (size > 1 && arguments.size() < kMaxArguments) arguments.push_back(current);

  std::vector<const char*> vector{"Vadro"};
  for (const std::string& argument : arguments) vector.push_back(argument.c_str());
  vector.push_back(nullptr);  // argv[argc] is null, as the system passes it
  vadro::DiscList list(static_cast<std::int32_t>(vector.size() - 1), vector.data());

  std::vector<std::int32_t> expected;
  bool valid = Expected(arguments, &expected);
  FUZZ_CHECK(list.valid == valid);
  if (!valid) return 0;
  FUZZ_CHECK(list.Count() == static_cast<std::int32_t>(expected.size()));
  const vadro::PooledList::Node* previous = nullptr;
  std::size_t index = 0;
  for (const vadro::PooledList::Node* node = list.Head(); node != nullptr; node = node->next, ++index) {
    FUZZ_CHECK(index < expected.size());
    FUZZ_CHECK(node->value == expected[index]);
    FUZZ_CHECK(node->value >= 1);
    FUZZ_CHECK(node->prev == previous);
    previous = node;
  }
  FUZZ_CHECK(index == expected.size());
  FUZZ_CHECK(list.Tail() == previous);
  return 0;
}
