#include "console/bank_number_entry.h"

#include <gtest/gtest.h>

#include <string>

#include "console/console_out.h"
#include "console/input_ended.h"
#include "console/interruption.h"
#include "tests/support/fake_clock.h"
#include "tests/support/screen_model.h"

namespace vadro {
namespace {

const char kPrompt[] = "The flashing device will be number: ";
const char kWarning[] = "Please, enter a valid number from 1 to 127.";
constexpr std::int16_t kPromptRow = 2;
constexpr std::int16_t kEntryColumn = sizeof kPrompt - 1;  // 36
constexpr CellPosition kEntryStart = {kEntryColumn, kPromptRow};
constexpr int kBackspace = 8;

// What the screen showed at the first wait of a warning.
struct WarningView {
  bool seen = false;
  std::string line;
  bool allRed = true;
  std::uint16_t attributeAfter = 0;
  CellPosition cursor = {0, 0};
};

class BankNumberEntryTest : public ::testing::Test {
 protected:
  explicit BankNumberEntryTest(std::int16_t width = 80, std::int16_t height = 25)
      : columns(width), screen(width, height) {}

  void ShowPrompt(const std::string& prompt = kPrompt, std::int16_t row = kPromptRow) {
    screen.PlaceCursor(CellPosition{0, row});
    screen.Print(prompt);
  }

  // Notes the screen at the first wait of the first warning, the warning standing at `start`.
  void WatchWarning(CellPosition start) {
    FakeClock::OnSleep([this, start](std::uint64_t) {
      if (warning.seen) return;
      warning.seen = true;
      warning.line = screen.Line(start.row);
      for (std::int32_t i = 0; i < 43; ++i) {
        CellPosition cell = CellAt(start, i);
        if (screen.AttributeAt(cell) != kBrightRedAttribute) warning.allRed = false;
      }
      warning.attributeAfter = screen.TextAttribute();
      warning.cursor = screen.Cursor();
    });
  }

  CellPosition CellAt(CellPosition start, std::int32_t offset) const {
    std::int32_t index = start.column + offset;
    return CellPosition{static_cast<std::int16_t>(index % columns),
                        static_cast<std::int16_t>(start.row + index / columns)};
  }

  // True when `count` cells from `start` hold the erased code 0.
  bool Blank(CellPosition start, std::int32_t count) const {
    for (std::int32_t i = 0; i < count; ++i) {
      if (screen.CodeAt(CellAt(start, i)) != '\0') return false;
    }
    return true;
  }

  const std::int16_t columns;
  FakeClock clock;
  InstalledScreenModel screen;
  WarningView warning;
};

TEST_F(BankNumberEntryTest, AcceptedNumberLeavesThreeBlankCellsWithTheCursorOnTheFirst) {
  ShowPrompt();
  screen.Type("9");
  screen.TypeCode(kBackspace);
  screen.Type("5\r");
  EXPECT_EQ(ReadBankNumber(), 5);
  EXPECT_TRUE(Blank(kEntryStart, 3));
  EXPECT_EQ(screen.Cursor(), kEntryStart);
  EXPECT_EQ(screen.Line(kPromptRow), "The flashing device will be number:");
  EXPECT_FALSE(warning.seen);
  EXPECT_EQ(FakeClock::Sleeps(), 0u);
}

TEST_F(BankNumberEntryTest, NumbersFromOneTo127AreAcceptedWithLeadingZeros) {
  const struct {
    const char* typed;
    std::int32_t number;
  } cases[] = {{"127\r", 127}, {"1\r", 1}, {"007\r", 7}, {"040\r", 40}};
  for (const auto& c : cases) {
    ShowPrompt();
    screen.Type(c.typed);
    EXPECT_EQ(ReadBankNumber(), c.number) << c.typed;
  }
  EXPECT_EQ(FakeClock::Sleeps(), 0u);
}

TEST_F(BankNumberEntryTest, TheWarningShowsInRedUntilAKeyThatIsNotTakenAsInput) {
  const std::uint16_t yellowOnBlue = 0x1E;  // the colours the console had before the warning
  consoleOut.SetTextAttribute(yellowOnBlue);
  ShowPrompt();
  WatchWarning(kEntryStart);
  screen.Type("128\r");
  screen.Type("7", 50);  // pressed while the warning shows
  screen.Type("5\r", 60);

  EXPECT_EQ(ReadBankNumber(), 5);

  ASSERT_TRUE(warning.seen);
  EXPECT_EQ(warning.line, std::string(kPrompt) + kWarning);
  EXPECT_TRUE(warning.allRed);
  EXPECT_EQ(warning.attributeAfter, yellowOnBlue);
  EXPECT_EQ(warning.cursor, (CellPosition{kEntryColumn + 43, kPromptRow}));
  EXPECT_EQ(FakeClock::Sleeps(), 5u);  // the key ended the wait at 50 ms
  // The warning is gone, its cells blank in the colours of before.
  EXPECT_TRUE(Blank(kEntryStart, 43));
  for (std::int32_t i = 0; i < 43; ++i) EXPECT_EQ(screen.AttributeAt(CellAt(kEntryStart, i)), yellowOnBlue);
  EXPECT_EQ(screen.Cursor(), kEntryStart);
}

TEST_F(BankNumberEntryTest, OutOfRangeNumbersAreRefused) {
  for (const char* typed : {"128\r", "000\r", "\r", "999\r"}) {
    ShowPrompt();
    std::uint64_t now = FakeClock::Now();
    std::uint32_t sleeps = FakeClock::Sleeps();
    screen.Type(typed, now);
    screen.Type("x", now + 20);
    screen.Type("3\r", now + 20);
    EXPECT_EQ(ReadBankNumber(), 3) << typed;
    EXPECT_EQ(FakeClock::Sleeps() - sleeps, 2u) << typed;  // the warning was shown
  }
}

TEST_F(BankNumberEntryTest, WithoutAKeyTheWarningGoesAfter300WaitsOf10Ms) {
  ShowPrompt();
  screen.Type("128\r");
  screen.Type("12\r", 5000);
  EXPECT_EQ(ReadBankNumber(), 12);
  // All 300 waits passed before the next key was read.
  EXPECT_EQ(FakeClock::Sleeps(), 300u);
  EXPECT_TRUE(Blank(CellAt(kEntryStart, 3), 40));
}

TEST_F(BankNumberEntryTest, AFourthDigitIsNeitherEchoedNorKept) {
  ShowPrompt();
  screen.Type("1234\r");
  EXPECT_EQ(ReadBankNumber(), 123);
  EXPECT_EQ(screen.CodeAt(CellAt(kEntryStart, 3)), ' ');  // never written
}

TEST_F(BankNumberEntryTest, BackspaceOnAnEmptyEntryErasesNothing) {
  ShowPrompt();
  screen.TypeCode(kBackspace);
  screen.TypeCode(kBackspace);
  screen.Type("42\r");
  EXPECT_EQ(ReadBankNumber(), 42);
  EXPECT_EQ(screen.Line(kPromptRow), "The flashing device will be number:");
  EXPECT_EQ(screen.CodeAt(CellPosition{kEntryColumn - 1, kPromptRow}), ' ');
}

TEST_F(BankNumberEntryTest, AKeyWhoseFirstCodeIsZeroEndsTheEntry) {
  ShowPrompt();
  screen.Type("4");
  screen.TypeCode(0);
  screen.Type(";");  // the function key's second code
  EXPECT_EQ(ReadBankNumber(), 4);
  EXPECT_EQ(screen.KeysLeft(), 1u);
}

TEST_F(BankNumberEntryTest, LettersSignsAndSecondCodesAreIgnored) {
  ShowPrompt();
  screen.Type("1a-");
  screen.TypeCode(224);
  screen.Type("H2\r");  // an arrow key's two codes, then a digit
  EXPECT_EQ(ReadBankNumber(), 12);
}

TEST_F(BankNumberEntryTest, InputEndingWhileTypingRaisesInputEnded) {
  ShowPrompt();
  screen.Type("12");
  EXPECT_THROW(ReadBankNumber(), InputEnded);
  EXPECT_FALSE(warning.seen);
}

TEST_F(BankNumberEntryTest, InputEndingDuringTheWarningBlanksItAndRaisesInputEnded) {
  ShowPrompt();
  screen.Type("128\r");
  screen.EndInput(40);
  EXPECT_THROW(ReadBankNumber(), InputEnded);
  EXPECT_EQ(FakeClock::Now(), 40u);
  EXPECT_TRUE(Blank(kEntryStart, 43));
  EXPECT_EQ(screen.Cursor(), kEntryStart);
}

TEST_F(BankNumberEntryTest, CtrlCEndsTheEntryWhileTypingAndDuringTheWarning) {
  for (const char* typed : {"12\x03", "128\r\x03"}) {
    ShowPrompt();
    screen.Type(typed);
    try {
      ReadBankNumber();
      ADD_FAILURE() << "not interrupted: " << typed;
    } catch (const EntryInterrupted& interrupted) {
      EXPECT_EQ(interrupted.noted, 0) << "Ctrl + C read as a key";
    }
    EXPECT_EQ(screen.KeysLeft(), 0u);
  }
}

TEST_F(BankNumberEntryTest, WithoutCursorReportTheEntryStartsAtTopLeft) {
  ShowPrompt();
  screen.FailScreenInfo(true);
  screen.Type("5\r");
  EXPECT_EQ(ReadBankNumber(), 5);
  EXPECT_TRUE(Blank(CellPosition{0, 0}, 3));
  EXPECT_EQ(screen.Line(kPromptRow), "The flashing device will be number: 5");
  // The colours before a warning cannot be read either: the normal ones come back, never 0.
  screen.Type("\r");
  screen.Type("x", 10);
  screen.Type("6\r", 10);
  EXPECT_EQ(ReadBankNumber(), 6);
  EXPECT_EQ(screen.TextAttribute(), kNormalAttribute);
  EXPECT_EQ(screen.AttributeAt(CellPosition{42, 0}), kNormalAttribute);
  // Nor can a digit be blanked: Backspace takes it from the entry only.
  screen.Type("12\b3\r", 20);
  EXPECT_EQ(ReadBankNumber(), 13);
}

// An entry that starts two columns before the end of a 40-column row: its digits run on into the
// next row.
class BankNumberEntryAtRowEndTest : public BankNumberEntryTest {
 protected:
  BankNumberEntryAtRowEndTest() : BankNumberEntryTest(40, 6) {}
  const std::string prompt = std::string(37, 'p') + " ";
};

TEST_F(BankNumberEntryAtRowEndTest, TheWarningAndTheBlankingStartAtTheEntryStart) {
  ShowPrompt(prompt, 2);
  const CellPosition start = {38, 2};
  WatchWarning(start);
  screen.Type("128\r");
  screen.Type("x", 10);
  screen.Type("125\r", 20);

  EXPECT_EQ(ReadBankNumber(), 125);

  ASSERT_TRUE(warning.seen);
  EXPECT_EQ(warning.line, prompt + "Pl");
  EXPECT_TRUE(warning.allRed);
  EXPECT_EQ(screen.Line(2), prompt.substr(0, 37));  // the prompt is whole
  EXPECT_TRUE(Blank(start, 43));
  EXPECT_EQ(screen.Cursor(), start);
}

TEST_F(BankNumberEntryAtRowEndTest, AScrollWhileTypingMovesTheEntryStartUpWithTheText) {
  ShowPrompt(prompt, 5);  // the last row: the digits scroll the screen
  screen.Type("12\r");
  EXPECT_EQ(ReadBankNumber(), 12);
  EXPECT_EQ(screen.Line(4), prompt.substr(0, 37));
  EXPECT_TRUE(Blank(CellPosition{38, 4}, 3));
  EXPECT_EQ(screen.Cursor(), (CellPosition{38, 4}));
}

TEST_F(BankNumberEntryAtRowEndTest, AWarningThatScrollsTheScreenIsBlankedWhereItWentTo) {
  ShowPrompt(prompt, 5);  // the last row: the digits scroll the screen by one row, the warning by one more
  screen.Type("128\r");
  screen.Type("x", 10);
  screen.Type("125\r", 20);
  EXPECT_EQ(ReadBankNumber(), 125);
  EXPECT_EQ(screen.Line(3), prompt.substr(0, 37));
  EXPECT_TRUE(Blank(CellPosition{38, 3}, 43));
  EXPECT_EQ(screen.Line(5), "");
  EXPECT_EQ(screen.Cursor(), (CellPosition{38, 3}));
}

TEST_F(BankNumberEntryAtRowEndTest, BackspaceAfterADigitInTheLastColumnBlanksThatDigit) {
  for (bool terminal : {false, true}) {
    screen.DeferWrap(terminal);
    ShowPrompt(std::string(38, 'p') + " ", 1);  // the entry starts in the row's last cell
    screen.Type("9");
    screen.TypeCode(kBackspace);
    screen.Type("5\r");
    EXPECT_EQ(ReadBankNumber(), 5) << terminal;
    EXPECT_EQ(screen.CodeAt(CellPosition{38, 1}), ' ') << terminal;  // the prompt's last cell
    EXPECT_TRUE(Blank(CellPosition{39, 1}, 3)) << terminal;
    EXPECT_EQ(screen.Cursor(), (CellPosition{39, 1})) << terminal;
  }
}

TEST_F(BankNumberEntryAtRowEndTest, ATerminalCursorWaitingToWrapIsTakenForTheNextRow) {
  screen.DeferWrap(true);
  ShowPrompt(std::string(39, 'p') + " ", 1);  // ends on the row's last cell
  ASSERT_EQ(screen.Cursor(), (CellPosition{39, 1}));
  screen.Type("999\r");
  screen.Type("x", 10);
  screen.Type("7\r", 10);
  EXPECT_EQ(ReadBankNumber(), 7);
  EXPECT_EQ(screen.Line(1), std::string(39, 'p'));  // the prompt's last cell was not written
  EXPECT_TRUE(Blank(CellPosition{0, 2}, 43));
  EXPECT_EQ(screen.Cursor(), (CellPosition{0, 2}));
}

}  // namespace
}  // namespace vadro
