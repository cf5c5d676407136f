#include "console/console_out.h"

#include <cstdio>

#include "base/sleep.h"

namespace vadro {

ConsoleOut consoleOut;

namespace {
constexpr std::uint32_t kCountdownStepMs = 1000;
}  // namespace

ConsoleOut::~ConsoleOut() { Close(); }

bool ConsoleOut::Open(std::int32_t stdHandleId) {
  ConsoleHandle opened = nullptr;
  if (!ActiveConsoleIo().GetStdHandle(stdHandleId, opened)) return false;
  handle = opened;
  return true;
}

void ConsoleOut::Close() {
  if (handle == nullptr) return;
  ActiveConsoleIo().CloseHandle(handle);
  handle = nullptr;
}

CellPosition ConsoleOut::CursorOrFallback() const {
  ScreenBufferInfo info{};
  if (!ScreenInfo(info)) return kFallbackPosition;
  return info.cursor;
}

void ConsoleOut::WriteAt(const char* text, std::int32_t length, CellPosition position) const {
  ActiveConsoleIo().WriteOutputCharacters(handle, text, length, position);
}

CellPosition ConsoleOut::CursorSince(CellPosition at, LayoutChanges& seen) const {
  LayoutChanges now = ActiveConsoleIo().Changes();
  if (now == seen) return at;
  seen = now;
  return CursorOrFallback();
}

// A second's time includes asking the console for its cursor (a terminal answers in its own time,
// or not at all), so that the count lasts its seconds whatever the console does.
void ConsoleOut::Countdown(std::int32_t seconds) const {
  std::uint64_t stepBegan = NowMs();
  LayoutChanges seen = ActiveConsoleIo().Changes();
  CellPosition at = CursorOrFallback();
  for (std::int32_t n = seconds; n >= 1; --n) {
    char number[16];
    int length = std::snprintf(number, sizeof number, "%d", n);
    at = CursorSince(at, seen);
    WriteAt(number, length, at);
    std::uint64_t spent = NowMs() - stepBegan;
    if (spent < kCountdownStepMs) SleepMs(static_cast<std::uint32_t>(kCountdownStepMs - spent));
    stepBegan = NowMs();
  }
}

bool ConsoleOut::EraseBack() const {
  ScreenBufferInfo info{};
  if (!ScreenInfo(info)) return false;
  CellPosition target = info.cursor;
  if (target.column > 0) {
    --target.column;
  } else if (target.row > 0) {
    target.column = static_cast<std::int16_t>(info.width - 1);
    --target.row;
  }
  SetCursor(target);
  return FillCharacter(0, 1, target);
}

void ConsoleOut::SetCursor(CellPosition position) const {
  ActiveConsoleIo().SetCursorPosition(handle, position);
}

bool ConsoleOut::ScreenInfo(ScreenBufferInfo& info) const {
  return ActiveConsoleIo().GetScreenBufferInfo(handle, info);
}

bool ConsoleOut::FillCharacter(char ch, std::int32_t count, CellPosition position) const {
  return ActiveConsoleIo().FillOutputCharacter(handle, ch, count, position);
}

void ConsoleOut::FillAttribute(std::uint16_t attribute, std::int32_t count, CellPosition position) const {
  ActiveConsoleIo().FillOutputAttribute(handle, attribute, count, position);
}

void ConsoleOut::SetTextAttribute(std::uint16_t attribute) const {
  ActiveConsoleIo().SetTextAttribute(handle, attribute);
}

void ConsoleOut::WriteAtCursor(const char* text, std::int32_t length) const {
  ActiveConsoleIo().WriteAtCursor(handle, text, length);
}

}  // namespace vadro
