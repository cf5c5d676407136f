// ScreenModel: a console in memory, with cells, colour attributes, a cursor, a width
// and a height, and a scripted keyboard, so that a test states what the screen shows after the
// console helpers have run. It behaves as the Windows console does: written text wraps at once at
// the end of a row and scrolls the buffer at its last row; with deferred wrapping it behaves as a
// terminal, whose cursor stays on the last cell of a row until the next character.
#pragma once
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "console/console_io.h"

namespace vadro {

class ScreenModel : public ConsoleIo {
 public:
  explicit ScreenModel(std::int16_t width = 80, std::int16_t height = 25);

  // ---- Setting the scene ----
  // Running text at the cursor, as the standard output stream would put it ("\r" and "\n" move
  // the cursor).
  void Print(const std::string& text);
  void PlaceCursor(CellPosition position);
  // The console cannot report its screen buffer (no console, output redirected).
  void FailScreenInfo(bool fail);
  // No standard handle can be had.
  void FailStdHandle(bool fail);
  // Terminal-like wrapping (see above).
  void DeferWrap(bool defer);

  // ---- The scripted keyboard (times on the FakeClock) ----
  // Each byte of `typed` is one keystroke, available from `atMs` on.
  void Type(const std::string& typed, std::uint64_t atMs = 0);
  void TypeCode(int code, std::uint64_t atMs = 0);
  // From `atMs` on input has ended: a key is "waiting" and reading it reports the end.
  void EndInput(std::uint64_t atMs);
  std::size_t KeysLeft() const;

  // ---- What the screen shows ----
  CellPosition Cursor() const;
  // The character code in a cell (0 for an erased cell, ' ' for one never written).
  char CodeAt(CellPosition position) const;
  std::uint16_t AttributeAt(CellPosition position) const;
  // A row as shown, code 0 as a blank, without trailing blanks.
  std::string Line(std::int16_t row) const;
  std::uint16_t TextAttribute() const;
  int CloseCount() const;

  // ---- ConsoleIo ----
  bool GetStdHandle(std::int32_t stdHandleId, ConsoleHandle& handle) override;
  void CloseHandle(ConsoleHandle handle) override;
  bool GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) override;
  void WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                             CellPosition position) override;
  void SetCursorPosition(ConsoleHandle handle, CellPosition position) override;
  bool FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count, CellPosition position) override;
  void FillOutputAttribute(ConsoleHandle handle, std::uint16_t attribute, std::int32_t count,
                           CellPosition position) override;
  void SetTextAttribute(ConsoleHandle handle, std::uint16_t attribute) override;
  void WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) override;
  int GetKey() override;
  bool KeyWaiting() override;
  void PutKey(int ch) override;
  // Its size never changes and nothing stops it.
  LayoutChanges Changes() override { return LayoutChanges{0, 0}; }

 private:
  struct ScriptedKey {
    int code;
    std::uint64_t atMs;
  };

  bool Mine(ConsoleHandle handle) const { return handle == this; }
  bool InBuffer(CellPosition position) const;
  std::size_t IndexOf(CellPosition position) const;
  void PutAtCursor(char ch);
  void NewLine();

  mutable std::mutex mutex;
  std::int16_t width;
  std::int16_t height;
  std::vector<char> codes;
  std::vector<std::uint16_t> attributes;
  CellPosition cursor = {0, 0};
  bool wrapPending = false;
  std::uint16_t textAttribute = kNormalAttribute;
  bool failScreenInfo = false;
  bool failStdHandle = false;
  bool deferWrap = false;
  int closeCount = 0;
  std::deque<ScriptedKey> keys;
};

// A ScreenModel installed as the console, with the process-wide ConsoleOut opened on it, for the
// life of the object (the previous console and handle come back after it).
class InstalledScreenModel : public ScreenModel {
 public:
  explicit InstalledScreenModel(std::int16_t width = 80, std::int16_t height = 25);
  ~InstalledScreenModel() override;
  InstalledScreenModel(const InstalledScreenModel&) = delete;
  InstalledScreenModel& operator=(const InstalledScreenModel&) = delete;

 private:
  ConsoleIo* previousIo;
  ConsoleHandle previousHandle;
};

}  // namespace vadro
