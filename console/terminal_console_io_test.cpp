// TerminalConsoleIo on a terminal in memory: the dialogue and the spinner at every width, on
// terminals that wait to wrap at a row's end as xterm and tmux do, also after a resize that wraps
// the rows anew; and the warning's 3 seconds whatever the terminal answers.
#include "console/terminal_console_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "console/bank_number_entry.h"
#include "console/console_out.h"
#include "console/spinner_thread.h"
#include "tests/support/fake_clock.h"

namespace vadro {
namespace {

// A terminal emulator's screen: rows of cells, and a cursor that stays on a row's last cell after
// writing it until the next character wraps it to the next row, scrolling at the last row. Rows
// joined by such a wrap are wrapped anew on a resize, as tmux does. It reports its cursor as
// xterm does (the last column while a wrap waits), as tmux does (the column after it), or never.
// Keys are scripted on the FakeClock.
class TerminalModel : public Terminal {
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
  // Each byte one key, read from `atMs` on.
  void Type(const std::string& keys, std::uint64_t atMs = 0) {
    for (char key : keys) events.push_back(Event{static_cast<unsigned char>(key), atMs, 0});
  }
  void ResizeBeforeNextKey(int newWidth) { events.push_back(Event{0, 0, newWidth}); }

  // The cell that the next character takes, counted along the rows from the first row ever shown.
  int Next() const { return (scrolled + cy) * width + cx + (pending ? 1 : 0); }
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
  int RedCells(int at, int count) const {
    int red = 0;
    for (int i = at; i < at + count; ++i) red += At(i) != nullptr && IsRed(*At(i)) ? 1 : 0;
    return red;
  }

  std::function<void(const std::string&)> onWrite;

  bool IsOpen(int /*stream*/) override { return true; }
  bool ShowsOnScreen(int /*stream*/) override { return true; }
  void Write(int /*stream*/, const std::string& bytes) override {
    if (onWrite) onWrite(bytes);
    Feed(bytes);
  }
  void Size(int /*stream*/, std::int32_t& columns, std::int32_t& lines) override {
    columns = width;
    lines = height;
  }
  bool ReportCursor(int /*stream*/, CellPosition& cursor) override {
    FakeClock::AdvanceTo(FakeClock::Now() + (report == Report::kNever ? 1000 : answerMs));
    if (report == Report::kNever) return false;
    int column = cx + (pending && report == Report::kPastTheEnd ? 1 : 0);
    cursor = CellPosition{static_cast<std::int16_t>(column), static_cast<std::int16_t>(cy)};
    return true;
  }
  int ReadKey() override {
    for (; !events.empty() && events.front().resizeTo > 0; events.pop_front())
      Resize(events.front().resizeTo);
    if (events.empty()) return kNoMoreKeys;
    Event key = events.front();
    events.pop_front();
    FakeClock::AdvanceTo(key.atMs);
    return key.code;
  }
  bool KeyWaiting() override { return !events.empty() && events.front().atMs <= FakeClock::Now(); }
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
  // sends: save and restore the cursor, move it, select colours.
  void Feed(const std::string& bytes) {
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
        for (int n : numbers)
          attribute = n == 0 ? kNormalAttribute : n == 91 ? kBrightRedAttribute : attribute;
      } else if (bytes[i] == '\r') {
        cx = 0;
        pending = false;
      } else if (bytes[i] == '\n') {
        LineFeed(false);
      } else {
        if (pending) LineFeed(true);
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
  EXPECT_EQ(terminal.Text(start, cells), text + std::string(cells - text.size(), ' '));
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
  for (const auto& kind : kinds) {
    for (int width = 10; width <= 200 && !::testing::Test::HasFailure(); ++width) {
      SCOPED_TRACE(std::string(kind.terminal) + ", " + std::to_string(width) + " columns");
      FakeClock clock;
      TerminalModel terminal(kind.resizedFrom != 0 ? kind.resizedFrom : width, 24, kind.report);
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
        EXPECT_EQ(terminal.Text(prompt, kPromptLength + kWarningLength), kPrompt + kWarning);
        EXPECT_EQ(terminal.RedCells(prompt + kPromptLength, kWarningLength), kWarningLength);
      });
      EXPECT_EQ(ReadBankNumber(), 5);
      EXPECT_EQ(terminal.Text(prompt, kPromptLength + kWarningLength),
                kPrompt + std::string(kWarningLength, ' '));
      EXPECT_EQ(terminal.RedCells(0, terminal.Next() + 24 * width), 0);
      EXPECT_EQ(terminal.Next(), prompt + kPromptLength);
      Confirm(terminal, width, 3, 5);

      terminal.Print(kPrompt);
      prompt = terminal.Next() - kPromptLength;
      terminal.Type("12\r", 6000);
      EXPECT_EQ(ReadBankNumber(), 12);
      EXPECT_EQ(terminal.Text(prompt, kPromptLength + 3), kPrompt + "   ");
      Confirm(terminal, width, 7, 12);

      // The spinner and the countdown in the cell right after their text.
      const std::string announced = "CD N25 (1:25) selecting: ";
      terminal.Print(announced);
      int line = terminal.Next() - static_cast<int>(announced.size());
      SpinnerThread spinner(0);
      AtFirstWait([&] {
        EXPECT_EQ(terminal.Text(line, 26), announced + "|");
        spinner.Stop();  // not started: only sets the flag
      });
      spinner.Run();
      const std::string settled = announced + "done. Waiting for 5 seconds: ";
      terminal.Print("done. Waiting for 5 seconds: ");
      AtFirstWait(
          [&] { EXPECT_EQ(terminal.Text(line, static_cast<int>(settled.size()) + 1), settled + "5"); });
      consoleOut.Countdown(5);
      terminal.Print("done.\r\n");
      EXPECT_EQ(terminal.Text(line, static_cast<int>(settled.size()) + 6), settled + "done. ");
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

}  // namespace
}  // namespace vadro
