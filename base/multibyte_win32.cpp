#include <windows.h>
#include <mbctype.h>
#include <mbstring.h>

#include "base/multibyte.h"

namespace vadro {

namespace {
const unsigned char* Bytes(const char* p) { return reinterpret_cast<const unsigned char*>(p); }
const char* Chars(const unsigned char* p) { return reinterpret_cast<const char*>(p); }
}  // namespace

void InitMultibyteLocale() { _setmbcp(_MB_CP_ANSI); }

bool IsLeadByte(unsigned char ch) { return _ismbblead(ch) != 0; }

bool IsSpaceChar(const char* p) {
  unsigned int ch = static_cast<unsigned char>(p[0]);
  if (_ismbblead(ch) && p[1] != 0) ch = (ch << 8) | static_cast<unsigned char>(p[1]);
  return _ismbcspace(ch) != 0;
}

const char* NextChar(const char* p) {
  if (*p == 0) return p;
  // A lead byte cut off by the terminator is a character of its own.
  if (_ismbblead(static_cast<unsigned char>(p[0])) && p[1] == 0) return p + 1;
  return Chars(_mbsinc(Bytes(p)));
}

const char* PrevChar(const char* start, const char* p) {
  if (p <= start) return nullptr;
  return Chars(_mbsdec(Bytes(start), Bytes(p)));
}

const char* FindChar(const char* p, unsigned char ch) { return Chars(_mbschr(Bytes(p), ch)); }

int CompareNoCase(const char* a, const char* b, std::size_t count) {
  return _mbsnbicmp(Bytes(a), Bytes(b), count);
}

int WideToNarrowSize(const wchar_t* wide) {
  return WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
}

void WideToNarrow(const wchar_t* wide, char* out, int size) {
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size, nullptr, nullptr);
}

}  // namespace vadro
