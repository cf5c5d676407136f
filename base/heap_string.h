// HeapString: the program's one text type, a growable zero-terminated byte string in the
// narrow (ANSI) code page, kept in one block on a heap. Searches are multibyte-aware.
#pragma once
#include <cstdint>

#include "base/heap.h"

namespace vadro {

class HeapString {
 public:
  explicit HeapString(HeapHandle heap = nullptr);
  explicit HeapString(const char* text, HeapHandle heap = nullptr);
  explicit HeapString(const wchar_t* text, HeapHandle heap = nullptr);
  HeapString(const HeapString& other, HeapHandle heap = nullptr);
  virtual ~HeapString();

  const char* Text() const { return buffer ? buffer : &emptyText; }
  std::int32_t Length() const { return length; }
  std::int32_t UsedSize() const { return usedSize; }
  std::int32_t Capacity() const { return capacity; }
  bool HasBlock() const { return buffer != nullptr; }

  HeapString& Assign(const HeapString& other);
  HeapString& Assign(const char* text);
  HeapString& Append(const HeapString& other);
  HeapString& Append(const char* text);
  HeapString& AppendChar(char ch);
  HeapString& Empty();

  // Room for n bytes (n <= 0: the current length) and a terminator; follow with ReleaseBuffer.
  char* GetBuffer(std::int32_t n);
  HeapString& ReleaseBuffer();

  // The first run of decimal digits, negative when a '-' precedes it (white space skipped);
  // wraps modulo 2^32; 0 when there is no digit. `fits`, when given, tells whether the signed
  // value is a 32-bit integer, that is, whether nothing wrapped.
  std::int32_t ToInteger(bool* fits = nullptr) const;
  // Index of the count-th `ch` at or after `start`, or -1.
  std::int32_t Find(std::int32_t count, char ch, std::int32_t start) const;
  // Index of the count-th `ch` counting backwards from `start` (-1: the whole text), or -1.
  std::int32_t ReverseFind(std::int32_t count, char ch, std::int32_t start) const;
  // Compares the first `count` bytes with `text`, ignoring case: negative, 0 or positive.
  std::int32_t ComparePrefixNoCase(const char* text, std::int32_t count) const;

  HeapString Left(std::int32_t n) const;
  HeapString Right(std::int32_t n) const;
  HeapString Mid(std::int32_t start, std::int32_t n) const;
  HeapString Mid(std::int32_t start) const;

  HeapString& operator=(const HeapString&) = delete;

 private:
  void Resize(std::int32_t n);

  char* buffer = nullptr;
  std::int32_t usedSize = 0;
  std::int32_t capacity = 0;
  std::int32_t length = 0;
  HeapHandle heap;
  char emptyText = 0;
};

// A copy of `string` followed by `text`.
HeapString Concat(const HeapString& string, const char* text);

}  // namespace vadro
