// ConsoleOut: the process-wide console output handle and the operations that address console cells
// directly, beside the running text of the standard output stream. Both reach the same screen; the
// operations here read the console's own cursor, which is where the last running text ended (the
// text output functions flush after every call).
#pragma once
#include <cstdint>

#include "console/console_io.h"

namespace vadro {

// Standard handle identifier of the standard output.
constexpr std::int32_t kStdOutputHandle = -11;

// Stands in for the cursor whenever the console cannot report it: the top-left cell. Never changes.
constexpr CellPosition kFallbackPosition = {0, 0};

class ConsoleOut {
 public:
  ConsoleOut() = default;
  // Closes the handle (at process exit for the process-wide object).
  virtual ~ConsoleOut();
  ConsoleOut(const ConsoleOut&) = delete;
  ConsoleOut& operator=(const ConsoleOut&) = delete;

  // Takes the standard handle `stdHandleId`; false (and `handle` unchanged) when there is none.
  bool Open(std::int32_t stdHandleId);
  // Closes `handle`, if any, and forgets it.
  void Close();

  // The console's cursor, or kFallbackPosition when the console cannot report it.
  CellPosition CursorOrFallback() const;
  // `at`, the cursor as measured while the layout changes were `seen`; the cursor measured again
  // when the layout has changed since (`seen` then brought up to date): a new size or a continue
  // moves the text, and a cursor that nothing else has moved still stands where the text ended.
  CellPosition CursorSince(CellPosition at, LayoutChanges& seen) const;
  // Counts `seconds` down in the cell under the cursor, one number a second (single digits only:
  // each number covers the previous one). The cursor stays; the last number ("1") stays visible.
  void Countdown(std::int32_t seconds) const;
  // Blanks the cell before the cursor (the last of the row above at column 0, the top-left cell
  // itself there) and moves the cursor onto it. False, changing nothing, when the console cannot
  // report its cursor.
  bool EraseBack() const;

  // The ConsoleIo operations (console/console_io.h) on `handle`, in this order: WriteOutputCharacters,
  // SetCursorPosition, GetScreenBufferInfo, FillOutputCharacter, FillOutputAttribute,
  // SetTextAttribute, WriteAtCursor.
  void WriteAt(const char* text, std::int32_t length, CellPosition position) const;
  void SetCursor(CellPosition position) const;
  bool ScreenInfo(ScreenBufferInfo& info) const;
  bool FillCharacter(char ch, std::int32_t count, CellPosition position) const;
  void FillAttribute(std::uint16_t attribute, std::int32_t count, CellPosition position) const;
  void SetTextAttribute(std::uint16_t attribute) const;
  void WriteAtCursor(const char* text, std::int32_t length) const;

  // Null until Open; every operation on a null handle fails quietly.
  ConsoleHandle handle = nullptr;
};

// The one console output of the process, opened by the entry on the standard output.
extern ConsoleOut consoleOut;

}  // namespace vadro
