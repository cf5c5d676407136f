#include "console/bank_number_entry.h"

#include <algorithm>

#include "base/heap_string.h"
#include "base/sleep.h"
#include "console/console_io.h"
#include "console/console_out.h"
#include "console/input_ended.h"
#include "console/interruption.h"
#include "console/key_codes.h"

namespace vadro {

namespace {

const char kWarning[] = "Please, enter a valid number from 1 to 127.";
constexpr std::int32_t kWarningLength = sizeof kWarning - 1;
constexpr std::uint16_t kWarningAttribute = kBrightRedAttribute;
constexpr std::int32_t kMaxDigits = 3;
constexpr std::int32_t kLowestBank = 1;
constexpr std::int32_t kHighestBank = 127;
constexpr std::uint64_t kWarningPolls = 300;
constexpr std::uint32_t kWarningPollMs = 10;

// Ends the entry when Ctrl + C or another request to end the program has come.
void StopIfInterrupted(int key) {
  int noted = NotedInterruption();
  if (noted != 0 || key == kControlCKeyCode) throw EntryInterrupted{noted};
}

int NextKey() {
  int key = ActiveConsoleIo().GetKey();
  StopIfInterrupted(key);
  if (key == kNoMoreKeys) throw InputEnded();
  return key;
}

bool IsDigitKey(int key) { return key >= '0' && key <= '9'; }

std::int64_t CellIndex(CellPosition position, std::int32_t width) {
  return static_cast<std::int64_t>(position.row) * width + position.column;
}

// A negative index is a cell of a row above the screen's first: a text that has scrolled its start
// off the screen keeps counting from there.
CellPosition CellOf(std::int64_t index, std::int32_t width) {
  std::int64_t row = index >= 0 ? index / width : -((-index + width - 1) / width);
  return CellPosition{static_cast<std::int16_t>(index - row * width), static_cast<std::int16_t>(row)};
}

// The first cell of a text from `start` that is still on the screen: the screen's first cell when
// its start has left the screen at the top (on a screen of a few rows).
CellPosition FirstShown(CellPosition start) { return start.row < 0 ? CellPosition{0, 0} : start; }

// Where the text of `length` cells written from `began` now starts, by the console's report `info`;
// counting back from the cursor on its own row alone would miss a start on the row above when the
// text has run past the end of a row. Two console behaviours are taken into account:
// - a console that scrolled while the text went on to a new row has moved the start up with it:
//   the cursor is then whole rows short of where `began` and the text put it (on a screen of a few
//   rows the start may have left it: a row above the first);
// - a terminal that reported `began` on the last cell of a row while its next character goes to the
//   row below (its pending line wrap) puts the cursor one cell further than `began` says.
CellPosition StartOfText(const ScreenBufferInfo& info, CellPosition began, std::int32_t length) {
  std::int32_t width = info.width;
  std::int64_t expected = CellIndex(began, width) + length;
  std::int64_t cursor = CellIndex(info.cursor, width);
  if (cursor > expected) return CellOf(cursor - length, width);
  std::int64_t scrolledRows = (expected - cursor) / width;
  CellPosition start = began;
  start.row = static_cast<std::int16_t>(start.row - scrolledRows);
  return start;
}

// StartOfText with the cursor as the console reports it now; without the report `began` stands.
CellPosition StartNow(CellPosition began, std::int32_t length) {
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return began;
  return StartOfText(info, began, length);
}

// True when `length` cells written from `start` reach the last cell of the screen by `info`: the
// text has then scrolled the screen up, or the Windows console has on its wrap after that cell.
bool ReachesLastCell(const ScreenBufferInfo& info, CellPosition start, std::int32_t length) {
  return info.height <= 0 ||
         CellIndex(start, info.width) + length >= static_cast<std::int64_t>(info.width) * info.height;
}

// Brings `start` up to date after the layout changes since `seen`: `length` cells that the entry
// wrote from there end at the cursor. A new size has wrapped the rows anew, the text with them, and
// the text still ends at the cursor. After a continue the shell may have written: when the cursor
// is no longer where the text ended, the text is lost to the entry, which goes on at the cursor;
// false then.
bool Follow(CellPosition& start, std::int32_t length, LayoutChanges& seen) {
  LayoutChanges now = ActiveConsoleIo().Changes();
  if (now == seen) return true;
  bool continued = now.continues != seen.continues;
  seen = now;
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return true;
  std::int64_t cursor = CellIndex(info.cursor, info.width);
  if (continued && cursor != CellIndex(start, info.width) + length) {
    start = info.cursor;
    return false;
  }
  start = CellOf(std::max<std::int64_t>(cursor - length, 0), info.width);
  return true;
}

// Blanks the last of the `length` digits echoed from `began` and puts the cursor on its cell, where
// the entry now ends; `began` follows the entry's start. The cell is counted from the entry's start,
// not taken as the one before the cursor: a terminal whose wrap is pending after a digit in a row's
// last cell still shows its cursor on that digit. Where that digit has left the screen at the top,
// the cursor goes to the screen's first cell (the one after it), where the next digit then shows.
// Without the console's report nothing is blanked.
void EraseLastDigit(CellPosition& began, std::int32_t length) {
  ScreenBufferInfo info{};
  if (!consoleOut.ScreenInfo(info) || info.width <= 0) return;
  std::int64_t last = CellIndex(StartOfText(info, began, length), info.width) + length - 1;
  CellPosition digit = FirstShown(CellOf(last, info.width));
  consoleOut.SetCursor(digit);
  consoleOut.FillCharacter(0, 1, digit);
  began = CellOf(CellIndex(digit, info.width) - (length - 1), info.width);
}

// Reads keystrokes into `entry`, echoed from `began` on, until Enter or a key whose first code is
// 0, which end it unechoed. Accepted digits are echoed; everything else is ignored. The digits
// typed so far are shown again where the entry goes on when a continue has lost them.
void TypeEntry(HeapString& entry, CellPosition& began, LayoutChanges& seen) {
  for (;;) {
    int key = NextKey();
    if (!Follow(began, entry.Length(), seen)) {
      for (std::int32_t i = 0; i < entry.Length(); ++i) ActiveConsoleIo().PutKey(entry.Text()[i]);
    }
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
// with it, or off a screen of a few rows, whose first cell it then begins at. Only then is the
// console asked again, and the wait for its answer is part of the 3 s.
CellPosition ShowWarning(CellPosition start, LayoutChanges& seen) {
  consoleOut.SetCursor(start);
  ScreenBufferInfo info{};
  bool known = consoleOut.ScreenInfo(info) && info.width > 0;
  // Without the console's report the normal colours are put back: 0 would be black on black.
  std::uint16_t noted = known ? info.attribute : kNormalAttribute;
  consoleOut.SetTextAttribute(kWarningAttribute);
  consoleOut.WriteAtCursor(kWarning, kWarningLength);
  consoleOut.SetTextAttribute(noted);
  std::uint64_t shown = NowMs();
  if (known && ReachesLastCell(info, start, kWarningLength)) start = StartNow(start, kWarningLength);
  std::uint64_t asked = (NowMs() - shown + kWarningPollMs - 1) / kWarningPollMs;
  for (std::uint64_t poll = asked; poll < kWarningPolls; ++poll) {
    StopIfInterrupted(0);
    if (ActiveConsoleIo().KeyWaiting()) {
      // Ended input counts as a key here; the next read reports the end, after the warning is gone.
      StopIfInterrupted(ActiveConsoleIo().GetKey());
      break;
    }
    SleepMs(kWarningPollMs);
  }
  bool followed = Follow(start, kWarningLength, seen);
  start = FirstShown(start);
  if (followed) {
    consoleOut.FillCharacter(0, kWarningLength, start);
    consoleOut.FillAttribute(noted, kWarningLength, start);
  }
  consoleOut.SetCursor(start);
  return start;
}

}  // namespace

std::int32_t ReadBankNumber() {
  InterruptionHold hold;
  HeapString entry;
  LayoutChanges seen = ActiveConsoleIo().Changes();
  CellPosition began = consoleOut.CursorOrFallback();
  for (;;) {
    TypeEntry(entry, began, seen);
    std::int32_t number = entry.ToInteger();
    CellPosition start = FirstShown(StartNow(began, entry.Length()));
    if (number >= kLowestBank && number <= kHighestBank) {
      consoleOut.SetCursor(start);
      consoleOut.FillCharacter(0, kMaxDigits, start);
      return number;
    }
    began = ShowWarning(start, seen);
    entry.Empty();
  }
}

}  // namespace vadro
