#include "base/heap_string.h"

#include <cassert>
#include <cstddef>
#include <cstring>
#include <functional>

#include "base/multibyte.h"

namespace vadro {

namespace {

HeapHandle OrProcessHeap(HeapHandle heap) { return heap != nullptr ? heap : ProcessHeap(); }

bool IsEmptyText(const char* text) { return text == nullptr || text[0] == 0; }

std::int32_t TextLength(const char* text) { return static_cast<std::int32_t>(std::strlen(text)); }

// `p` is always the start of a character, and no digit is a lead byte, so a double-byte
// character never counts as a digit.
bool IsDigitChar(const char* p) { return *p >= '0' && *p <= '9'; }

// True when `text` points into the `size` bytes from `block` on (none when `block` is null).
// std::less orders any two pointers; `<` is only defined within one object, and `text` is
// usually part of another.
bool Inside(const char* text, const char* block, std::int32_t size) {
  std::less<> before;
  return block != nullptr && !before(text, block) && before(text, block + size);
}

}  // namespace

HeapString::HeapString(HeapHandle heap) : heap(OrProcessHeap(heap)) {}

HeapString::HeapString(const char* text, HeapHandle heap) : heap(OrProcessHeap(heap)) { Assign(text); }

HeapString::HeapString(const wchar_t* text, HeapHandle heap) : heap(OrProcessHeap(heap)) {
  if (text == nullptr || text[0] == 0) return;
  std::int32_t n = WideToNarrowSize(text);
  if (n <= 0) return;
  Resize(n);
  length = n - 1;
  WideToNarrow(text, buffer, n);
}

HeapString::HeapString(const HeapString& other, HeapHandle heap) : heap(OrProcessHeap(heap)) {
  Assign(other);
}

HeapString::~HeapString() {
  if (buffer != nullptr) HeapFreeBlock(heap, buffer);
}

void HeapString::Resize(std::int32_t n) {
  if (n <= 0) {
    if (buffer != nullptr) HeapFreeBlock(heap, buffer);
    buffer = nullptr;
    usedSize = 0;
    capacity = 0;
    return;
  }
  if (buffer == nullptr) {
    buffer = static_cast<char*>(HeapAllocZeroed(heap, static_cast<std::size_t>(n)));
    capacity = n;
    usedSize = n;
    return;
  }
  if (n <= capacity) {
    std::int32_t from = n < usedSize ? n : usedSize;
    std::int32_t to = n < usedSize ? usedSize : n;
    std::memset(buffer + from, 0, static_cast<std::size_t>(to - from));
    usedSize = n;
    return;
  }
  // The increment follows the used size: 4 bytes for small strings, an eighth of the used size,
  // at most 1024 bytes.
  std::int32_t increment = usedSize >> 3;
  if (increment < 4) increment = 4;
  if (increment > 1024) increment = 1024;
  std::int32_t newCapacity = capacity + increment;
  if (n >= newCapacity) newCapacity = n + 1;
  buffer = static_cast<char*>(HeapReAllocZeroed(heap, buffer, static_cast<std::size_t>(newCapacity)));
  std::memset(buffer + usedSize, 0, static_cast<std::size_t>(n - usedSize));
  capacity = newCapacity;
  usedSize = n;
}

HeapString& HeapString::Assign(const HeapString& other) {
  if (&other == this) return *this;
  Resize(other.usedSize);
  if (other.usedSize > 0) std::memcpy(buffer, other.buffer, static_cast<std::size_t>(other.usedSize));
  length = other.length;
  return *this;
}

HeapString& HeapString::Assign(const char* text) {
  if (IsEmptyText(text)) {
    Resize(0);
    length = 0;
    return *this;
  }
  // A text that lies inside this string's own block must be copied before the block changes.
  if (Inside(text, buffer, capacity)) {
    HeapString copy(text);
    return Assign(copy);
  }
  std::int32_t n = TextLength(text);
  Resize(n + 1);
  assert(buffer != nullptr);  // a positive size always leaves a block
  length = n;
  std::memcpy(buffer, text, static_cast<std::size_t>(n) + 1);
  return *this;
}

HeapString& HeapString::Append(const HeapString& other) {
  if (other.usedSize == 0) return *this;
  // Appending a string to itself: its bytes must be read before the block may move.
  if (&other == this) return Append(HeapString(other));
  Resize(length + other.usedSize);
  std::memcpy(buffer + length, other.buffer, static_cast<std::size_t>(other.usedSize));
  length += other.length;
  return *this;
}

HeapString& HeapString::Append(const char* text) {
  if (IsEmptyText(text)) return *this;
  // A text that lies inside this string's own block must be read before the block may move.
  if (Inside(text, buffer, capacity)) {
    HeapString copy(text);
    return Append(copy.Text());
  }
  std::int32_t n = TextLength(text);
  std::int32_t e = usedSize == length ? 1 : 0;
  Resize(usedSize + n + e);
  assert(buffer != nullptr);  // a positive size always leaves a block
  std::memcpy(buffer + length, text, static_cast<std::size_t>(n));
  length += n;
  return *this;
}

HeapString& HeapString::AppendChar(char ch) {
  // A lone lead byte would make the text an invalid multibyte sequence.
  if (IsLeadByte(static_cast<unsigned char>(ch))) return *this;
  std::int32_t e = usedSize == length ? 1 : 0;
  Resize(usedSize + 1 + e);
  buffer[length] = ch;
  length += 1;
  return *this;
}

HeapString& HeapString::Empty() {
  Resize(0);
  length = 0;
  return *this;
}

char* HeapString::GetBuffer(std::int32_t n) {
  if (n <= 0) n = length;
  Resize(n + 1);
  length = n;
  return buffer;
}

HeapString& HeapString::ReleaseBuffer() {
  if (buffer == nullptr) return *this;
  // The text written may have overrun its terminator: the length is bounded by the used size.
  const void* terminator = std::memchr(buffer, 0, static_cast<std::size_t>(usedSize));
  std::int32_t n = terminator != nullptr
                       ? static_cast<std::int32_t>(static_cast<const char*>(terminator) - buffer)
                       : usedSize;
  if (n > usedSize - 1) n = usedSize - 1;
  Resize(n + 1);
  buffer[n] = 0;  // the writer may have overwritten the terminator
  length = n;
  return *this;
}

std::int32_t HeapString::ToInteger(bool* fits) const {
  if (fits != nullptr) *fits = true;
  if (length == 0) return 0;
  const char* text = Text();
  const char* p = text;
  while (*p != 0 && !IsDigitChar(p)) p = NextChar(p);
  if (*p == 0) return 0;
  const char* first = p;
  while (IsDigitChar(p)) p = NextChar(p);
  // From the last digit back: 32-bit arithmetic that wraps like the machine's.
  std::uint32_t value = 0;
  std::uint32_t place = 1;
  for (std::ptrdiff_t i = p - first; i > 0; --i) {
    value += static_cast<std::uint32_t>(first[i - 1] - '0') * place;
    place *= 10;
  }
  const char* before = PrevChar(text, first);
  while (before != nullptr && IsSpaceChar(before)) before = PrevChar(text, before);
  bool negative = before != nullptr && *before == '-';
  if (fits != nullptr) {
    // The exact magnitude, followed only until it passes 2^31, so 64 bits always hold it.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    for (const char* digit = first; digit != p && magnitude <= kLimit; ++digit) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(*digit - '0');
    }
    *fits = magnitude <= (negative ? kLimit : kLimit - 1);
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

std::int32_t HeapString::Find(std::int32_t count, char ch, std::int32_t start) const {
  if (start < 0) start = 0;
  if (start >= length) return -1;
  if (count < 0) count = 1;
  if (count == 0) return -1;
  const char* text = Text();
  const char* p = text + start;
  for (;;) {
    p = FindChar(p, static_cast<unsigned char>(ch));
    if (p == nullptr) return -1;
    if (--count == 0) return static_cast<std::int32_t>(p - text);
    p = NextChar(p);
  }
}

std::int32_t HeapString::ReverseFind(std::int32_t count, char ch, std::int32_t start) const {
  if (start >= length) start = -1;
  if (count < 0) count = 1;
  if (count == 0) return -1;
  if (length == 0 || start == 0) return -1;
  const char* text = Text();
  const char* p = text + (start < 0 ? length : start);
  for (;;) {
    if (*p == ch && --count == 0) return static_cast<std::int32_t>(p - text);
    p = PrevChar(text, p);
    if (p == nullptr) return -1;
  }
}

std::int32_t HeapString::ComparePrefixNoCase(const char* text, std::int32_t count) const {
  if (text == nullptr) text = "";
  if (length == 0 && text[0] == 0) return 0;
  if (count <= 0) return 0;
  return CompareNoCase(Text(), text, static_cast<std::size_t>(count));
}

HeapString HeapString::Left(std::int32_t n) const {
  if (n < 0) n = 0;
  if (n > length) n = length;
  return Mid(0, n);
}

HeapString HeapString::Right(std::int32_t n) const {
  if (n < 0) n = 0;
  if (n > length) n = length;
  return Mid(length - n, n);
}

HeapString HeapString::Mid(std::int32_t start, std::int32_t n) const {
  if (start < 0) start = 0;
  if (n < 0) n = 0;
  HeapString result;
  if (start >= length) return result;
  if (n > length - start) n = length - start;
  if (n == 0) return result;
  result.Resize(n + 1);
  std::memcpy(result.buffer, buffer + start, static_cast<std::size_t>(n));
  result.length = n;
  return result;
}

HeapString HeapString::Mid(std::int32_t start) const {
  if (start < 0) start = 0;
  return Mid(start, length - start);
}

HeapString Concat(const HeapString& string, const char* text) {
  HeapString result(string);
  result.Append(text);
  return result;
}

}  // namespace vadro
