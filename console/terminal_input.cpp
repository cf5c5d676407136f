#include "console/terminal_input.h"

#include "base/sleep.h"
#include "console/terminal_key_decoder.h"
#include "console/terminal_sequences.h"

namespace vadro {

namespace {

// The bytes of one key's escape sequence come together; a gap this long ends the key.
constexpr int kSequenceGapMs = 100;

// Milliseconds from now until `until` on the program's clock; 0 once it has passed.
int LeftUntil(std::uint64_t until) {
  std::uint64_t now = NowMs();
  return now < until ? static_cast<int>(until - now) : 0;
}

// True when `bytes` are the start of an answer that has not come whole ("ESC [ row ; column R").
bool BeginsAnswer(const std::string& bytes) {
  const char shape[] = "\x1b[0;0R";  // 0 stands for any run of digits
  std::size_t s = 0;
  for (char b : bytes) {
    bool digit = b >= '0' && b <= '9';
    if (shape[s] == '0' && digit) continue;
    if (shape[s] == '0') ++s;
    if (shape[s] == 'R' || b != shape[s]) return false;
    ++s;
  }
  return true;
}

}  // namespace

bool TerminalInput::TakeAnswer(CellPosition& answer) {
  std::size_t at = 0;
  std::size_t length = 0;
  if (owed == 0 || !FindCursorReport(pending, answer, at, length)) return false;
  pending.erase(at, length);
  --owed;
  answered = true;
  return true;
}

void TerminalInput::DropAnswers() {
  CellPosition late{};
  while (TakeAnswer(late)) {
  }
}

int TerminalInput::ReadKey(TerminalBytes& bytes) {
  for (;;) {
    DropAnswers();
    if (pending.empty()) {
      if (bytes.Read(pending, -1) != ReadResult::kData) return kNoMoreKeys;
      continue;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(pending.data());
    DecodedKey key = DecodeTerminalKey(data, pending.size(), false);
    if (key.length == 0) {
      if (bytes.Read(pending, kSequenceGapMs) == ReadResult::kData) continue;
      data = reinterpret_cast<const unsigned char*>(pending.data());
      key = DecodeTerminalKey(data, pending.size(), true);
    }
    pending.erase(0, key.length);
    return key.code;
  }
}

bool TerminalInput::KeyWaiting(TerminalBytes& bytes) {
  if (owed == 0 && !pending.empty()) return true;
  // Ended input counts as waiting: the read that follows reports the end at once.
  if (bytes.Read(pending, 0) == ReadResult::kEnded) return true;
  DropAnswers();
  // The start of an owed answer is no key: the rest of it follows.
  return !pending.empty() && !(owed > 0 && BeginsAnswer(pending));
}

bool TerminalInput::AwaitCursorReport(TerminalBytes& bytes, const std::function<void()>& send,
                                      CellPosition& cursor) {
  lastRequestMs = NowMs();
  send();
  ++owed;
  for (;;) {
    CellPosition answer{};
    while (TakeAnswer(answer)) {
      if (owed == 0) {
        cursor = answer;
        return true;
      }
    }
    // A late answer read meanwhile shows a terminal that answers: its request is waited for.
    int waitMs = givenUp && !answered ? 0 : kCursorReportWaitMs;
    if (bytes.Read(pending, LeftUntil(lastRequestMs + waitMs)) != ReadResult::kData) break;
  }
  givenUp = true;
  return false;
}

void TerminalInput::DropLateAnswers(TerminalBytes& bytes) {
  for (;;) {
    DropAnswers();
    if (owed == 0) return;
    int waitMs = answered ? LeftUntil(lastRequestMs + kLateAnswerWaitMs) : 0;
    if (bytes.Read(pending, waitMs) != ReadResult::kData) return;
  }
}

}  // namespace vadro
