// POSIX terminals: the process's own terminal on its standard descriptors, for TerminalConsoleIo
// (console/terminal_console_io.h); keys read one at a time, without echo, from standard input.
//
// The terminal tells where its cursor is only when asked (a cursor position request, answered on
// its input). When standard output is not a terminal there is no screen to address: the console
// cannot report its cursor and cell writes show nothing, as a redirected handle on Windows.
//
// Keys need the terminal's line editing and echo off for the whole time that keys may be read, or
// typed keys would show and wait for Enter. That mode is set at the first key read or cursor
// request and kept until the process ends; the terminal's own settings are put back on every way
// out: at exit, and on every signal whose default action ends or stops the process (Ctrl + C,
// SIGTERM, a hang-up, an abort after an uncaught exception, a timer, a limit reached, a trap, ...),
// each then taking its default action. Ctrl + C still sends SIGINT, as the terminal's signal keys
// stay on. Ctrl + Z gives the shell its terminal as it was, and the program's mode comes back when
// the process goes on: after the shell continues it, or at once when there is no shell to stop it
// (a process group that the kernel does not stop, such as a terminal's own command). A new size of
// the terminal and a continue are counted (Changes), so that cells measured before are measured
// again.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console_io.h"
#include "console/interruption.h"
#include "console/terminal_console_io.h"
#include "console/terminal_input.h"
#include "console/terminal_sequences.h"

namespace vadro {

namespace {

constexpr int kStdInput = 0;

// ---- The terminal's settings, saved and restored (also from signal handlers, so plain data). ----

struct TerminalSettings {
  termios original;
  termios keyMode;
  volatile sig_atomic_t keyModeOn;  // the key mode is wanted (from its first use until exit)
  volatile sig_atomic_t coloured;   // colours other than the normal ones are selected
};
TerminalSettings settings;

const char kNormalColours[] = "\x1b[0m";
// The signals whose default action ends the process: requests to end the program from outside it
// (a key, another process, a timer, a reader of its output that has gone), which the bank number
// entry holds (console/interruption.h), ...
const int kEndingSignals[] = {SIGINT,    SIGTERM, SIGHUP,  SIGQUIT, SIGALRM,
                              SIGVTALRM, SIGPROF, SIGUSR1, SIGUSR2, SIGPIPE};
// ... and those that come from what the process itself did (an abort, a resource limit reached, a
// trap, a bad system call), which are never held: going on could only make them worse.
const int kEndingFaults[] = {SIGABRT, SIGXCPU, SIGXFSZ, SIGTRAP, SIGSYS};

// Async-signal-safe.
void PutTerminalBack() {
  if (settings.keyModeOn) tcsetattr(kStdInput, TCSANOW, &settings.original);
  if (settings.coloured) {
    ssize_t ignored = write(STDOUT_FILENO, kNormalColours, sizeof kNormalColours - 1);
    (void)ignored;
  }
}

bool InForeground() { return tcgetpgrp(kStdInput) == getpgrp(); }

// Counted by the signal handlers; lock-free, so that a handler may count.
std::atomic<std::uint32_t> resizes{0};
std::atomic<std::uint32_t> continues{0};
static_assert(std::atomic<std::uint32_t>::is_always_lock_free, "counted in signal handlers");

bool IsEndingFault(int signalNumber) {
  return std::any_of(std::begin(kEndingFaults), std::end(kEndingFaults),
                     [signalNumber](int fault) { return fault == signalNumber; });
}

void OnEndingSignal(int signalNumber) {
  // Held during the bank number entry, which ends the program itself once the carousel's
  // indicator is off.
  if (!IsEndingFault(signalNumber) && NoteInterruption(signalNumber)) return;
  PutTerminalBack();
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);  // delivered with its default action once this handler returns
}

// `alsoBlocked` (0: none) stays blocked while the handler runs.
void InstallHandler(int signalNumber, void (*handler)(int), int alsoBlocked = 0) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  if (alsoBlocked != 0) sigaddset(&action.sa_mask, alsoBlocked);
  action.sa_flags = SA_RESTART;
  sigaction(signalNumber, &action, nullptr);
}

// Going on in the foreground: the key mode again, and the cursor to be measured again.
// Async-signal-safe.
void GoOn() {
  if (settings.keyModeOn && InForeground()) tcsetattr(kStdInput, TCSANOW, &settings.keyMode);
  continues.fetch_add(1);
}

// Ctrl + Z: the shell gets the terminal as it was; the process stops. The terminal is only set in
// the foreground: a shell that has already taken it back (it saw the rest of the job stop) has put
// its own settings. SIGTTOU is blocked meanwhile, so that losing that race cannot stop the process
// here, before the stop that a continue ends.
void OnStopSignal(int signalNumber) {
  int savedErrno = errno;
  std::uint32_t continuedBefore = continues.load();
  if (settings.keyModeOn && InForeground()) tcsetattr(kStdInput, TCSANOW, &settings.original);
  signal(signalNumber, SIG_DFL);
  sigset_t stopOnly;
  sigemptyset(&stopOnly);
  sigaddset(&stopOnly, signalNumber);
  pthread_sigmask(SIG_UNBLOCK, &stopOnly, nullptr);
  // A shell quicker than this handler may have continued the process already: no stop then.
  if (continues.load() == continuedBefore) raise(signalNumber);
  // Here after a continue, or at once when the kernel dropped the stop: in a process group that no
  // shell of the session can continue (the terminal's own command, a command of `bash -c`) a stop
  // would last for ever. Either way the program goes on in its own mode.
  InstallHandler(signalNumber, OnStopSignal, SIGTTOU);
  GoOn();
  errno = savedErrno;
}

// Continued (after a stop, whatever stopped it).
void OnContinue(int /*signal*/) {
  int savedErrno = errno;
  GoOn();
  errno = savedErrno;
}

void OnResize(int /*signal*/) { resizes.fetch_add(1); }

void PutTerminalBackAtExit() { PutTerminalBack(); }

// Installs `handler` unless the signal is ignored (as under nohup), which it stays.
void HandleUnlessIgnored(int signalNumber, void (*handler)(int), int alsoBlocked = 0) {
  struct sigaction current = {};
  if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  InstallHandler(signalNumber, handler, alsoBlocked);
}

// ---- Plain input and output. ----

void WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

// Appends what `fd` has to `into`, waiting at most `timeoutMs` (-1: as long as it takes).
// How often a long wait for input looks for a request to end the program that it missed.
constexpr int kNotedCheckMs = 100;

ReadResult ReadSome(int fd, std::string& into, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    // A request to end the program, held: the wait ends so that the entry can act on it. One that
    // came just before the wait began interrupts nothing, so a long wait looks again now and then.
    if (NotedInterruption() != 0) return ReadResult::kEnded;
    int wait = kNotedCheckMs;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(std::min<std::int64_t>(left, kNotedCheckMs)) : 0;
    }
    pollfd ready = {fd, POLLIN, 0};
    int polled = poll(&ready, 1, wait);
    if (polled < 0 && errno == EINTR) continue;
    if (polled < 0) return ReadResult::kEnded;
    if (polled == 0) {
      if (timeoutMs < 0 || Clock::now() < deadline) continue;
      return ReadResult::kTimeout;
    }
    char buffer[64];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      return ReadResult::kData;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return ReadResult::kEnded;
  }
}

// The bytes of a descriptor, for TerminalInput.
class DescriptorBytes : public TerminalBytes {
 public:
  explicit DescriptorBytes(int fd) : fd(fd) {}
  ReadResult Read(std::string& into, int withinMs) override { return ReadSome(fd, into, withinMs); }

 private:
  int fd;
};

// A terminal other than standard input, in the key mode while this lives: where the cursor report
// comes from when standard input is not the terminal.
class ControllingTerminal {
 public:
  ControllingTerminal() : fd(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (fd < 0) return;
    if (tcgetattr(fd, &original) != 0) return;
    termios quiet = original;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    quiet.c_cc[VMIN] = 1;
    quiet.c_cc[VTIME] = 0;
    restore = tcsetattr(fd, TCSANOW, &quiet) == 0;
  }
  ~ControllingTerminal() {
    if (restore) tcsetattr(fd, TCSANOW, &original);
    if (fd >= 0) close(fd);
  }
  ControllingTerminal(const ControllingTerminal&) = delete;
  ControllingTerminal& operator=(const ControllingTerminal&) = delete;

  int fd;

 private:
  termios original = {};
  bool restore = false;
};

// The process's terminal on the standard descriptors (streams 0, 1, 2 are descriptors 0, 1, 2).
class PosixTerminal : public Terminal {
 public:
  bool IsOpen(int stream) override { return fcntl(stream, F_GETFD) != -1; }

  bool ShowsOnScreen(int stream) override {
    std::fflush(stdout);
    return isatty(stream) != 0;
  }

  void Write(int stream, const std::string& bytes) override { WriteAll(stream, bytes); }

  void Size(int stream, std::int32_t& width, std::int32_t& height) override {
    winsize size = {};
    bool known = ioctl(stream, TIOCGWINSZ, &size) == 0;
    width = known && size.ws_col > 0 ? size.ws_col : 80;
    height = known ? size.ws_row : 0;
  }

  // The answer comes on the terminal's input: standard input when that is the terminal (keys
  // typed meanwhile are kept for ReadKey), else the process's controlling terminal (whose keys are
  // not read). Answers that come too late are dropped there, at the latest as the process ends.
  bool ReportCursor(int stream, CellPosition& cursor) override {
    auto send = [stream] { WriteAll(stream, kCursorPositionRequest); };
    if (isatty(kStdInput)) {
      EnterKeyMode();
      DropLateAnswersAtExit(this);
      DescriptorBytes bytes(kStdInput);
      return keys.AwaitCursorReport(bytes, send, cursor);
    }
    DropLateAnswersAtExit(this);
    ControllingTerminal terminal;
    if (terminal.fd < 0) return false;
    DescriptorBytes bytes(terminal.fd);
    bool found = elsewhere.AwaitCursorReport(bytes, send, cursor);
    elsewhere.ForgetKeys();
    return found;
  }

  int ReadKey() override {
    EnterKeyMode();
    DescriptorBytes bytes(kStdInput);
    return keys.ReadKey(bytes);
  }

  bool KeyWaiting() override {
    EnterKeyMode();
    DescriptorBytes bytes(kStdInput);
    return keys.KeyWaiting(bytes);
  }

  // The echo goes to the terminal the user types on, never into redirected output.
  void Echo(char ch) override {
    std::fflush(stdout);
    std::string echo(1, ch);
    if (isatty(STDOUT_FILENO)) {
      WriteAll(STDOUT_FILENO, echo);
    } else {
      ControllingTerminal terminal;
      if (terminal.fd >= 0) WriteAll(terminal.fd, echo);
    }
  }

  void NoteColoured(bool coloured) override { settings.coloured = coloured ? 1 : 0; }

  LayoutChanges Changes() override { return LayoutChanges{resizes.load(), continues.load()}; }

 private:
  // Standard input in the key mode, once; kept until the process ends.
  void EnterKeyMode() {
    if (keyModeTried) return;
    keyModeTried = true;
    if (!isatty(kStdInput) || tcgetattr(kStdInput, &settings.original) != 0) return;
    settings.keyMode = settings.original;
    settings.keyMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    settings.keyMode.c_cc[VMIN] = 1;
    settings.keyMode.c_cc[VTIME] = 0;
    for (int signalNumber : kEndingSignals) HandleUnlessIgnored(signalNumber, OnEndingSignal);
    for (int signalNumber : kEndingFaults) HandleUnlessIgnored(signalNumber, OnEndingSignal);
    HandleUnlessIgnored(SIGTSTP, OnStopSignal, SIGTTOU);
    InstallHandler(SIGCONT, OnContinue, SIGTTOU);
    InstallHandler(SIGWINCH, OnResize);
    std::atexit(PutTerminalBackAtExit);
    settings.keyModeOn = 1;
    tcsetattr(kStdInput, TCSANOW, &settings.keyMode);
  }

  // At the first request, sees to it that the answers still owed are read as the process ends
  // (before the terminal's settings are put back, which the key mode registered first), so that
  // the shell does not read them. Only in the foreground: a read in the background would stop the
  // process.
  static void DropLateAnswersAtExit(PosixTerminal* terminal) {
    static PosixTerminal* atExit = nullptr;
    if (atExit != nullptr) return;
    atExit = terminal;
    std::atexit([] {
      if (atExit->keys.OwesAnswers() && isatty(kStdInput) && InForeground()) {
        DescriptorBytes bytes(kStdInput);
        atExit->keys.DropLateAnswers(bytes);
      }
      // The requests went to standard output, the terminal's screen.
      if (atExit->elsewhere.OwesAnswers() && tcgetpgrp(STDOUT_FILENO) == getpgrp()) {
        ControllingTerminal controlling;
        if (controlling.fd < 0) return;
        DescriptorBytes bytes(controlling.fd);
        atExit->elsewhere.DropLateAnswers(bytes);
      }
    });
  }

  TerminalInput keys;       // standard input, when it is the terminal
  TerminalInput elsewhere;  // the controlling terminal, when standard input is not the terminal
  bool keyModeTried = false;
};

}  // namespace

ConsoleIo& SystemConsoleIo() {
  // Never destroyed: ConsoleOut closes its handle through it during static destruction.
  static ConsoleIo* io = new TerminalConsoleIo(*new PosixTerminal);
  return *io;
}

}  // namespace vadro
