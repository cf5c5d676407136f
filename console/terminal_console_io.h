// TerminalConsoleIo: the console on a terminal, made to behave as the Windows console that the
// console helpers address. Cells, the cursor and colours are set with the terminal's control
// sequences (console/terminal_sequences.h).
//
// The cursor it reports is, as on the Windows console, the cell that the next character takes. A
// terminal that has just filled the last cell of a row waits with its wrap until the next
// character comes, and meanwhile reports the last column (xterm) or the column after it (tmux);
// the Windows console has wrapped at once, and scrolled at the last row. So when a report names
// the last column or beyond, the wrap is made to happen as the next character would make it: a
// blank is written and the cursor put back to the start of the row it went to. Where the report
// named the last column the cursor may also simply stand there; the blank then takes the cell
// under the cursor, which the next character would take anyway, and the cursor is put back on it.
//
// The terminal itself is a `Terminal`: the process's own, on its standard descriptors
// (console_io_posix.cpp), or an emulated one in tests.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "console/console_io.h"

namespace vadro {

// A terminal as TerminalConsoleIo uses it. Streams are the standard ones: 0 input, 1 output,
// 2 error.
class Terminal {
 public:
  virtual ~Terminal() = default;

  // True when the standard stream is open.
  virtual bool IsOpen(int stream) = 0;
  // True when what is written to the output stream shows on a terminal's screen. Running text
  // buffered for standard output is written out first, so that the screen is up to date.
  virtual bool ShowsOnScreen(int stream) = 0;
  // Bytes for the screen behind the output stream.
  virtual void Write(int stream, const std::string& bytes) = 0;
  // Columns and rows of that screen; 0 rows when not known.
  virtual void Size(int stream, std::int32_t& width, std::int32_t& height) = 0;
  // The terminal's own report of its cursor, counted from 0; false when it has not answered in
  // time. After filling the last cell of a row it reports the last column or the one after it.
  virtual bool ReportCursor(int stream, CellPosition& cursor) = 0;

  // As ConsoleIo's GetKey and KeyWaiting.
  virtual int ReadKey() = 0;
  virtual bool KeyWaiting() = 0;
  // Shows a typed character where the user types.
  virtual void Echo(char ch) = 0;
  // Colours other than the normal ones are selected: they are to be put back if the process ends.
  virtual void NoteColoured(bool coloured) = 0;
  virtual LayoutChanges Changes() = 0;
};

class TerminalConsoleIo : public ConsoleIo {
 public:
  explicit TerminalConsoleIo(Terminal& terminal) : terminal(terminal) {}

  bool GetStdHandle(std::int32_t stdHandleId, ConsoleHandle& handle) override;
  // The streams belong to the C library, which closes them at exit.
  void CloseHandle(ConsoleHandle /*handle*/) override {}
  bool GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) override;
  void WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                             CellPosition position) override;
  void SetCursorPosition(ConsoleHandle handle, CellPosition position) override;
  bool FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count, CellPosition position) override;
  // A terminal cannot give a cell new colours without writing its character again, and it does
  // not tell which character a cell holds. The cells that this program recolours are always ones
  // it has just blanked, so they are written again as blanks in the new colours.
  void FillOutputAttribute(ConsoleHandle handle, std::uint16_t attribute, std::int32_t count,
                           CellPosition position) override;
  void SetTextAttribute(ConsoleHandle handle, std::uint16_t attribute) override;
  void WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) override;
  int GetKey() override;
  bool KeyWaiting() override;
  void PutKey(int ch) override;
  LayoutChanges Changes() override { return terminal.Changes(); }

 private:
  // The output stream behind `handle` when it shows on a screen, else -1.
  int ScreenOf(ConsoleHandle handle);
  // The stream behind `handle` and its size in cells; false when it shows on no screen.
  bool ScreenAndSize(ConsoleHandle handle, int& stream, std::int32_t& width, std::int32_t& height);
  bool MeasureCursor(int stream, std::int32_t width, std::int32_t height, CellPosition& cursor);
  bool WriteCells(ConsoleHandle handle, const char* text, std::int32_t length, CellPosition position,
                  const std::string& colours);

  Terminal& terminal;
  std::mutex mutex;
  std::uint16_t attribute = kNormalAttribute;
  int streams[3] = {0, 1, 2};  // the handles point at these
};

}  // namespace vadro
