#include "app/disc_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vadro {
namespace {

struct Parsed {
  std::vector<std::int32_t> discs;
  bool valid;
  std::string output;
};

Parsed Parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "Vadro");
  testing::internal::CaptureStdout();
  DiscList list(static_cast<std::int32_t>(arguments.size()), arguments.data());
  Parsed parsed{{}, list.valid, testing::internal::GetCapturedStdout()};
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
      {{"2147483647"}, {2147483647}},
      {{"0000000000025", "000000000000000000000000000007-0000000000008"}, {25, 7, 8}},
      {{"5--2147483648"}, {}},
  };
  for (const Case& c : cases) {
    Parsed parsed = Parse(c.arguments);
    EXPECT_TRUE(parsed.valid) << c.arguments[0];
    EXPECT_EQ(parsed.discs, c.discs) << c.arguments[0];
    EXPECT_EQ(parsed.output, "") << c.arguments[0];
  }
}

TEST(DiscListTest, RejectedArgumentsPrintTheUsageTextOnce) {
  const char* rejected[] = {"0", "abc", "", "-5", "5-", "0-4", "4-0", "-",
                            // Digit runs beyond 32 bits, in an argument and at either end of a range.
                            "2147483648", "4294967295", "4294967296", "4294967297", "4294967446",
                            "123456789012345678901234567890", "4294967297-4294967298", "1-4294967297",
                            "2147483648-2", "5--2147483649", "4294966395x-5", "4294967295-x-3"};
  for (const char* argument : rejected) {
    Parsed parsed = Parse({"7", argument, "8"});
    EXPECT_FALSE(parsed.valid) << argument;
    EXPECT_EQ(parsed.discs, Discs{7}) << argument;
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
