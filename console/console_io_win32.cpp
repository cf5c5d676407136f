// The Windows console: the Win32 console functions on the handle, the runtime's unbuffered console
// input for keys.
#include <windows.h>
#include <conio.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "console/console_io.h"

namespace vadro {

namespace {

COORD ToCoord(CellPosition position) {
  COORD coord;
  coord.X = position.column;
  coord.Y = position.row;
  return coord;
}

class Win32ConsoleIo : public ConsoleIo {
 public:
  bool GetStdHandle(std::int32_t stdHandleId, ConsoleHandle& handle) override {
    HANDLE stdHandle = ::GetStdHandle(static_cast<DWORD>(stdHandleId));
    if (stdHandle == INVALID_HANDLE_VALUE) return false;
    handle = stdHandle;
    return true;
  }

  void CloseHandle(ConsoleHandle handle) override { ::CloseHandle(handle); }

  bool GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) override {
    // Text still in the standard stream's buffer would leave the cursor short of where it ends.
    std::fflush(stdout);
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    if (!::GetConsoleScreenBufferInfo(handle, &buffer)) return false;
    info.cursor.column = buffer.dwCursorPosition.X;
    info.cursor.row = buffer.dwCursorPosition.Y;
    info.width = buffer.dwSize.X;
    info.height = buffer.dwSize.Y;
    info.attribute = buffer.wAttributes;
    return true;
  }

  void WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                             CellPosition position) override {
    std::fflush(stdout);
    DWORD written = 0;
    ::WriteConsoleOutputCharacterA(handle, text, static_cast<DWORD>(length), ToCoord(position), &written);
  }

  void SetCursorPosition(ConsoleHandle handle, CellPosition position) override {
    std::fflush(stdout);
    ::SetConsoleCursorPosition(handle, ToCoord(position));
  }

  bool FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count,
                           CellPosition position) override {
    std::fflush(stdout);
    DWORD written = 0;
    return ::FillConsoleOutputCharacterA(handle, ch, static_cast<DWORD>(count), ToCoord(position),
                                         &written) != 0;
  }

  void FillOutputAttribute(ConsoleHandle handle, std::uint16_t attribute, std::int32_t count,
                           CellPosition position) override {
    std::fflush(stdout);
    DWORD written = 0;
    ::FillConsoleOutputAttribute(handle, attribute, static_cast<DWORD>(count), ToCoord(position), &written);
  }

  void SetTextAttribute(ConsoleHandle handle, std::uint16_t attribute) override {
    std::fflush(stdout);
    ::SetConsoleTextAttribute(handle, attribute);
  }

  void WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) override {
    std::fflush(stdout);
    DWORD written = 0;
    ::WriteConsoleA(handle, text, static_cast<DWORD>(length), &written, nullptr);
  }

  // _getch gives one code per call (a function key gives 0 or 224 and then its second code) and
  // EOF when the console input cannot be read.
  int GetKey() override {
    int key = _getch();
    return key == EOF ? kNoMoreKeys : key;
  }

  bool KeyWaiting() override { return _kbhit() != 0; }

  void PutKey(int ch) override {
    std::fflush(stdout);
    _putch(ch);
  }

  // The console tells of a new size only among its input events, which the runtime's key input
  // skips; the size of the output's buffer is compared with the one seen before instead. No shell
  // stops and continues a process here.
  LayoutChanges Changes() override {
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &buffer)) {
      std::uint32_t size = static_cast<std::uint32_t>(static_cast<std::uint16_t>(buffer.dwSize.X)) << 16 |
                           static_cast<std::uint16_t>(buffer.dwSize.Y);
      std::uint32_t before = seenSize.exchange(size);
      if (before != 0 && before != size) ++resizes;
    }
    return LayoutChanges{resizes.load(), 0};
  }

 private:
  std::atomic<std::uint32_t> seenSize{0};  // columns in the high half, rows in the low; 0: none seen
  std::atomic<std::uint32_t> resizes{0};
};

}  // namespace

ConsoleIo& SystemConsoleIo() {
  // Never destroyed: ConsoleOut closes its handle through it during static destruction.
  static ConsoleIo* io = new Win32ConsoleIo;
  return *io;
}

}  // namespace vadro
