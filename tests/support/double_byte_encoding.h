// Platform help for the foundation's tests: an encoding with double-byte characters.
#pragma once

namespace vadro {

// A character of two bytes in the encoding that SelectDoubleByteEncoding chose.
struct DoubleByteChar {
  unsigned char lead;
  unsigned char trail;
};

// Switches the narrow text functions to an encoding that has characters of two bytes and returns
// one of them; false when the machine offers no such encoding.
bool SelectDoubleByteEncoding(DoubleByteChar* sample);

// Returns the narrow text functions to the encoding selected at start-up.
void RestoreEncoding();

}  // namespace vadro
