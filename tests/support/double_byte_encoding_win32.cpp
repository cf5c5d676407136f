#include <mbctype.h>

#include "tests/support/double_byte_encoding.h"

namespace vadro {

bool SelectDoubleByteEncoding(DoubleByteChar* sample) {
  // Shift-JIS: 0x83 0x5C is a katakana letter whose second byte is a backslash.
  if (_setmbcp(932) != 0) return false;
  *sample = {0x83, 0x5C};
  return true;
}

void RestoreEncoding() { _setmbcp(_MB_CP_ANSI); }

}  // namespace vadro
