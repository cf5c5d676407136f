#include "tests/support/screen_model.h"

#include "console/console_out.h"
#include "tests/support/fake_clock.h"

namespace vadro {

ScreenModel::ScreenModel(std::int16_t width, std::int16_t height)
    : width(width),
      height(height),
      codes(static_cast<std::size_t>(width) * height, ' '),
      attributes(static_cast<std::size_t>(width) * height, kNormalAttribute) {}

void ScreenModel::Print(const std::string& text) {
  WriteAtCursor(this, text.data(), static_cast<std::int32_t>(text.size()));
}

void ScreenModel::PlaceCursor(CellPosition position) { SetCursorPosition(this, position); }

void ScreenModel::FailScreenInfo(bool fail) {
  std::lock_guard<std::mutex> lock(mutex);
  failScreenInfo = fail;
}

void ScreenModel::FailStdHandle(bool fail) {
  std::lock_guard<std::mutex> lock(mutex);
  failStdHandle = fail;
}

void ScreenModel::DeferWrap(bool defer) {
  std::lock_guard<std::mutex> lock(mutex);
  deferWrap = defer;
}

void ScreenModel::Type(const std::string& typed, std::uint64_t atMs) {
  for (char ch : typed) TypeCode(static_cast<unsigned char>(ch), atMs);
}

void ScreenModel::TypeCode(int code, std::uint64_t atMs) {
  std::lock_guard<std::mutex> lock(mutex);
  keys.push_back(ScriptedKey{code, atMs});
}

void ScreenModel::EndInput(std::uint64_t atMs) { TypeCode(kNoMoreKeys, atMs); }

std::size_t ScreenModel::KeysLeft() const {
  std::lock_guard<std::mutex> lock(mutex);
  return keys.size();
}

CellPosition ScreenModel::Cursor() const {
  std::lock_guard<std::mutex> lock(mutex);
  return cursor;
}

char ScreenModel::CodeAt(CellPosition position) const {
  std::lock_guard<std::mutex> lock(mutex);
  return InBuffer(position) ? codes[IndexOf(position)] : '\0';
}

std::uint16_t ScreenModel::AttributeAt(CellPosition position) const {
  std::lock_guard<std::mutex> lock(mutex);
  return InBuffer(position) ? attributes[IndexOf(position)] : 0;
}

std::string ScreenModel::Line(std::int16_t row) const {
  std::lock_guard<std::mutex> lock(mutex);
  std::string line;
  for (std::int16_t column = 0; column < width; ++column) {
    char code = codes[IndexOf(CellPosition{column, row})];
    line += code == 0 ? ' ' : code;
  }
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

std::uint16_t ScreenModel::TextAttribute() const {
  std::lock_guard<std::mutex> lock(mutex);
  return textAttribute;
}

int ScreenModel::CloseCount() const {
  std::lock_guard<std::mutex> lock(mutex);
  return closeCount;
}

bool ScreenModel::GetStdHandle(std::int32_t /*stdHandleId*/, ConsoleHandle& handle) {
  std::lock_guard<std::mutex> lock(mutex);
  if (failStdHandle) return false;
  handle = this;
  return true;
}

void ScreenModel::CloseHandle(ConsoleHandle handle) {
  std::lock_guard<std::mutex> lock(mutex);
  if (Mine(handle)) ++closeCount;
}

bool ScreenModel::GetScreenBufferInfo(ConsoleHandle handle, ScreenBufferInfo& info) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle) || failScreenInfo) return false;
  info.cursor = cursor;
  info.width = width;
  info.height = height;
  info.attribute = textAttribute;
  return true;
}

void ScreenModel::WriteOutputCharacters(ConsoleHandle handle, const char* text, std::int32_t length,
                                        CellPosition position) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle) || !InBuffer(position)) return;
  for (std::size_t i = IndexOf(position), n = 0; i < codes.size() && n < static_cast<std::size_t>(length);
       ++i, ++n) {
    codes[i] = text[n];
  }
}

void ScreenModel::SetCursorPosition(ConsoleHandle handle, CellPosition position) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle) || !InBuffer(position)) return;
  cursor = position;
  wrapPending = false;
}

bool ScreenModel::FillOutputCharacter(ConsoleHandle handle, char ch, std::int32_t count,
                                      CellPosition position) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle) || !InBuffer(position)) return false;
  for (std::size_t i = IndexOf(position), n = 0; i < codes.size() && n < static_cast<std::size_t>(count);
       ++i, ++n) {
    codes[i] = ch;
  }
  return true;
}

void ScreenModel::FillOutputAttribute(ConsoleHandle handle, std::uint16_t attribute, std::int32_t count,
                                      CellPosition position) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle) || !InBuffer(position)) return;
  for (std::size_t i = IndexOf(position), n = 0; i < attributes.size() && n < static_cast<std::size_t>(count);
       ++i, ++n) {
    attributes[i] = attribute;
  }
}

void ScreenModel::SetTextAttribute(ConsoleHandle handle, std::uint16_t attribute) {
  std::lock_guard<std::mutex> lock(mutex);
  if (Mine(handle)) textAttribute = attribute;
}

void ScreenModel::WriteAtCursor(ConsoleHandle handle, const char* text, std::int32_t length) {
  std::lock_guard<std::mutex> lock(mutex);
  if (!Mine(handle)) return;
  for (std::int32_t i = 0; i < length; ++i) {
    if (text[i] == '\r') {
      cursor.column = 0;
      wrapPending = false;
    } else if (text[i] == '\n') {
      cursor.column = 0;
      wrapPending = false;
      NewLine();
    } else {
      PutAtCursor(text[i]);
    }
  }
}

int ScreenModel::GetKey() {
  ScriptedKey key{};
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (keys.empty()) return kNoMoreKeys;
    key = keys.front();
    // The end of input stays: every later read reports it too.
    if (key.code != kNoMoreKeys) keys.pop_front();
  }
  // Reading waits until the key is pressed.
  FakeClock::AdvanceTo(key.atMs);
  return key.code;
}

bool ScreenModel::KeyWaiting() {
  std::lock_guard<std::mutex> lock(mutex);
  return !keys.empty() && keys.front().atMs <= FakeClock::Now();
}

void ScreenModel::PutKey(int ch) {
  std::lock_guard<std::mutex> lock(mutex);
  PutAtCursor(static_cast<char>(ch));
}

bool ScreenModel::InBuffer(CellPosition position) const {
  return position.column >= 0 && position.column < width && position.row >= 0 && position.row < height;
}

std::size_t ScreenModel::IndexOf(CellPosition position) const {
  return static_cast<std::size_t>(position.row) * width + position.column;
}

void ScreenModel::PutAtCursor(char ch) {
  if (wrapPending) {
    wrapPending = false;
    cursor.column = 0;
    NewLine();
  }
  std::size_t index = IndexOf(cursor);
  codes[index] = ch;
  attributes[index] = textAttribute;
  if (cursor.column + 1 < width) {
    ++cursor.column;
  } else if (deferWrap) {
    wrapPending = true;
  } else {
    cursor.column = 0;
    NewLine();
  }
}

// The cursor goes one row down; at the last row the buffer's content moves up a row instead.
void ScreenModel::NewLine() {
  if (cursor.row + 1 < height) {
    ++cursor.row;
    return;
  }
  codes.erase(codes.begin(), codes.begin() + width);
  codes.insert(codes.end(), static_cast<std::size_t>(width), ' ');
  attributes.erase(attributes.begin(), attributes.begin() + width);
  attributes.insert(attributes.end(), static_cast<std::size_t>(width), kNormalAttribute);
}

InstalledScreenModel::InstalledScreenModel(std::int16_t width, std::int16_t height)
    : ScreenModel(width, height), previousIo(SetConsoleIo(this)), previousHandle(consoleOut.handle) {
  consoleOut.handle = nullptr;
  consoleOut.Open(kStdOutputHandle);
}

InstalledScreenModel::~InstalledScreenModel() {
  consoleOut.Close();
  consoleOut.handle = previousHandle;
  SetConsoleIo(previousIo);
}

}  // namespace vadro
