#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "base/multibyte.h"

// Text is classified by the multibyte encoding of the LC_CTYPE locale (UTF-8 as a rule). A byte
// sequence that is not a valid character of that encoding counts as a character of one byte.

namespace vadro {

namespace {

// Length in bytes of the character at `p` (not at the terminator), and its wide value.
std::size_t DecodeChar(const char* p, wchar_t* wide) {
  std::mbstate_t state{};
  std::size_t n = std::mbrtowc(wide, p, MB_CUR_MAX, &state);
  if (n == 0 || n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
    *wide = static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return 1;
  }
  return n;
}

// What a character compares by when case is ignored: its lower-case value and its length in bytes;
// a byte that begins no character is a character of one byte whose value is the byte itself.
struct CharKey {
  std::uint32_t value;
  std::size_t length;
};

CharKey CaseKey(const char* p) {
  std::mbstate_t state{};
  wchar_t wide = 0;
  std::size_t n = std::mbrtowc(&wide, p, MB_CUR_MAX, &state);
  if (n == 0 || n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
    return CharKey{static_cast<unsigned char>(*p), 1};
  }
  return CharKey{static_cast<std::uint32_t>(std::towlower(static_cast<wint_t>(wide))), n};
}

}  // namespace

void InitMultibyteLocale() { std::setlocale(LC_CTYPE, ""); }

bool IsLeadByte(unsigned char ch) {
  if (ch < 0x80) return false;
  // A lead byte on its own is the incomplete start of a longer character.
  char byte = static_cast<char>(ch);
  std::mbstate_t state{};
  return std::mbrlen(&byte, 1, &state) == static_cast<std::size_t>(-2);
}

bool IsSpaceChar(const char* p) {
  if (*p == 0) return false;
  wchar_t wide = 0;
  DecodeChar(p, &wide);
  return std::iswspace(static_cast<wint_t>(wide)) != 0;
}

const char* NextChar(const char* p) {
  if (*p == 0) return p;
  wchar_t wide = 0;
  return p + DecodeChar(p, &wide);
}

// Characters can only be told apart from the front, so the text is walked from `start`.
const char* PrevChar(const char* start, const char* p) {
  if (p <= start) return nullptr;
  const char* previous = start;
  for (const char* q = start; q < p && *q != 0;) {
    previous = q;
    q = NextChar(q);
  }
  return previous;
}

const char* FindChar(const char* p, unsigned char ch) {
  for (;; p = NextChar(p)) {
    if (static_cast<unsigned char>(*p) == ch && (ch == 0 || NextChar(p) == p + 1)) return p;
    if (*p == 0) return nullptr;
  }
}

// As the Windows runtime compares: a byte that begins no character of the encoding stands for
// itself, and two characters are equal ignoring case only when they also take the same number of
// bytes, so that a text never equals one of another length in bytes.
int CompareNoCase(const char* a, const char* b, std::size_t count) {
  std::size_t used = 0;
  while (used < count) {
    if (*a == 0 || *b == 0) {
      return static_cast<int>(static_cast<unsigned char>(*a)) -
             static_cast<int>(static_cast<unsigned char>(*b));
    }
    CharKey keyA = CaseKey(a);
    CharKey keyB = CaseKey(b);
    if (keyA.value != keyB.value) return keyA.value < keyB.value ? -1 : 1;
    if (keyA.length != keyB.length) return keyA.length < keyB.length ? -1 : 1;
    a += keyA.length;
    b += keyA.length;
    used += keyA.length;
  }
  return 0;
}

int WideToNarrowSize(const wchar_t* wide) {
  std::mbstate_t state{};
  const wchar_t* source = wide;
  std::size_t n = std::wcsrtombs(nullptr, &source, 0, &state);
  // Also refuses the (size_t)-1 of a text that does not convert.
  if (n >= 0x7fffffff) return 0;
  return static_cast<int>(n + 1);
}

void WideToNarrow(const wchar_t* wide, char* out, int size) {
  if (size <= 0) return;
  std::mbstate_t state{};
  const wchar_t* source = wide;
  std::size_t n = std::wcsrtombs(out, &source, static_cast<std::size_t>(size), &state);
  if (n == static_cast<std::size_t>(-1)) {
    out[0] = 0;
  } else if (n >= static_cast<std::size_t>(size)) {
    out[size - 1] = 0;
  }
}

}  // namespace vadro
