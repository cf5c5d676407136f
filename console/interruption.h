// Ctrl + C, and the other requests to end the program, while the bank number entry waits. The
// carousel being asked for blinks meanwhile, and ending the program at once would leave its
// indicator as it happened to be. So while the entry holds them, such requests only end the entry
// (EntryInterrupted, raised by the entry); the dialogue stops the blinking and then ends the
// program as the request would have (EndAsInterrupted). On Windows the entry reads keys with the
// console's processed input off, so Ctrl + C reaches it as the code 3; on POSIX the signals that
// ask a process to end (Ctrl + C, SIGTERM, a hang-up, SIGQUIT, a timer's signal, SIGUSR1 and
// SIGUSR2, a broken pipe) are noted by their handlers. Those that the process brought on itself (an
// abort, a resource limit reached, a trap, a bad system call) are never held.
#pragma once

namespace vadro {

// The code that Ctrl + C gives when the console delivers it as a key.
constexpr int kControlCKeyCode = 3;

// Raised by the entry: `noted` is the request (a signal number on POSIX), 0 for Ctrl + C read as a key.
struct EntryInterrupted {
  int noted;
};

// While an object of this class lives, requests to end the program are noted, not acted on.
class InterruptionHold {
 public:
  InterruptionHold();
  ~InterruptionHold();
  InterruptionHold(const InterruptionHold&) = delete;
  InterruptionHold& operator=(const InterruptionHold&) = delete;
};

// The request noted while held; 0 for none. Async-signal-safe.
int NotedInterruption();

// Notes `request` if requests are held; false when they are not (the caller then acts on it).
// Async-signal-safe.
bool NoteInterruption(int request);

// Ends the program as `noted` (0: Ctrl + C) would have ended it: on POSIX by the signal's default
// action, the terminal put back first; on Windows with the status of Ctrl + C's default handling,
// STATUS_CONTROL_C_EXIT. Does not return (unless the tests have put another end in its place).
void EndAsInterrupted(int noted);

// Puts `end` in place of the platform's end (null: the platform's again), for the tests; returns the
// one before.
using InterruptionEnd = void (*)(int noted);
InterruptionEnd SetInterruptionEnd(InterruptionEnd end);

}  // namespace vadro
