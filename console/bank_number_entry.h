// The entry of a bank number typed at the cursor, right after the caller's prompt.
#pragma once
#include <cstdint>

namespace vadro {

// Reads single keystrokes until Enter (or a key whose first code is 0) ends an entry of at most
// three digits holding a number from 1 to 127, and returns that number. Only accepted digits are
// echoed; a backspace takes back the last one. Any other number is refused with a red warning that
// goes at the next key press or after three seconds, and the entry starts again. On return the
// entry's three cells are blank and the cursor is on the first of them.
// Raises InputEnded (console/input_ended.h) when input ends before a number has been accepted, and
// EntryInterrupted (console/interruption.h) on Ctrl + C or another request to end the program.
std::int32_t ReadBankNumber();

}  // namespace vadro
