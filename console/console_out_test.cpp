#include "console/console_out.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_clock.h"
#include "tests/support/screen_model.h"

namespace vadro {
namespace {

class ConsoleOutTest : public ::testing::Test {
 protected:
  FakeClock clock;
  InstalledScreenModel screen;
};

TEST_F(ConsoleOutTest, CountdownCountsInOneCellAndLeavesTheCursorOnTheLastDigit) {
  screen.Print("Initial waiting: ");
  std::string shown;
  FakeClock::OnSleep([&](std::uint64_t) { shown += screen.CodeAt(CellPosition{17, 0}); });

  consoleOut.Countdown(5);

  EXPECT_EQ(shown, "54321");  // one number for each second slept
  EXPECT_EQ(FakeClock::Now(), 5000u);
  EXPECT_EQ(FakeClock::Sleeps(), 5u);
  EXPECT_EQ(screen.Cursor(), (CellPosition{17, 0}));
  EXPECT_EQ(screen.Line(0), "Initial waiting: 1");
  // The text that follows starts on the digit's cell and covers it.
  screen.Print("done.\r\n");
  EXPECT_EQ(screen.Line(0), "Initial waiting: done.");
}

TEST_F(ConsoleOutTest, CountdownWithoutCursorReportWritesAtTopLeftAndStillTakesItsTime) {
  screen.Print("Initial waiting: ");
  screen.FailScreenInfo(true);
  consoleOut.Countdown(5);
  EXPECT_EQ(screen.Line(0), "1nitial waiting:");
  EXPECT_EQ(FakeClock::Now(), 5000u);
}

TEST_F(ConsoleOutTest, WithoutAHandleEveryOperationFailsQuietly) {
  consoleOut.Close();
  screen.Print("abc");
  EXPECT_EQ(consoleOut.CursorOrFallback(), kFallbackPosition);
  EXPECT_FALSE(consoleOut.EraseBack());
  consoleOut.Countdown(3);
  consoleOut.WriteAt("xyz", 3, CellPosition{0, 0});
  EXPECT_EQ(screen.Line(0), "abc");
  EXPECT_EQ(screen.Cursor(), (CellPosition{3, 0}));
  EXPECT_EQ(FakeClock::Now(), 3000u);
}

TEST_F(ConsoleOutTest, OpenKeepsTheHandleWhenThereIsNoneAndCloseClosesOnce) {
  ConsoleHandle opened = consoleOut.handle;
  ASSERT_NE(opened, nullptr);
  screen.FailStdHandle(true);
  EXPECT_FALSE(consoleOut.Open(kStdOutputHandle));
  EXPECT_EQ(consoleOut.handle, opened);

  consoleOut.Close();
  consoleOut.Close();
  EXPECT_EQ(screen.CloseCount(), 1);
  EXPECT_EQ(consoleOut.handle, nullptr);
}

TEST_F(ConsoleOutTest, EraseBackBlanksTheCellBeforeTheCursorAndMovesOntoIt) {
  screen.Print("12345");
  EXPECT_TRUE(consoleOut.EraseBack());
  EXPECT_EQ(screen.Cursor(), (CellPosition{4, 0}));
  EXPECT_EQ(screen.CodeAt(CellPosition{4, 0}), '\0');
  EXPECT_EQ(screen.Line(0), "1234");
}

TEST_F(ConsoleOutTest, EraseBackAtColumnZeroGoesToTheLastCellOfTheRowAbove) {
  screen.PlaceCursor(CellPosition{79, 4});
  screen.Print("x");  // the cursor wraps to column 0 of row 5
  ASSERT_EQ(screen.Cursor(), (CellPosition{0, 5}));
  EXPECT_TRUE(consoleOut.EraseBack());
  EXPECT_EQ(screen.Cursor(), (CellPosition{79, 4}));
  EXPECT_EQ(screen.CodeAt(CellPosition{79, 4}), '\0');
}

TEST_F(ConsoleOutTest, EraseBackAtTopLeftBlanksThatCellAndStays) {
  screen.Print("a");
  screen.PlaceCursor(CellPosition{0, 0});
  EXPECT_TRUE(consoleOut.EraseBack());
  EXPECT_EQ(screen.Cursor(), (CellPosition{0, 0}));
  EXPECT_EQ(screen.CodeAt(CellPosition{0, 0}), '\0');
}

TEST_F(ConsoleOutTest, EraseBackKeepsTheCellsColour) {
  consoleOut.SetTextAttribute(kBrightRedAttribute);
  screen.Print("r");
  consoleOut.SetTextAttribute(kNormalAttribute);
  EXPECT_TRUE(consoleOut.EraseBack());
  EXPECT_EQ(screen.AttributeAt(CellPosition{0, 0}), kBrightRedAttribute);
}

TEST_F(ConsoleOutTest, WithoutScreenInfoTheCursorIsTopLeftAndEraseBackChangesNothing) {
  screen.Print("abc");
  screen.FailScreenInfo(true);
  EXPECT_EQ(consoleOut.CursorOrFallback(), (CellPosition{0, 0}));
  EXPECT_FALSE(consoleOut.EraseBack());
  EXPECT_EQ(screen.Line(0), "abc");
  EXPECT_EQ(screen.Cursor(), (CellPosition{3, 0}));
}

}  // namespace
}  // namespace vadro
