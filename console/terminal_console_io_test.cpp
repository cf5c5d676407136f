// TerminalConsoleIo on a terminal in memory: the dialogue and the spinner at every width, on
// terminals that wait to wrap at a row's end as xterm and tmux do, also after a resize that wraps
// the rows anew; the warning's 3 seconds whatever the terminal answers; and the waits and the cells
// drawn when answers come late or never.
#include "console/terminal_console_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "console/bank_number_entry.h"
#include "console/console_out.h"
#include "console/input_ended.h"
#include "console/spinner_thread.h"
#include "console/terminal_input.h"
#include "console/terminal_sequences.h"
#include "tests/support/fake_clock.h"

namespace vadro {
namespace {

// A terminal emulator's screen: rows of cells, and a cursor that stays on a row's last cell after
// writing it until the next character wraps it to the next row, scrolling at the last row. Rows
// joined by such a wrap are wrapped anew on a resize, as tmux does. It reports its cursor as
// xterm does (the last column while a wrap waits), as tmux does (the column after it), or never;
// the answer, the cursor as it was at the request, comes `answerMs` later on its input among the
// keys, which are scripted on the FakeClock. The program reads that input through TerminalInput.
class TerminalModel : public Terminal, public TerminalBytes {
  struct Cell {
    char ch = ' ';
    std::uint16_t attribute = kNormalAttribute;
  };

 public:
  enum class Report { kLastColumn, kPastTheEnd, kNever };

  TerminalModel(int width, int height, Report report, std::uint64_t answerMs = 0)
      : width(width), height(height), report(report), answerMs(answerMs), rows(height, Row(width)) {}

  // Running text, as the terminal driver passes it on.
  void Print(const std::string& text) { Feed(text); }
  // Each byte one key, read from `atMs` on. Enter comes as the terminal driver passes it on: CR as LF.
  void Type(const std::string& keys, std::uint64_t atMs = 0) {
    for (char key : keys)
      events.push_back(Event{key == '\r' ? '\n' : static_cast<unsigned char>(key), atMs, 0});
  }
  void ResizeBeforeNextKey(int newWidth) { events.push_back(Event{0, 0, newWidth}); }

  // The cell that the next character takes, counted along the rows from the first row ever shown.
  int Next() const { return (scrolled + cy) * width + cx + (pending ? 1 : 0); }
  // The screen's first cell (counted as Next).
  int Top() const { return scrolled * width; }
  // The cell `at` (counted as Next); null when it is not on the screen.
  const Cell* At(int at) const {
    int index = at - scrolled * width;
    return index < 0 || index >= width * height ? nullptr : &rows[index / width].cells[index % width];
  }
  // `count` cells from `at`; '?' for a cell not on the screen.
  std::string Text(int at, int count) const {
    std::string text;
    for (int i = at; i < at + count; ++i) text += At(i) != nullptr ? At(i)->ch : '?';
    return text;
  }
  // `text` with '?' for each of its cells from `at` that is not on the screen: what Text shows of it.
  std::string Visible(int at, const std::string& text) const {
    std::string visible = text;
    for (std::size_t i = 0; i < text.size(); ++i)
      visible[i] = At(at + static_cast<int>(i)) != nullptr ? text[i] : '?';
    return visible;
  }
  int RedCells(int at, int count) const {
    int red = 0;
    for (int i = at; i < at + count; ++i) red += At(i) != nullptr && IsRed(*At(i)) ? 1 : 0;
    return red;
  }

  std::function<void(const std::string&)> onWrite;

  // A character that the program wrote into a cell (not running text or an echo): where (counted
  // as Next) and when.
  struct Drawn {
    int at;
    char ch;
    std::uint64_t ms;
  };
  std::vector<Drawn> drawn;

  // The program's end: the answers still owed read; true when none is left for the shell.
  bool End() {
    input.DropLateAnswers(*this);
    return answers.empty();
  }

  bool IsOpen(int /*stream*/) override { return true; }
  bool ShowsOnScreen(int /*stream*/) override { return true; }
  void Write(int /*stream*/, const std::string& bytes) override {
    if (onWrite) onWrite(bytes);
    Feed(bytes, true);
  }
  void Size(int /*stream*/, std::int32_t& columns, std::int32_t& lines) override {
    columns = width;
    lines = height;
  }
  bool ReportCursor(int stream, CellPosition& cursor) override {
    return input.AwaitCursorReport(
        *this, [&] { Write(stream, kCursorPositionRequest); }, cursor);
  }
  int ReadKey() override { return input.ReadKey(*this); }
  bool KeyWaiting() override { return input.KeyWaiting(*this); }
  // The next answer or key, whichever comes first; a resize waits for a read that waits for a key.
  // An answer comes in two reads, cut after its ";", as it may over a slow link.
  ReadResult Read(std::string& into, int withinMs) override {
    for (; withinMs < 0 && !events.empty() && events.front().resizeTo > 0; events.pop_front())
      Resize(events.front().resizeTo);
    const std::uint64_t now = FakeClock::Now();
    const std::uint64_t never = UINT64_MAX;
    std::uint64_t keyAt =
        events.empty() || events.front().resizeTo > 0 ? never : std::max(events.front().atMs, now);
    std::uint64_t answerAt = answers.empty() ? never : std::max(answers.front().second, now);
    std::uint64_t next = std::min(keyAt, answerAt);
    if (next == never && withinMs < 0) return ReadResult::kEnded;
    if (withinMs >= 0 && next > now + static_cast<std::uint64_t>(withinMs)) {
      FakeClock::AdvanceTo(now + static_cast<std::uint64_t>(withinMs));
      return ReadResult::kTimeout;
    }
    FakeClock::AdvanceTo(next);
    if (next == answerAt) {
      std::string& answer = answers.front().first;
      std::size_t cut = std::min(answer.find(';'), answer.size() - 1) + 1;
      into += answer.substr(0, cut);
      answer.erase(0, cut);
      if (answer.empty()) answers.pop_front();
    } else {
      into += static_cast<char>(events.front().code);
      events.pop_front();
    }
    return ReadResult::kData;
  }
  void Echo(char ch) override { Feed(std::string(1, ch)); }
  void NoteColoured(bool /*coloured*/) override {}
  LayoutChanges Changes() override { return LayoutChanges{resizes, 0}; }

 private:
  struct Row {
    explicit Row(int width) : cells(static_cast<std::size_t>(width)) {}
    std::vector<Cell> cells;
    bool wrapped = false;  // the text goes on in the next row
  };
  struct Event {
    int code;
    std::uint64_t atMs;
    int resizeTo;  // not 0: a resize instead of a key
  };

  static bool IsRed(const Cell& cell) { return cell.attribute == kBrightRedAttribute; }

  // Carriage return, line feed, printable characters, and the sequences that TerminalConsoleIo
  // sends: save and restore the cursor, move it, select colours, ask where the cursor is.
  void Feed(const std::string& bytes, bool drawing = false) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\x1b' && ++i < bytes.size()) {
        if (bytes[i] == '7') saved = std::make_tuple(cx, cy, pending);
        if (bytes[i] == '8') std::tie(cx, cy, pending) = saved;
        if (bytes[i] != '[') continue;
        std::vector<int> numbers(1, 0);
        for (++i; i < bytes.size() && (std::isdigit(bytes[i]) || bytes[i] == ';'); ++i) {
          if (bytes[i] == ';') numbers.push_back(0);
          if (bytes[i] != ';') numbers.back() = numbers.back() * 10 + bytes[i] - '0';
        }
        if (i < bytes.size() && bytes[i] == 'H') {
          cy = std::clamp(numbers[0] - 1, 0, height - 1);
          cx = std::clamp((numbers.size() > 1 ? numbers[1] : 1) - 1, 0, width - 1);
          pending = false;
        }
        if (i < bytes.size() && bytes[i] == 'n' && numbers[0] == 6 && report != Report::kNever) {
          int column = cx + (pending && report == Report::kPastTheEnd ? 1 : 0);
          answers.emplace_back("\x1b[" + std::to_string(cy + 1) + ";" + std::to_string(column + 1) + "R",
                               FakeClock::Now() + answerMs);
        }
        for (int n : numbers)
          attribute = n == 0 ? kNormalAttribute : n == 91 ? kBrightRedAttribute : attribute;
      } else if (bytes[i] == '\r') {
        cx = 0;
        pending = false;
      } else if (bytes[i] == '\n') {
        LineFeed(false);
      } else {
        if (pending) LineFeed(true);
        if (drawing) drawn.push_back(Drawn{(scrolled + cy) * width + cx, bytes[i], FakeClock::Now()});
        rows[cy].cells[cx] = Cell{bytes[i], attribute};
        pending = cx + 1 == width;
        if (!pending) ++cx;
      }
    }
  }

  void LineFeed(bool wrap) {
    rows[cy].wrapped = wrap;
    cx = 0;
    pending = false;
    if (cy + 1 < height) {
      ++cy;
      return;
    }
    rows.erase(rows.begin());
    rows.emplace_back(width);
    ++scrolled;
  }

  // The rows joined by wraps into lines (without the blanks at their ends) and wrapped anew to
  // `newWidth`; the cursor keeps its place in its line. Rows above the cursor's that do not fit
  // any more leave the screen at the top.
  void Resize(int newWidth) {
    std::vector<std::vector<Cell>> lines;
    std::size_t cursorLine = 0;
    std::size_t cursorAt = 0;
    bool lineEnded = true;
    for (int r = 0; r < height; ++r) {
      if (lineEnded) lines.emplace_back();
      std::vector<Cell>& line = lines.back();
      if (r == cy)
        std::tie(cursorLine, cursorAt) = std::make_pair(lines.size() - 1, line.size() + cx + pending);
      line.insert(line.end(), rows[r].cells.begin(), rows[r].cells.end());
      lineEnded = !rows[r].wrapped;
      std::size_t keep = r >= cy && lines.size() - 1 == cursorLine ? cursorAt : 0;
      while (lineEnded && line.size() > keep && line.back().ch == ' ' && !IsRed(line.back())) line.pop_back();
    }
    std::vector<Row> rewrapped;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      std::size_t count = std::max<std::size_t>(1, (lines[l].size() + newWidth - 1) / newWidth);
      if (l == cursorLine) {
        bool atRowEnd = cursorAt > 0 && cursorAt == count * newWidth;
        cy = static_cast<int>(rewrapped.size() + cursorAt / newWidth) - (atRowEnd ? 1 : 0);
        cx = atRowEnd ? newWidth - 1 : static_cast<int>(cursorAt % newWidth);
        pending = atRowEnd;
      }
      for (std::size_t k = 0; k < count; ++k) {
        rewrapped.emplace_back(newWidth);
        for (std::size_t c = 0; c < static_cast<std::size_t>(newWidth) && k * newWidth + c < lines[l].size();
             ++c) {
          rewrapped.back().cells[c] = lines[l][k * newWidth + c];
        }
        rewrapped.back().wrapped = k + 1 < count;
      }
    }
    int fromTop = std::clamp(static_cast<int>(rewrapped.size()) - height, 0, cy);
    rewrapped.erase(rewrapped.begin(), rewrapped.begin() + fromTop);
    rewrapped.resize(static_cast<std::size_t>(height), Row(newWidth));
    rows = rewrapped;
    cy -= fromTop;
    width = newWidth;
    scrolled = 0;
    ++resizes;
  }

  int width;
  int height;
  Report report;
  std::uint64_t answerMs;
  std::vector<Row> rows;
  int cx = 0;
  int cy = 0;
  bool pending = false;  // the last cell of the row is written; the next character wraps
  std::tuple<int, int, bool> saved;
  std::uint16_t attribute = kNormalAttribute;
  int scrolled = 0;
  std::uint32_t resizes = 0;
  std::deque<Event> events;
  std::deque<std::pair<std::string, std::uint64_t>> answers;  // the bytes of each answer, and when they come
  TerminalInput input;
};

// The console helpers on `terminal`, for the life of the object.
class OnTerminal {
 public:
  explicit OnTerminal(Terminal& terminal)
      : io(terminal), previousIo(SetConsoleIo(&io)), previousHandle(consoleOut.handle) {
    consoleOut.handle = nullptr;
    consoleOut.Open(kStdOutputHandle);
  }
  ~OnTerminal() {
    consoleOut.handle = previousHandle;
    SetConsoleIo(previousIo);
  }
  OnTerminal(const OnTerminal&) = delete;
  OnTerminal& operator=(const OnTerminal&) = delete;

 private:
  TerminalConsoleIo io;
  ConsoleIo* previousIo;
  ConsoleHandle previousHandle;
};

const std::string kFirstTime =
    "\r\n   For the first time the program must be initialized. Please turn on your CD Libraries,\r\n"
    "connect them to the computer via USB port. The devices will be flashing with their indicators\r\n"
    "one by one. While the specific device is flashing enter the desired number for that device.\r\n"
    "The number must be from 1 to 127.\r\n\r\n";
const std::string kPrompt = "The flashing device will be number: ";
const std::string kWarning = "Please, enter a valid number from 1 to 127.";
constexpr int kPromptLength = 36;
constexpr int kWarningLength = 43;

// The confirmation of a number, as the dialogue writes it: from column 0 of the entry's row, the
// rest of its last row blank.
void Confirm(TerminalModel& terminal, int width, int device, int bank) {
  std::string text = "The device (internal number " + std::to_string(device) + ") was assigned to the bank " +
                     std::to_string(bank);
  CellPosition cursor = consoleOut.CursorOrFallback();
  consoleOut.SetCursor(CellPosition{0, cursor.row});
  int start = terminal.Next();
  terminal.Print(text + "\r\n");
  int cells = (static_cast<int>(text.size()) + width - 1) / width * width;
  EXPECT_EQ(terminal.Text(start, cells),
            terminal.Visible(start, text + std::string(cells - text.size(), ' ')));
}

// Runs `check` at the first wait from now on.
void AtFirstWait(const std::function<void()>& check) {
  auto done = std::make_shared<bool>(false);
  FakeClock::OnSleep([done, check](std::uint64_t) {
    if (!*done) check();
    *done = true;
  });
}

TEST(TerminalConsoleIoTest, TheDialogueAndTheSpinnerAtEveryWidth) {
  const struct {
    const char* terminal;
    TerminalModel::Report report;
    int resizedFrom;  // not 0: the width shown while the first prompt waits for its first key
  } kinds[] = {{"xterm", TerminalModel::Report::kLastColumn, 0},
               {"tmux", TerminalModel::Report::kPastTheEnd, 0},
               {"tmux resized from 80 columns at the prompt", TerminalModel::Report::kPastTheEnd, 80}};
  // Where the screen has too few rows for the text, only the cells still on it are compared.
  for (const auto& kind : kinds) {
    for (int height : {24, 1, 2, 3, 4}) {
      for (int width = 10; width <= 200 && !::testing::Test::HasFailure(); ++width) {
        SCOPED_TRACE(std::string(kind.terminal) + ", " + std::to_string(width) + " columns, " +
                     std::to_string(height) + " rows");
        FakeClock clock;
        TerminalModel terminal(kind.resizedFrom != 0 ? kind.resizedFrom : width, height, kind.report);
        OnTerminal on(terminal);
        terminal.Print(kFirstTime + kPrompt);
        if (kind.resizedFrom != 0) terminal.ResizeBeforeNextKey(width);

        // A wrong number: the warning in red right after the prompt, blanked after its 3 s. Then
        // 9, backspace, 5.
        terminal.Type("128\r");
        terminal.Type("9\b5\r", 5000);
        int prompt = 0;
        AtFirstWait([&] {
          prompt = terminal.Next() - kPromptLength - kWarningLength;  // the cursor stands behind the warning
          std::string shown = terminal.Visible(prompt, kPrompt + kWarning);
          EXPECT_EQ(terminal.Text(prompt, kPromptLength + kWarningLength), shown);
          EXPECT_EQ(terminal.RedCells(prompt + kPromptLength, kWarningLength),
                    kWarningLength - std::count(shown.begin() + kPromptLength, shown.end(), '?'));
        });
        EXPECT_EQ(ReadBankNumber(), 5);
        EXPECT_EQ(terminal.Text(prompt, kPromptLength + kWarningLength),
                  terminal.Visible(prompt, kPrompt + std::string(kWarningLength, ' ')));
        EXPECT_EQ(terminal.RedCells(0, terminal.Next() + 24 * width), 0);
        EXPECT_EQ(terminal.Next(), std::max(prompt + kPromptLength, terminal.Top()));
        Confirm(terminal, width, 3, 5);

        terminal.Print(kPrompt);
        prompt = terminal.Next() - kPromptLength;
        // The backspace where the digits have run on into the next row, on a screen of one row scrolled.
        terminal.Type("12\b2\r", 6000);
        EXPECT_EQ(ReadBankNumber(), 12);
        EXPECT_EQ(terminal.Text(prompt, kPromptLength + 3), terminal.Visible(prompt, kPrompt + "   "));
        Confirm(terminal, width, 7, 12);

        // The spinner and the countdown in the cell right after their text.
        const std::string announced = "CD N25 (1:25) selecting: ";
        terminal.Print(announced);
        int line = terminal.Next() - static_cast<int>(announced.size());
        SpinnerThread spinner(0);
        AtFirstWait([&] {
          EXPECT_EQ(terminal.Text(line, 26), terminal.Visible(line, announced + "|"));
          spinner.Stop();  // not started: only sets the flag
        });
        spinner.Run();
        const std::string settled = announced + "done. Waiting for 5 seconds: ";
        terminal.Print("done. Waiting for 5 seconds: ");
        AtFirstWait([&] {
          EXPECT_EQ(terminal.Text(line, static_cast<int>(settled.size()) + 1),
                    terminal.Visible(line, settled + "5"));
        });
        consoleOut.Countdown(5);
        terminal.Print("done.\r\n");
        EXPECT_EQ(terminal.Text(line, static_cast<int>(settled.size()) + 6),
                  terminal.Visible(line, settled + "done. "));
      }
    }
  }
}

TEST(TerminalConsoleIoTest, TheWarningStaysThreeSecondsWhateverTheTerminalAnswers) {
  const struct {
    const char* terminal;
    TerminalModel::Report report;
    int promptRow;  // 23, the last: the warning scrolls the screen
    std::uint64_t answerMs;
    std::uint64_t keyAtMs;  // 0: no key during the warning
    std::uint64_t staysMs;
  } cases[] = {{"answering at once", TerminalModel::Report::kPastTheEnd, 23, 0, 0, 3000},
               {"answering after 200 ms", TerminalModel::Report::kPastTheEnd, 23, 200, 0, 3000},
               {"never answering", TerminalModel::Report::kNever, 23, 0, 0, 3000},
               // Shown at 600 ms, after three answers; not asked again, it goes at the key.
               {"answering after 200 ms, a key", TerminalModel::Report::kPastTheEnd, 5, 200, 610, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.terminal);
    FakeClock clock;
    TerminalModel terminal(60, 24, c.report, c.answerMs);
    OnTerminal on(terminal);
    terminal.Print(std::string(c.promptRow, '\n') + kPrompt);
    terminal.Type("0\r");
    if (c.keyAtMs != 0) terminal.Type("x", c.keyAtMs);
    terminal.Type("7\r", 10000);
    bool shown = false;
    std::uint64_t shownAt = 0;
    std::uint64_t goneAt = 0;
    terminal.onWrite = [&](const std::string& bytes) {
      if (bytes.find(kWarning) != std::string::npos)
        std::tie(shown, shownAt) = std::make_pair(true, FakeClock::Now());
      // The first cell write after the warning blanks it.
      if (shown && goneAt == 0 && bytes.rfind("\0337", 0) == 0) goneAt = FakeClock::Now();
    };
    EXPECT_EQ(ReadBankNumber(), 7);
    EXPECT_EQ(goneAt - shownAt, c.staysMs);
  }
}

// The characters of `marks` that `terminal` drew from its `from`th drawing on.
std::vector<TerminalModel::Drawn> DrawnSince(const TerminalModel& terminal, std::size_t from,
                                             const std::string& marks) {
  std::vector<TerminalModel::Drawn> found;
  for (std::size_t i = from; i < terminal.drawn.size(); ++i) {
    if (marks.find(terminal.drawn[i].ch) != std::string::npos) found.push_back(terminal.drawn[i]);
  }
  return found;
}

// A cell drawn: "text" when it is `textEnd`, the cell where the text ended, "top-left" when it is
// the fallback position.
std::string Place(int at, int textEnd) {
  return at == textEnd ? "text" : at == 0 ? "top-left" : "cell " + std::to_string(at);
}

enum class Piece { kCountdowns, kSpinner, kEntry, kWarning };
constexpr std::uint64_t kNoAnswer = UINT64_MAX;

struct LateAnswerRow {
  Piece piece;
  std::uint64_t answerMs;
  std::vector<std::uint64_t> waits;
  const char* drawn;
  std::uint64_t endMs;  // how long the end waits for answers still owed
};

void Walk(const LateAnswerRow& row) {
  FakeClock clock;
  TerminalModel terminal(
      80, 24, row.answerMs == kNoAnswer ? TerminalModel::Report::kNever : TerminalModel::Report::kPastTheEnd,
      row.answerMs);
  OnTerminal on(terminal);
  std::vector<std::uint64_t> waits;
  std::set<std::string> drawn;
  if (row.piece == Piece::kCountdowns || row.piece == Piece::kSpinner) {
    terminal.Print("Initial waiting: ");
    for (int disc = 0; disc < 2; ++disc) {
      int textEnd = terminal.Next();
      std::size_t from = terminal.drawn.size();
      std::uint64_t began = FakeClock::Now();
      if (disc == 1 && row.piece == Piece::kSpinner) {
        SpinnerThread spinner(0);
        FakeClock::OnSleep([&](std::uint64_t now) {
          if (now >= began + 1000) spinner.Stop();  // not started: only sets the flag
        });
        spinner.Run();
        FakeClock::OnSleep(nullptr);
        auto frames = DrawnSince(terminal, from, "|/-\\");
        ASSERT_GE(frames.size(), 2u);
        waits = {frames[0].ms - began, FakeClock::Now() - began, frames[1].ms - frames[0].ms};
        for (const auto& frame : frames) drawn.insert(Place(frame.at, textEnd));
        break;
      }
      consoleOut.Countdown(5);
      auto digits = DrawnSince(terminal, from, "12345");
      ASSERT_EQ(digits.size(), 5u);
      if (row.piece == Piece::kCountdowns) {
        waits.insert(waits.end(), {FakeClock::Now() - began, digits[0].ms - began});
        for (const auto& digit : digits) drawn.insert(Place(digit.at, textEnd));
      }
      terminal.Print(row.piece == Piece::kSpinner
                         ? "done.\r\nCD N25 (1:25) selecting: "
                         : "done.\r\nCD N25 (1:25) selecting: done. Waiting for 5 seconds: ");
    }
  } else {
    terminal.Print(kPrompt);
    int textEnd = terminal.Next();
    terminal.Type(row.piece == Piece::kEntry ? "12\r" : "0\r", 2000);
    if (row.piece == Piece::kWarning) terminal.Type("7\r", 10000);
    std::size_t from = terminal.drawn.size();
    std::int32_t number = -1;
    try {
      number = ReadBankNumber();
    } catch (const InputEnded&) {  // keys taken where they do not belong
    }
    EXPECT_EQ(number, row.piece == Piece::kEntry ? 12 : 7);
    if (row.piece == Piece::kEntry) {
      auto blanks = DrawnSince(terminal, from, " ");
      ASSERT_FALSE(blanks.empty());
      waits = {FakeClock::Now() - 2000};
      drawn.insert(Place(blanks[0].at, textEnd));
    } else {
      std::size_t shown = from;
      while (shown < terminal.drawn.size() && terminal.drawn[shown].ch != 'P') ++shown;
      ASSERT_LT(shown + kWarningLength, terminal.drawn.size());
      // The warning's cells are blanked by the drawing that follows them.
      const auto& warning = terminal.drawn[shown];
      waits = {warning.ms - 2000, terminal.drawn[shown + kWarningLength].ms - warning.ms};
      drawn.insert(Place(warning.at, textEnd));
    }
  }
  EXPECT_EQ(waits, row.waits);
  EXPECT_EQ(drawn, std::set<std::string>{row.drawn});
  std::uint64_t ended = FakeClock::Now();
  EXPECT_TRUE(terminal.End());
  EXPECT_EQ(FakeClock::Now() - ended, row.endMs);
}

// The helpers on a terminal that answers each cursor position request at once, after 200 ms, after
// 1.5 s (long after the request was given up) or never. The waits keep their lengths; what is
// drawn goes where its text ended or, without an answer in time, to the fallback position, never
// where a late answer points (each piece follows a request whose answer may still come, and the
// prompts stand on the top row, where a late answer looks like Ctrl + F3); and at the end no
// answer is left for the shell.
TEST(TerminalConsoleIoTest, AnswersLateOrNeverTakeNothingFromTheWaits) {
  const LateAnswerRow rows[] = {
      // The initial countdown and a disc's: for each, its length and when its "5" shows.
      {Piece::kCountdowns, 0, {5000, 0, 5000, 0}, "text", 0},
      {Piece::kCountdowns, 200, {5000, 200, 5000, 200}, "text", 0},
      {Piece::kCountdowns, 1500, {5000, 400, 5000, 400}, "top-left", 0},
      {Piece::kCountdowns, kNoAnswer, {5000, 400, 5000, 0}, "top-left", 0},
      // The spinner after the initial countdown, stopped 1 s after it starts: its first frame, its
      // end, a frame's length.
      {Piece::kSpinner, 0, {0, 1000, 140}, "text", 0},
      {Piece::kSpinner, 200, {200, 1000, 140}, "text", 0},
      {Piece::kSpinner, 1500, {400, 1000, 140}, "top-left", 500},
      {Piece::kSpinner, kNoAnswer, {0, 1000, 140}, "top-left", 0},
      // "12" and Enter at 2 s: the time from Enter to the 3 cells blanked.
      {Piece::kEntry, 0, {0}, "text", 0},
      {Piece::kEntry, 200, {200}, "text", 0},
      {Piece::kEntry, 1500, {400}, "top-left", 1100},
      {Piece::kEntry, kNoAnswer, {0}, "top-left", 0},
      // "0" and Enter at 2 s, "7" and Enter at 10 s: the time from Enter to the warning, its stay.
      {Piece::kWarning, 0, {0, 3000}, "text", 0},
      {Piece::kWarning, 200, {400, 3000}, "text", 0},
      {Piece::kWarning, 1500, {800, 3000}, "top-left", 1100},
      {Piece::kWarning, kNoAnswer, {0, 3000}, "top-left", 0},
  };
  const char* pieces[] = {"countdowns", "spinner", "entry", "warning"};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(pieces[static_cast<int>(row.piece)]) + ", answers " +
                 (row.answerMs == kNoAnswer ? "never" : "after " + std::to_string(row.answerMs) + " ms"));
    Walk(row);
  }
}

}  // namespace
}  // namespace vadro
