// TerminalInput: what a terminal sends on its input, read as the one stream of bytes that it is:
// the keys typed, and the terminal's answers to cursor position requests (console/terminal_sequences.h)
// among them. Keys are decoded as console/terminal_key_decoder.h tells.
//
// A terminal answers its requests in the order they came, each in its own time; over a slow link
// an answer may come after its request was given up. So the requests sent and the answers read are
// counted: an answer is taken only for the request that it answers, and the late ones are read and
// dropped wherever they come, among the keys too, rather than taken for a later request's answer
// or for keys; at the end of the program those still owed are read and dropped as well, so that the
// shell does not get them. A request is waited for at most kCursorReportWaitMs; a terminal that
// has let one go unanswered and has never answered any is not waited for again (what has come is
// read, and the caller goes on without the position). Times are those of the program's clock
// (base/sleep.h).
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "console/console_io.h"

namespace vadro {

// How long a cursor position request is waited for: long enough for a slow link, short enough to
// fit the waits that ask (a second of a countdown takes the request's time into it, and may ask
// twice at a row's end).
constexpr int kCursorReportWaitMs = 400;
// How long after the last request the end of the program waits for answers still owed, for a
// terminal that has answered.
constexpr int kLateAnswerWaitMs = 2000;

enum class ReadResult { kData, kTimeout, kEnded };

// The bytes that a terminal sends, as they come.
class TerminalBytes {
 public:
  virtual ~TerminalBytes() = default;
  // Appends bytes that have come or come within `withinMs` (0: only those that have come;
  // negative: as long as it takes); kEnded when no byte can ever come.
  virtual ReadResult Read(std::string& into, int withinMs) = 0;
};

class TerminalInput {
 public:
  // The next key's code, waiting for one; kNoMoreKeys when the input has ended.
  int ReadKey(TerminalBytes& bytes);
  // True when ReadKey would return at once: a key has come, or the input has ended.
  bool KeyWaiting(TerminalBytes& bytes);
  // Sends a request with `send` and reads its answer, the cursor counted from 0; false when it has
  // not come in time. Keys read meanwhile are kept for ReadKey.
  bool AwaitCursorReport(TerminalBytes& bytes, const std::function<void()>& send, CellPosition& cursor);
  // Reads and drops the answers still owed, waiting for them until kLateAnswerWaitMs after the
  // last request (not at all for a terminal that has never answered).
  void DropLateAnswers(TerminalBytes& bytes);
  bool OwesAnswers() const { return owed > 0; }
  // Forgets the keys read (those of a terminal whose keys are read elsewhere).
  void ForgetKeys() { pending.clear(); }

 private:
  // Takes the first answer out of the bytes read, when one is owed.
  bool TakeAnswer(CellPosition& answer);
  void DropAnswers();

  std::string pending;     // bytes read and not yet taken as keys or answers
  std::uint32_t owed = 0;  // requests sent whose answers have not been read
  bool answered = false;   // the terminal has answered a request, in time or late
  bool givenUp = false;    // a request's answer has not come in time
  std::uint64_t lastRequestMs = 0;
};

}  // namespace vadro
