// Character classification and stepping in the active narrow (ANSI) code page.
#pragma once
#include <cstddef>

namespace vadro {

// Selects the user's multibyte encoding for the narrow text functions; called once at start-up.
void InitMultibyteLocale();

// True when `ch` starts a character of more than one byte.
bool IsLeadByte(unsigned char ch);

// True when the character at `p` is white space.
bool IsSpaceChar(const char* p);

// The character after the one at `p` (at the terminator, `p` itself).
const char* NextChar(const char* p);

// The character before `p` in the text starting at `start`, or null when `p` is at `start`.
const char* PrevChar(const char* start, const char* p);

// The first character equal to the single byte `ch` at or after `p`, or null.
const char* FindChar(const char* p, unsigned char ch);

// Compares at most `count` bytes, ignoring case, whole characters at a time. Negative, 0 or positive.
int CompareNoCase(const char* a, const char* b, std::size_t count);

// Length in bytes of the narrow text that `wide` (zero-terminated; UTF-16 on Windows) converts to
// in the ANSI code page (the locale's encoding on POSIX), terminator included; 0 or less when it
// cannot be converted.
int WideToNarrowSize(const wchar_t* wide);

// Converts `wide` into `out` (room for `size` bytes, terminator included).
void WideToNarrow(const wchar_t* wide, char* out, int size);

}  // namespace vadro
