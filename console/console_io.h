// ConsoleIo: the console as the operating system offers it, one operation per system call that the
// console helpers make: cells, colour attributes, the cursor and the buffer width on the output
// side, and single keystrokes on the input side. The Windows console and POSIX terminals each
// implement it once; tests install an in-memory screen in its place (SetConsoleIo).
#pragma once
#include <cstdint>

namespace vadro {

// A console cell: column and row, (0, 0) being the top-left cell of the screen buffer.
struct CellPosition {
  std::int16_t column;
  std::int16_t row;
};

inline bool operator==(CellPosition a, CellPosition b) { return a.column == b.column && a.row == b.row; }
inline bool operator!=(CellPosition a, CellPosition b) { return !(a == b); }

// What the console tells about its screen buffer.
struct ScreenBufferInfo {
  CellPosition cursor;      // the cell that the next character written takes
  std::int16_t width;       // columns per row
  std::int16_t height;      // rows; text that runs past the last one scrolls the buffer up
  std::uint16_t attribute;  // colour attribute that written text takes
};

// The events since the process began after which cells measured earlier may no longer be where
// they were, counted: the console changed its size (a terminal wraps its rows anew), or the process
// was stopped and continued (the shell may have written meanwhile).
struct LayoutChanges {
  std::uint32_t resizes;
  std::uint32_t continues;
};

inline bool operator==(LayoutChanges a, LayoutChanges b) {
  return a.resizes == b.resizes && a.continues == b.continues;
}
inline bool operator!=(LayoutChanges a, LayoutChanges b) { return !(a == b); }

// The system's handle of a console output (a Win32 console handle on Windows).
using ConsoleHandle = void*;

// Colour attributes, as the Windows console numbers them.
constexpr std::uint16_t kNormalAttribute = 7;      // light grey on black
constexpr std::uint16_t kBrightRedAttribute = 12;  // bright red on black

// What GetKey returns when no keystroke can ever come: standard input ended or console input failed.
constexpr int kNoMoreKeys = -1;

class ConsoleIo {
 public:
  virtual ~ConsoleIo() = default;

  // The console handle of a standard stream (-10 input, -11 output, -12 error); false when the
  // system has none to give.
  virtual bool GetStdHandle(std::int32_t stdHandleId, ConsoleHandle& handle) = 0;
  virtual void CloseHandle(ConsoleHandle handle) = 0;

  // False when the console cannot report (no console, output redirected, a null handle).
  virtual bool GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) = 0;
  // Writes `length` characters into the cells from `position` on, continuing on the next row at
  // the end of a row; moves neither the cursor nor any attribute. Code 0 shows as a blank.
  virtual void WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                                     CellPosition position) = 0;
  virtual void SetCursorPosition(ConsoleHandle handle, CellPosition position) = 0;
  // `count` cells from `position` on take the character `ch`; their attributes stay. False on failure.
  virtual bool FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count,
                                   CellPosition position) = 0;
  // `count` cells from `position` on take `attribute`.
  virtual void FillOutputAttribute(ConsoleHandle handle, std::uint16_t attribute, std::int32_t count,
                                   CellPosition position) = 0;
  // The attribute that text written from now on takes.
  virtual void SetTextAttribute(ConsoleHandle handle, std::uint16_t attribute) = 0;
  // Writes `length` characters at the cursor and moves the cursor behind them.
  virtual void WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) = 0;

  // The next keystroke's code, waiting for one, without echo; kNoMoreKeys when input has ended.
  // Special keys start with 0 (function keys) or 224 (arrow and editing keys); the Windows console
  // then gives a second code, a terminal's key is one code (console/terminal_key_decoder.h).
  virtual int GetKey() = 0;
  // True when GetKey would return at once.
  virtual bool KeyWaiting() = 0;
  // Echoes one character at the cursor and moves the cursor on.
  virtual void PutKey(int ch) = 0;

  // The layout changes so far; cheap enough to ask before every cell write.
  virtual LayoutChanges Changes() = 0;
};

// The platform's own console (Windows console or POSIX terminal).
ConsoleIo& SystemConsoleIo();

// The console that the helpers use: the system's unless a test has installed another.
ConsoleIo& ActiveConsoleIo();

// Installs `io` (null: the system's again) and returns the one installed before (null: the system's).
ConsoleIo* SetConsoleIo(ConsoleIo* io);

}  // namespace vadro
