#include "console/terminal_console_io.h"

#include <string>

#include "console/terminal_sequences.h"

namespace vadro {

bool TerminalConsoleIo::GetStdHandle(std::int32_t stdHandleId, ConsoleHandle& handle) {
  int stream = -10 - stdHandleId;  // -10, -11, -12: input, output, error
  if (stream < 0 || stream > 2) return false;
  std::lock_guard<std::mutex> lock(mutex);
  if (!terminal.IsOpen(stream)) return false;
  handle = &streams[stream];
  return true;
}

bool TerminalConsoleIo::ScreenAndSize(ConsoleHandle handle, int& stream, std::int32_t& width,
                                      std::int32_t& height) {
  stream = ScreenOf(handle);
  if (stream < 0) return false;
  terminal.Size(stream, width, height);
  return true;
}

bool TerminalConsoleIo::GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) {
  std::lock_guard<std::mutex> lock(mutex);
  int stream = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScreenAndSize(handle, stream, width, height)) return false;
  if (!MeasureCursor(stream, width, height, info.cursor)) return false;
  info.width = static_cast<std::int16_t>(width);
  info.height = static_cast<std::int16_t>(height);
  info.attribute = attribute;
  return true;
}

void TerminalConsoleIo::WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                                              CellPosition position) {
  WriteCells(handle, text, length, position, std::string());
}

void TerminalConsoleIo::SetCursorPosition(ConsoleHandle handle, CellPosition position) {
  std::lock_guard<std::mutex> lock(mutex);
  int stream = ScreenOf(handle);
  if (stream >= 0) terminal.Write(stream, CursorMoveSequence(position));
}

bool TerminalConsoleIo::FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count,
                                            CellPosition position) {
  if (count < 0) count = 0;
  return WriteCells(handle, std::string(static_cast<std::size_t>(count), ch).c_str(), count, position,
                    std::string());
}

void TerminalConsoleIo::FillOutputAttribute(ConsoleHandle handle, std::uint16_t newAttribute,
                                            std::int32_t count, CellPosition position) {
  if (count < 0) count = 0;
  WriteCells(handle, std::string(static_cast<std::size_t>(count), ' ').c_str(), count, position,
             AttributeSequence(newAttribute));
}

void TerminalConsoleIo::SetTextAttribute(ConsoleHandle handle, std::uint16_t newAttribute) {
  std::lock_guard<std::mutex> lock(mutex);
  int stream = ScreenOf(handle);
  if (stream < 0) return;
  attribute = newAttribute;
  terminal.NoteColoured(newAttribute != kNormalAttribute);
  terminal.Write(stream, AttributeSequence(newAttribute));
}

void TerminalConsoleIo::WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) {
  std::lock_guard<std::mutex> lock(mutex);
  int stream = ScreenOf(handle);
  if (stream >= 0 && length > 0) terminal.Write(stream, std::string(text, static_cast<std::size_t>(length)));
}

int TerminalConsoleIo::GetKey() {
  std::lock_guard<std::mutex> lock(mutex);
  return terminal.ReadKey();
}

bool TerminalConsoleIo::KeyWaiting() {
  std::lock_guard<std::mutex> lock(mutex);
  return terminal.KeyWaiting();
}

void TerminalConsoleIo::PutKey(int ch) {
  std::lock_guard<std::mutex> lock(mutex);
  terminal.Echo(static_cast<char>(ch));
}

int TerminalConsoleIo::ScreenOf(ConsoleHandle handle) {
  if (handle == nullptr) return -1;
  int stream = *static_cast<int*>(handle);
  return terminal.ShowsOnScreen(stream) ? stream : -1;
}

bool TerminalConsoleIo::MeasureCursor(int stream, std::int32_t width, std::int32_t height,
                                      CellPosition& cursor) {
  if (!terminal.ReportCursor(stream, cursor)) return false;
  // Too narrow to tell a wrap from a cursor on the last column.
  if (width < 3 || cursor.column < width - 1) return true;
  if (cursor.column >= width) {
    // Past the last column: certainly waiting to wrap.
    terminal.Write(stream, " \r");
    if (height <= 0 || cursor.row + 1 < height) ++cursor.row;
    cursor.column = 0;
    return true;
  }
  CellPosition reported = cursor;
  terminal.Write(stream, " ");
  if (!terminal.ReportCursor(stream, cursor)) return false;
  if (cursor.column == 1) {
    // The blank went to the next row: the terminal was waiting to wrap.
    terminal.Write(stream, "\r");
    cursor.column = 0;
  } else {
    // The blank took the cell under the cursor, which stands on the last column again.
    cursor = reported;
    terminal.Write(stream, CursorMoveSequence(cursor));
  }
  return true;
}

bool TerminalConsoleIo::WriteCells(ConsoleHandle handle, const char* text, std::int32_t length,
                                   CellPosition position, const std::string& colours) {
  std::lock_guard<std::mutex> lock(mutex);
  int stream = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScreenAndSize(handle, stream, width, height)) return false;
  std::string sequence = CellWriteSequence(text, length, position, width, height, colours);
  if (sequence.empty()) return false;
  terminal.Write(stream, sequence);
  return true;
}

}  // namespace vadro
