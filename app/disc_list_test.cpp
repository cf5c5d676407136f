#include "app/disc_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/captured_output.h"

namespace vadro {
namespace {

struct Parsed {
  std::vector<std::int32_t> discs;
  bool valid;
  std::string output;
};

Parsed Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "Vadro");
  CapturedOutput captured;
  DiscList list(static_cast<std::int32_t>(arguments.size()), arguments.data());
  Parsed parsed{{}, list.valid, captured.Text()};
  for (auto* node = list.Head(); node; node = node->next) parsed.discs.push_back(node->value);
  return parsed;
}

using Discs = std::vector<std::int32_t>;

TEST(DiscListTest, AcceptedArgumentsAppendInOrder) {
  struct Case {
    std::vector<const char*> arguments;
    Discs discs;
  } cases[] = {
      {{"25", "186-189", "3"}, {25, 186, 187, 188, 189, 3}},
      {{"3", "3"}, {3, 3}},
      {{"3-3"}, {3}},
      {{"189-186"}, {}},
      {{"2-5-9"}, {2, 3, 4, 5}},
      {{"5--3"}, {}},
      {{"12abc"}, {12}},
      {{"4294967297"}, {1}},
  };
  for (const Case& c : cases) {
    Parsed parsed = Parse(c.arguments);
    EXPECT_TRUE(parsed.valid) << c.arguments[0];
    EXPECT_EQ(parsed.discs, c.discs) << c.arguments[0];
    EXPECT_EQ(parsed.output, "") << c.arguments[0];
  }
}

TEST(DiscListTest, RejectedArgumentsPrintTheUsageTextOnce) {
  const char* rejected[] = {"0", "abc", "", "-5", "5-", "0-4", "4-0", "-"};
  for (const char* argument : rejected) {
    Parsed parsed = Parse({"7", argument, "abc"});
    EXPECT_FALSE(parsed.valid) << argument;
    EXPECT_EQ(parsed.output, kUsageText) << argument;
  }
}

TEST(DiscListTest, NoArgumentPrintsTheUsageText) {
  Parsed parsed = Parse({});
  EXPECT_FALSE(parsed.valid);
  EXPECT_TRUE(parsed.discs.empty());
  EXPECT_EQ(parsed.output, kUsageText);
}

TEST(DiscListTest, UsageTextIsByteExact) {
  EXPECT_EQ(std::string(kUsageText),
            "\r\n   This utility is designated to control Vadro CD Library devices via USB port.\r\n"
            "It selects the indicated CD or CDs. Numbers must started form 1. Version 1.00.\r\n\r\n"
            "Vadro [Number] [Number1-NumberN] ...\r\n\r\n"
            "Example: Vadro 25 186-189 3\r\n"
            "It will select one by one disks 25, 186, 187, 188, 189, 3.\r\n");
}

TEST(DiscListTest, RangeEndingAtTheLargestValueDoesNotWrap) {
  Parsed parsed = Parse({"2147483640-2147483647"});
  ASSERT_TRUE(parsed.valid);
  ASSERT_EQ(parsed.discs.size(), 8u);
  EXPECT_EQ(parsed.discs.back(), 2147483647);
}

// Digit runs too long for 32 bits wrap; where they wrap below 1 they would name discs 0 and
// below, whose slots no device has. (Found by fuzzing: 4294966395x-5 appended -901 to 5.)
TEST(DiscListTest, NumbersWrappedBelowOneAreRefused) {
  for (const char* argument : {"4294967295", "2147483648", "4294966395x-5", "4294967295-4294967295"}) {
    Parsed parsed = Parse({"7", argument});
    EXPECT_FALSE(parsed.valid) << argument;
    EXPECT_EQ(parsed.output, kUsageText) << argument;
  }
  // Nothing named: the start lies above the end.
  Parsed empty = Parse({"4294967295-x-3"});
  EXPECT_TRUE(empty.valid);
  EXPECT_TRUE(empty.discs.empty());
}

TEST(DiscListTest, OverlongRangeIsRefusedWithItsOwnLine) {
  Parsed parsed = Parse({"1-2147483647"});
  EXPECT_FALSE(parsed.valid);
  EXPECT_TRUE(parsed.discs.empty());
  EXPECT_EQ(parsed.output, std::string("\r\nToo many discs in one range (at most 19050).\r\n") + kUsageText);

  Parsed longest = Parse({"1-19050"});
  EXPECT_TRUE(longest.valid);
  EXPECT_EQ(longest.discs.size(), 19050u);
  EXPECT_FALSE(Parse({"1-19051"}).valid);
}

}  // namespace
}  // namespace vadro
