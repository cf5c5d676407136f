#include "console/bank_number_entry.h"

#include "base/heap_string.h"
#include "base/sleep.h"
#include "console/console_io.h"
#include "console/console_out.h"
#include "console/input_ended.h"
#include "console/key_codes.h"

namespace vadro {

namespace {

const char kWarning[] = "Please, enter a valid number from 1 to 127.";
constexpr std::int32_t kWarningLength = sizeof kWarning - 1;
constexpr std::uint16_t kWarningAttribute = kBrightRedAttribute;
constexpr std::int32_t kMaxDigits = 3;
constexpr std::int32_t kLowestBank = 1;
constexpr std::int32_t kHighestBank = 127;
constexpr int kWarningPolls = 300;
constexpr std::uint32_t kWarningPollMs = 10;

int NextKey() {
  int key = ActiveConsoleIo().GetKey();
  if (key == kNoMoreKeys) throw InputEnded();
  return key;
}

bool IsDigitKey(int key) { return key >= '0' && key <= '9'; }

std::int64_t CellIndex(CellPosition position, std::int32_t width) {
  return static_cast<std::int64_t>(position.row) * width + position.column;
}

CellPosition CellOf(std::int64_t index, std::int32_t width) {
  return CellPosition{static_cast<std::int16_t>(index % width), static_cast<std::int16_t>(index / width)};
}

// Where the text of `length` cells written from `began` now starts, by the console's report `info`;
// counting back from the cursor on its own row alone would miss a start on the row above when the
// text has run past the end of a row. Two console behaviours are taken into account:
// - a console that scrolled while the text went on to a new row has moved the start up with it:
//   the cursor is then whole rows short of where `began` and the text put it;
// - a terminal that reported `began` on the last cell of a row while its next character goes to the
//   row below (its pending line wrap) puts the cursor one cell further than `began` says.
CellPosition StartOfText(const ScreenBufferInfo& info, CellPosition began, std::int32_t length) {
  std::int32_t width = info.width;
  std::int64_t expected = CellIndex(began, width) + length;
  std::int64_t cursor = CellIndex(info.cursor, width);
  if (cursor > expected) return CellOf(cursor - length, width);
  std::int64_t scrolledRows = (expected - cursor) / width;
  CellPosition start = began;
  start.row = static_cast<std::int16_t>(scrolledRows < start.row ? start.row - scrolledRows : 0);
  return start;
}

// StartOfText with the cursor as the console reports it now; without the report `began` stands.
CellPosition StartNow(CellPosition began, std::int32_t length) {
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return began;
  return StartOfText(info, began, length);
}

// Blanks the last of the `length` digits echoed from `began` and puts the cursor on its cell. The
// cell is counted from the entry's start, not taken as the one before the cursor: a terminal whose
// wrap is pending after a digit in a row's last cell still shows its cursor on that digit. Without
// the console's report nothing is blanked.
void EraseLastDigit(CellPosition began, std::int32_t length) {
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return;
  CellPosition digit =
      CellOf(CellIndex(StartOfText(info, began, length), info.width) + length - 1, info.width);
  consoleOut.SetCursor(digit);
  consoleOut.FillCharacter(0, 1, digit);
}

// Reads keystrokes into `entry`, echoed from `began` on, until Enter or a key whose first code is
// 0, which end it unechoed. Accepted digits are echoed; everything else is ignored.
void TypeEntry(HeapString& entry, CellPosition began) {
  for (;;) {
    int key = NextKey();
    if (key == kFunctionKeyCode || key == kEnterKeyCode) return;
    if (IsDigitKey(key) && entry.Length() < kMaxDigits) {
      entry.AppendChar(static_cast<char>(key));
      ActiveConsoleIo().PutKey(key);
    } else if (key == kBackspaceKeyCode && entry.Length() > 0) {
      EraseLastDigit(began, entry.Length());
      entry.Assign(entry.Left(entry.Length() - 1));
    }
  }
}

// Shows the warning in red from `start` over the typed digits until a key is pressed (the key is
// not kept) or 300 polls of 10 ms have passed, then blanks it and puts the cursor where it began,
// which it returns: a warning that ran past the last row has scrolled the screen, and its start
// with it.
CellPosition ShowWarning(CellPosition start) {
  consoleOut.SetCursor(start);
  ScreenBufferInfo info{};
  // Without the console's report the normal colours are put back: 0 would be black on black.
  std::uint16_t noted = consoleOut.ScreenInfo(info) ? info.attribute : kNormalAttribute;
  consoleOut.SetTextAttribute(kWarningAttribute);
  consoleOut.WriteAtCursor(kWarning, kWarningLength);
  consoleOut.SetTextAttribute(noted);
  start = StartNow(start, kWarningLength);
  for (int poll = 0; poll < kWarningPolls; ++poll) {
    if (ActiveConsoleIo().KeyWaiting()) {
      // Ended input counts as a key here; the next read reports the end, after the warning is gone.
      ActiveConsoleIo().GetKey();
      break;
    }
    SleepMs(kWarningPollMs);
  }
  consoleOut.FillCharacter(0, kWarningLength, start);
  consoleOut.FillAttribute(noted, kWarningLength, start);
  consoleOut.SetCursor(start);
  return start;
}

}  // namespace

std::int32_t ReadBankNumber() {
  HeapString entry;
  CellPosition began = consoleOut.CursorOrFallback();
  for (;;) {
    TypeEntry(entry, began);
    std::int32_t number = entry.ToInteger();
    CellPosition start = StartNow(began, entry.Length());
    if (number >= kLowestBank && number <= kHighestBank) {
      consoleOut.SetCursor(start);
      consoleOut.FillCharacter(0, kMaxDigits, start);
      return number;
    }
    began = ShowWarning(start);
    entry.Empty();
  }
}

}  // namespace vadro
