// The codes of single keystrokes, those of the Windows console's unbuffered input, which the
// terminal key decoder gives for a terminal's keys too.
#pragma once

namespace vadro {

constexpr int kEnterKeyCode = 13;
constexpr int kBackspaceKeyCode = 8;
constexpr int kEscapeKeyCode = 27;
// The first code of a function key on the Windows console; the decoder gives it for a terminal's
// F1 to F20.
constexpr int kFunctionKeyCode = 0;
// An arrow or editing key (Home, End, Insert, Delete, Page Up/Down), a key with Alt, or a sequence
// that is not known: a code that no entry takes as a character.
constexpr int kOtherKeyCode = 224;

}  // namespace vadro
