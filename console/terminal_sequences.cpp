#include "console/terminal_sequences.h"

#include "shared/decimal_run.h"

namespace vadro {

const char kCursorPositionRequest[] = "\x1b[6n";

namespace {

const char kSaveCursor[] = "\0337";
const char kRestoreCursor[] = "\0338";

// Reads a decimal number of at most 5 digits at bytes[i], moving i past it; false when there is none.
bool ReadNumber(const std::string& bytes, std::size_t& i, int& value) {
  DecimalRun run = ReadDecimalRun(bytes.data() + i, bytes.size() - i, 5, kHighestDecimalLimit);
  value = static_cast<int>(run.value);
  i += run.length;
  return run.length > 0;
}

// Terminal colour numbers count red 1, green 2, blue 4; console attributes blue 1, green 2, red 4.
int TerminalColour(int consoleColour) {
  return ((consoleColour & 4) ? 1 : 0) | (consoleColour & 2) | ((consoleColour & 1) ? 4 : 0);
}

}  // namespace

bool FindCursorReport(const std::string& bytes, CellPosition& cursor, std::size_t& at, std::size_t& length) {
  for (std::size_t start = bytes.find("\x1b["); start != std::string::npos;
       start = bytes.find("\x1b[", start + 1)) {
    std::size_t i = start + 2;
    int row = 0;
    int column = 0;
    if (!ReadNumber(bytes, i, row) || i >= bytes.size() || bytes[i] != ';') continue;
    ++i;
    if (!ReadNumber(bytes, i, column) || i >= bytes.size() || bytes[i] != 'R') continue;
    if (row < 1 || column < 1) continue;
    cursor.column = static_cast<std::int16_t>(column - 1);
    cursor.row = static_cast<std::int16_t>(row - 1);
    at = start;
    length = i + 1 - start;
    return true;
  }
  return false;
}

std::string CursorMoveSequence(CellPosition position) {
  return "\x1b[" + std::to_string(position.row + 1) + ";" + std::to_string(position.column + 1) + "H";
}

std::string AttributeSequence(std::uint16_t attribute) {
  int foreground = attribute & 0x0f;
  int background = (attribute >> 4) & 0x0f;
  std::string sequence = "\x1b[0";
  if (foreground != kNormalAttribute) {
    sequence += ";" + std::to_string(((foreground & 8) ? 90 : 30) + TerminalColour(foreground));
  }
  if (background != 0) {
    sequence += ";" + std::to_string(((background & 8) ? 100 : 40) + TerminalColour(background));
  }
  return sequence + "m";
}

std::string CellWriteSequence(const char* text, std::int32_t length, CellPosition position,
                              std::int32_t width, std::int32_t height, const std::string& colours) {
  if (width <= 0 || position.column < 0 || position.row < 0 || position.column >= width ||
      (height > 0 && position.row >= height)) {
    return std::string();
  }
  std::string sequence = kSaveCursor + colours;
  std::int32_t column = position.column;
  std::int32_t row = position.row;
  for (std::int32_t i = 0; i < length; ++row, column = 0) {
    if (height > 0 && row >= height) break;
    sequence +=
        CursorMoveSequence(CellPosition{static_cast<std::int16_t>(column), static_cast<std::int16_t>(row)});
    for (; column < width && i < length; ++column, ++i) sequence += text[i] == 0 ? ' ' : text[i];
  }
  return sequence + kRestoreCursor;
}

}  // namespace vadro
