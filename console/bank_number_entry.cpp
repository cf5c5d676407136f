#include "console/bank_number_entry.h"

#include "base/heap_string.h"
#include "base/sleep.h"
#include "console/console_io.h"
#include "console/console_out.h"
#include "console/input_ended.h"

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
constexpr int kEnterKey = 13;
constexpr int kBackspaceKey = 8;

int NextKey() {
  int key = ActiveConsoleIo().GetKey();
  if (key == kNoMoreKeys) throw InputEnded();
  return key;
}

bool IsDigitKey(int key) { return key >= '0' && key <= '9'; }

// Reads keystrokes into `entry` until Enter or a key whose first code is 0, which end it unechoed.
// Accepted digits are echoed; everything else is ignored.
void TypeEntry(HeapString& entry) {
  for (;;) {
    int key = NextKey();
    if (key == 0 || key == kEnterKey) return;
    if (IsDigitKey(key) && entry.Length() < kMaxDigits) {
      entry.AppendChar(static_cast<char>(key));
      ActiveConsoleIo().PutKey(key);
    } else if (key == kBackspaceKey && entry.Length() > 0) {
      entry.Assign(entry.Left(entry.Length() - 1));
      consoleOut.EraseBack();
    }
  }
}

std::int64_t CellIndex(CellPosition position, std::int32_t width) {
  return static_cast<std::int64_t>(position.row) * width + position.column;
}

// The cell of the entry's first digit. `began` is where the cursor stood while the entry was still
// empty; counting back from the cursor on its own row alone would miss a start on the row above
// when the digits have run past the end of a row. Two console behaviours are taken into account:
// - a console that scrolled while the digits went on to a new row has moved the start up with its
//   text: the cursor is then whole rows short of where `began` and the digits put it;
// - a terminal that reported `began` on the last cell of a row while its next character goes to the
//   row below (its pending line wrap) puts the cursor one cell further than `began` says.
// Without the console's report `began` stands as it is.
CellPosition EntryStart(CellPosition began, std::int32_t length) {
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return began;
  std::int32_t width = info.width;
  std::int64_t expected = CellIndex(began, width) + length;
  std::int64_t cursor = CellIndex(info.cursor, width);
  if (cursor > expected) {
    std::int64_t start = cursor - length;
    return CellPosition{static_cast<std::int16_t>(start % width), static_cast<std::int16_t>(start / width)};
  }
  std::int64_t scrolledRows = (expected - cursor) / width;
  CellPosition start = began;
  start.row = static_cast<std::int16_t>(scrolledRows < start.row ? start.row - scrolledRows : 0);
  return start;
}

// Shows the warning in red from `start` over the typed digits until a key is pressed (the key is
// not kept) or 300 polls of 10 ms have passed, then blanks it and puts the cursor back on `start`.
void ShowWarning(CellPosition start) {
  consoleOut.SetCursor(start);
  ScreenBufferInfo info{};
  // Without the console's report the normal colours are put back: 0 would be black on black.
  std::uint16_t noted = consoleOut.ScreenInfo(info) ? info.attribute : kNormalAttribute;
  consoleOut.SetTextAttribute(kWarningAttribute);
  consoleOut.WriteAtCursor(kWarning, kWarningLength);
  consoleOut.SetTextAttribute(noted);
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
}

}  // namespace

std::int32_t ReadBankNumber() {
  HeapString entry;
  CellPosition began = consoleOut.CursorOrFallback();
  for (;;) {
    TypeEntry(entry);
    std::int32_t number = entry.ToInteger();
    CellPosition start = EntryStart(began, entry.Length());
    if (number >= kLowestBank && number <= kHighestBank) {
      consoleOut.SetCursor(start);
      consoleOut.FillCharacter(0, kMaxDigits, start);
      return number;
    }
    ShowWarning(start);
    entry.Empty();
    began = start;
  }
}

}  // namespace vadro
