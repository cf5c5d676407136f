#include "console/terminal_sequences.h"

#include <gtest/gtest.h>

#include <string>

namespace vadro {
namespace {

TEST(TerminalSequencesTest, FindsTheCursorReportAmongTypedKeys) {
  std::string received = "4\x1b[A\x1b[12;40R7";
  CellPosition cursor = {0, 0};
  std::size_t at = 0;
  std::size_t length = 0;
  ASSERT_TRUE(FindCursorReport(received, cursor, at, length));
  EXPECT_EQ(cursor, (CellPosition{39, 11}));
  EXPECT_EQ(at, 4u);
  EXPECT_EQ(length, 8u);
  ASSERT_TRUE(FindCursorReport("\x1b[1;1R", cursor, at, length));  // the first cell
  EXPECT_EQ(cursor, (CellPosition{0, 0}));
}

TEST(TerminalSequencesTest, AnUnfinishedOrImpossibleReportIsNotFound) {
  CellPosition cursor = {0, 0};
  std::size_t at = 0;
  std::size_t length = 0;
  for (const char* received : {"\x1b[12;4", "\x1b[12R", "\x1b[;5R", "\x1b[1;5A", "12;40R", "\x1b[123456;1R",
                               "\x1b[0;5R", "\x1b[5;0R"}) {
    EXPECT_FALSE(FindCursorReport(received, cursor, at, length)) << received + 1;
  }
}

TEST(TerminalSequencesTest, Colours) {
  EXPECT_EQ(AttributeSequence(kNormalAttribute), "\x1b[0m");
  EXPECT_EQ(AttributeSequence(kBrightRedAttribute), "\x1b[0;91m");
  EXPECT_EQ(AttributeSequence(0x1f), "\x1b[0;97;44m");  // bright white on blue
  EXPECT_EQ(AttributeSequence(0x0a), "\x1b[0;92m");     // bright green
  EXPECT_EQ(AttributeSequence(0x03), "\x1b[0;36m");     // cyan
}

TEST(TerminalSequencesTest, CellWritesKeepTheCursorAndShowCodeZeroAsBlank) {
  EXPECT_EQ(CellWriteSequence("5", 1, CellPosition{17, 0}, 80, 25, ""), "\0337\x1b[1;18H5\0338");
  const char erased[] = {0, 0, 0};
  EXPECT_EQ(CellWriteSequence(erased, 3, CellPosition{36, 4}, 80, 25, "\x1b[0m"),
            "\0337\x1b[0m\x1b[5;37H   \0338");
}

TEST(TerminalSequencesTest, CellWritesGoOnIntoTheNextRowAndStopAtTheScreensEnd) {
  EXPECT_EQ(CellWriteSequence("abc", 3, CellPosition{78, 0}, 80, 25, ""), "\0337\x1b[1;79Hab\x1b[2;1Hc\0338");
  EXPECT_EQ(CellWriteSequence("xyz", 3, CellPosition{79, 24}, 80, 25, ""), "\0337\x1b[25;80Hx\0338");
  EXPECT_EQ(CellWriteSequence("x", 1, CellPosition{80, 0}, 80, 25, ""), "");
  EXPECT_EQ(CellWriteSequence("x", 1, CellPosition{0, 25}, 80, 25, ""), "");
  EXPECT_EQ(CellWriteSequence("x", 1, CellPosition{-1, 0}, 80, 25, ""), "");
  EXPECT_EQ(CellWriteSequence("x", 1, CellPosition{0, -1}, 80, 25, ""), "");
  EXPECT_EQ(CellWriteSequence("x", 1, CellPosition{0, 0}, 0, 25, ""), "");
  // A terminal that does not tell its height: every row is on the screen.
  EXPECT_EQ(CellWriteSequence("ab", 2, CellPosition{0, 99}, 1, 0, ""), "\0337\x1b[100;1Ha\x1b[101;1Hb\0338");
}

}  // namespace
}  // namespace vadro
