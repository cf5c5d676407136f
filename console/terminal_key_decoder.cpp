#include "console/terminal_key_decoder.h"

#include "shared/decimal_run.h"

namespace vadro {

namespace {

constexpr unsigned char kEsc = 0x1b;
// Longer than any key a terminal sends; a run this long without its final byte is not a key.
constexpr std::size_t kLongestSequence = 32;

bool IsParameterByte(unsigned char b) { return b >= 0x30 && b <= 0x3f; }
bool IsIntermediateByte(unsigned char b) { return b >= 0x20 && b <= 0x2f; }
bool IsFinalByte(unsigned char b) { return b >= 0x40 && b <= 0x7e; }

constexpr DecodedKey kNeedMore = {0, 0};

// The first number of a sequence's parameters ("15;5" gives 15); -1 when there is none or it is
// above 9999, more than any key's.
int FirstParameter(const unsigned char* bytes, std::size_t count) {
  DecimalRun run = ReadDecimalRun(bytes, count, kAnyDigitCount, 9999);
  return run.length == 0 || run.pastLimit ? -1 : static_cast<int>(run.value);
}

// "ESC [ n ~": F1 to F5 (11 to 15, older terminals), F6 to F12 (17 to 21, 23, 24) and the shifted
// function keys of some terminals (25, 26, 28, 29, 31 to 34). The other numbers are Home, Insert,
// Delete, End, Page Up/Down (1 to 8) or no key at all.
bool IsFunctionKeyNumber(int n) {
  return (n >= 11 && n <= 15) || (n >= 17 && n <= 21) || (n >= 23 && n <= 26) || n == 28 || n == 29 ||
         (n >= 31 && n <= 34);
}

int CsiKeyCode(const unsigned char* parameters, std::size_t count, unsigned char final) {
  int first = FirstParameter(parameters, count);
  switch (final) {
    case '~':
      return IsFunctionKeyNumber(first) ? kFunctionKeyCode : kOtherKeyCode;
    case 'P':
    case 'Q':
    case 'S':
      // F1, F2, F4 with modifiers (ESC [ 1 ; 5 P).
      return kFunctionKeyCode;
    case 'R':
      // F3 with modifiers; with another first number it is a late answer to a cursor position
      // request, not a key.
      return first <= 1 ? kFunctionKeyCode : kOtherKeyCode;
    default:
      // Arrows (A to D), Home (H), End (F), the keypad's centre (E), Shift + Tab (Z), and the rest.
      return kOtherKeyCode;
  }
}

int Ss3KeyCode(std::size_t parameterCount, unsigned char final) {
  if (final >= 'P' && final <= 'S') return kFunctionKeyCode;  // F1 to F4
  if (parameterCount == 0) {
    // The keypad in application mode.
    if (final >= 'p' && final <= 'y') return '0' + (final - 'p');
    if (final == 'M') return kEnterKeyCode;
  }
  return kOtherKeyCode;  // arrows, Home, End and the keypad's signs
}

// A control sequence after "ESC [" or "ESC O": parameter bytes, intermediate bytes, one final byte.
// `start` indexes the byte after the introducer.
DecodedKey DecodeSequence(const unsigned char* bytes, std::size_t count, std::size_t start, bool csi,
                          bool noMoreBytes) {
  // The Linux console's F1 to F5: ESC [ [ A to ESC [ [ E.
  if (csi && start < count && bytes[start] == '[') {
    if (start + 1 >= count) return noMoreBytes ? DecodedKey{kOtherKeyCode, count} : kNeedMore;
    unsigned char key = bytes[start + 1];
    return DecodedKey{key >= 'A' && key <= 'E' ? kFunctionKeyCode : kOtherKeyCode, start + 2};
  }
  std::size_t i = start;
  while (i < count && IsParameterByte(bytes[i])) ++i;
  std::size_t parameterEnd = i;
  while (i < count && IsIntermediateByte(bytes[i])) ++i;
  if (i >= count) {
    if (noMoreBytes || count >= kLongestSequence) return DecodedKey{kOtherKeyCode, count};
    return kNeedMore;
  }
  // A byte that cannot be part of the sequence ends it unfinished; that byte starts the next key.
  if (!IsFinalByte(bytes[i])) return DecodedKey{kOtherKeyCode, i};
  int code = csi ? CsiKeyCode(bytes + start, parameterEnd - start, bytes[i])
                 : Ss3KeyCode(parameterEnd - start, bytes[i]);
  return DecodedKey{code, i + 1};
}

}  // namespace

DecodedKey DecodeTerminalKey(const unsigned char* bytes, std::size_t count, bool noMoreBytes) {
  unsigned char first = bytes[0];
  if (first != kEsc) {
    if (first == '\r') {
      // CR LF, the line end of text written on Windows, is one Enter.
      if (count == 1) return noMoreBytes ? DecodedKey{kEnterKeyCode, 1} : kNeedMore;
      return DecodedKey{kEnterKeyCode, bytes[1] == '\n' ? 2U : 1U};
    }
    if (first == '\n') return DecodedKey{kEnterKeyCode, 1};
    if (first == 0x7f) return DecodedKey{kBackspaceKeyCode, 1};
    return DecodedKey{first, 1};
  }
  if (count == 1) return noMoreBytes ? DecodedKey{kEscapeKeyCode, 1} : kNeedMore;
  unsigned char second = bytes[1];
  if (second == '[' || second == 'O') {
    // Alone, these two bytes are Alt + "[" or Alt + "O".
    if (count == 2 && noMoreBytes) return DecodedKey{kOtherKeyCode, 2};
    return DecodeSequence(bytes, count, 2, second == '[', noMoreBytes);
  }
  if (second == kEsc) {
    // Alt + a key that itself starts with ESC (Alt + arrow on some terminals): taken whole.
    DecodedKey inner = DecodeTerminalKey(bytes + 1, count - 1, noMoreBytes);
    if (inner.length == 0) return kNeedMore;
    return DecodedKey{kOtherKeyCode, inner.length + 1};
  }
  return DecodedKey{kOtherKeyCode, 2};  // Alt + a character
}

}  // namespace vadro
