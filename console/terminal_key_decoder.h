// The keys of a terminal, read as the bytes it sends, turned into the key codes that the console
// helpers work with (those of the Windows console's single-keystroke input).
#pragma once
#include <cstddef>

#include "console/key_codes.h"

namespace vadro {

struct DecodedKey {
  int code;
  std::size_t length;  // bytes the key takes; 0: the bytes so far begin a key that needs more
};

// The first key in bytes[0 .. count), count >= 1. Enter (13, 10, or 13 directly followed by 10 as
// one key) gives 13, DEL (127) gives backspace 8, any other single byte itself. An escape sequence is taken
// whole, so that none of its bytes is ever read as a key of its own. `noMoreBytes` says that no further byte
// came in time: the bytes are then decided as they are (a lone ESC is the Escape key, a cut sequence is
// dropped) instead of asking for more.
DecodedKey DecodeTerminalKey(const unsigned char* bytes, std::size_t count, bool noMoreBytes);

}  // namespace vadro
