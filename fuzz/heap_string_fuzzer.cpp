// HeapString on arbitrary bytes: the input is a program of operations on three strings (the third
// on a heap of its own), each mirrored on a standard string. After every operation the string's
// invariants must hold and its bytes must equal the mirror; every query's result must lie within
// the text and, where the encoding leaves no doubt, equal the answer computed on the mirror.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <strings.h>

#include "base/heap.h"
#include "base/heap_string.h"
#include "base/multibyte.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/owned_heap.h"

namespace {

using vadro::HeapString;

constexpr int kMaxOperations = 48;
constexpr int kMaxTextLength = 80;
// Appending a string to itself doubles it; beyond this it is emptied, so that every input stays
// quick (the backward steps through multibyte text walk it from its start).
constexpr std::size_t kMaxStringLength = 256;

// The string's own invariants, and its bytes against the mirror.
void CheckString(const HeapString& string, const std::string& mirror) {
  const char* text = string.Text();
  FUZZ_CHECK(text != nullptr);
  FUZZ_CHECK(string.Length() == static_cast<std::int32_t>(mirror.size()));
  if (!string.HasBlock()) {
    FUZZ_CHECK(string.Length() == 0 && string.UsedSize() == 0 && string.Capacity() == 0);
    FUZZ_CHECK(text[0] == 0);
    return;
  }
  FUZZ_CHECK(string.Length() < string.UsedSize());
  FUZZ_CHECK(string.UsedSize() <= string.Capacity());
  FUZZ_CHECK(text[string.Length()] == 0);
  for (std::int32_t i = string.UsedSize(); i < string.Capacity(); ++i) FUZZ_CHECK(text[i] == 0);
  FUZZ_CHECK(std::memcmp(text, mirror.data(), mirror.size()) == 0);
}

// A substring result: no block when empty, otherwise exactly its bytes and a terminator.
void CheckPart(const HeapString& part, const std::string& expected) {
  CheckString(part, expected);
  FUZZ_CHECK(part.HasBlock() == !expected.empty());
  if (part.HasBlock()) FUZZ_CHECK(part.UsedSize() == part.Length() + 1);
}

// The mirror's text as a zero-terminated reader sees it: up to the first zero byte.
std::string AsText(const std::string& mirror) { return mirror.substr(0, mirror.find('\0')); }

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void CheckToInteger(const HeapString& string, const std::string& mirror, bool multibyte) {
  std::int32_t result = string.ToInteger();
  std::string text = AsText(mirror);
  // Digits are single bytes in both encodings, and no byte of a longer character is one.
  std::size_t first = text.find_first_of("0123456789");
  if (first == std::string::npos) {
    FUZZ_CHECK(result == 0);
    return;
  }
  std::uint32_t value = 0;
  for (std::size_t i = first; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  auto got = static_cast<std::uint32_t>(result);
  FUZZ_CHECK(got == value || got == 0u - value);
  if (multibyte) {
    // White space may be a character of several bytes; only the plain neighbours are certain.
    if (first > 0 && text[first - 1] == '-') FUZZ_CHECK(got == 0u - value);
    if (first > 0 && static_cast<unsigned char>(text[first - 1]) < 0x80 && text[first - 1] != '-' &&
        !IsCSpace(text[first - 1])) {
      FUZZ_CHECK(got == value);
    }
    return;
  }
  std::size_t before = first;
  while (before > 0 && IsCSpace(text[before - 1])) --before;
  bool negative = before > 0 && text[before - 1] == '-';
  FUZZ_CHECK(got == (negative ? 0u - value : value));
}

void CheckFind(const HeapString& string, const std::string& mirror, std::int32_t count, char ch,
               std::int32_t start, bool exact) {
  std::int32_t result = string.Find(count, ch, start);
  auto length = static_cast<std::int32_t>(mirror.size());
  if (result != -1) {
    FUZZ_CHECK(result >= 0 && result < length);
    FUZZ_CHECK(result >= start);
    FUZZ_CHECK(mirror[static_cast<std::size_t>(result)] == ch);
  }
  if (!exact) return;
  // The count-th occurrence from the start, up to the first zero byte after it.
  std::int32_t expected = -1;
  std::int32_t wanted = count < 0 ? 1 : count;
  std::int32_t from = start < 0 ? 0 : start;
  if (wanted > 0 && from < length) {
    for (std::int32_t i = from; i < length && mirror[static_cast<std::size_t>(i)] != 0; ++i) {
      if (mirror[static_cast<std::size_t>(i)] == ch && --wanted == 0) {
        expected = i;
        break;
      }
    }
  }
  FUZZ_CHECK(result == expected);
}

void CheckReverseFind(const HeapString& string, const std::string& mirror, std::int32_t count, char ch,
                      std::int32_t start, bool exact) {
  std::int32_t result = string.ReverseFind(count, ch, start);
  auto length = static_cast<std::int32_t>(mirror.size());
  if (result != -1) {
    FUZZ_CHECK(result >= 0 && result < length);
    if (start > 0 && start < length) FUZZ_CHECK(result <= start);
    FUZZ_CHECK(mirror[static_cast<std::size_t>(result)] == ch);
  }
  if (!exact) return;
  // The start position first, then every position below it back to the text's first zero byte.
  std::int32_t expected = -1;
  std::int32_t wanted = count < 0 ? 1 : count;
  std::int32_t from = start >= length ? -1 : start;
  if (wanted > 0 && length > 0 && from != 0) {
    std::int32_t position = from < 0 ? length : from;
    auto textEnd = static_cast<std::int32_t>(std::strlen(mirror.c_str()));
    auto at = [&](std::int32_t i) { return i < length ? mirror[static_cast<std::size_t>(i)] : '\0'; };
    if (at(position) == ch && --wanted == 0) {
      expected = position;
    } else {
      for (std::int32_t i = (position < textEnd ? position : textEnd) - 1; i >= 0; --i) {
        if (at(i) == ch && --wanted == 0) {
          expected = i;
          break;
        }
      }
    }
  }
  FUZZ_CHECK(result == expected);
}

int Sign(int value) { return (value > 0) - (value < 0); }

void CheckCompare(const HeapString& a, const HeapString& b, std::int32_t count, bool multibyte) {
  int ab = a.ComparePrefixNoCase(b.Text(), count);
  int ba = b.ComparePrefixNoCase(a.Text(), count);
  FUZZ_CHECK(Sign(ab) == -Sign(ba));
  FUZZ_CHECK(a.ComparePrefixNoCase(a.Text(), count) == 0);
  if (count <= 0) FUZZ_CHECK(ab == 0);
  if (!multibyte && count > 0) {
    FUZZ_CHECK(Sign(ab) == Sign(strncasecmp(a.Text(), b.Text(), static_cast<std::size_t>(count))));
  }
}

struct Slot {
  HeapString* string;
  std::string mirror;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  bool multibyte = input.ConsumeBool();
  vadro::fuzz::SelectEncoding(multibyte);

  vadro::HeapHandle ownHeap = vadro::HeapCreateOwned();
  {
    std::string initial = input.ConsumeRandomLengthString(kMaxTextLength);
    HeapString first;
    HeapString second(initial.c_str());
    HeapString third(ownHeap);
    Slot slots[3] = {{&first, ""}, {&second, AsText(initial)}, {&third, ""}};
    CheckString(second, slots[1].mirror);

    for (int step = 0; step < kMaxOperations && input.remaining_bytes() > 0; ++step) {
      Slot& slot = slots[input.ConsumeIntegralInRange<int>(0, 2)];
      Slot& other = slots[input.ConsumeIntegralInRange<int>(0, 2)];
      HeapString& s = *slot.string;
      std::string& m = slot.mirror;
      std::int32_t length = s.Length();
      // Counts and positions around the text's bounds, negative ones included.
      auto position = [&] { return input.ConsumeIntegralInRange<std::int32_t>(-3, length + 3); };
      // Mostly '-' and '\\', the bytes the program looks for; sometimes any byte but zero.
      auto searched = [&] {
        char ch = static_cast<char>(input.ConsumeIntegral<std::uint8_t>());
        if (ch == 0 || input.ConsumeBool()) ch = input.ConsumeBool() ? '-' : '\\';
        return ch;
      };
      bool exactSearch = !multibyte;
      switch (input.ConsumeIntegralInRange<int>(0, 18)) {
        case 0: {
          std::string text = input.ConsumeRandomLengthString(kMaxTextLength);
          s.Assign(text.c_str());
          m = AsText(text);
          break;
        }
        case 1:
          s.Assign(*other.string);
          m = other.mirror;
          break;
        case 2: {
          std::string text = input.ConsumeRandomLengthString(kMaxTextLength);
          s.Append(text.c_str());
          m += AsText(text);
          break;
        }
        case 3: {
          std::string appended = other.mirror;  // read before: `other` may be `slot` itself
          s.Append(*other.string);
          if (other.string->HasBlock()) m += appended;
          break;
        }
        case 4: {
          // A text that lies inside the string's own block.
          auto from = input.ConsumeIntegralInRange<std::int32_t>(0, length);
          std::string appended = AsText(m.substr(static_cast<std::size_t>(from)));
          s.Append(s.Text() + from);
          m += appended;
          break;
        }
        case 5: {
          char ch = static_cast<char>(input.ConsumeIntegral<std::uint8_t>());
          bool lead = vadro::IsLeadByte(static_cast<unsigned char>(ch));
          s.AppendChar(ch);
          if (!lead) m.push_back(ch);
          break;
        }
        case 6:
          s.Empty();
          m.clear();
          break;
        case 7: {
          // GetBuffer, some bytes written into it, ReleaseBuffer: the text ends at the first zero
          // byte of the buffer, or at its end.
          auto n = input.ConsumeIntegralInRange<std::int32_t>(-2, 300);
          std::string written = input.ConsumeRandomLengthString(kMaxTextLength + 300);
          std::int32_t room = n <= 0 ? length : n;
          if (written.size() > static_cast<std::size_t>(room)) written.resize(static_cast<std::size_t>(room));
          char* buffer = s.GetBuffer(n);
          FUZZ_CHECK(buffer != nullptr && s.Length() == room && s.UsedSize() >= room + 1);
          std::copy(written.begin(), written.end(), buffer);
          s.ReleaseBuffer();
          std::string bytes = m;
          bytes.resize(static_cast<std::size_t>(room) + 1, '\0');
          bytes.replace(0, written.size(), written);
          std::size_t end = bytes.find('\0');
          m = bytes.substr(0, end < static_cast<std::size_t>(room) ? end : static_cast<std::size_t>(room));
          break;
        }
        case 8:
          CheckToInteger(s, m, multibyte);
          break;
        case 9: {
          auto count = input.ConsumeIntegralInRange<std::int32_t>(-2, 4);
          char ch = searched();
          CheckFind(s, m, count, ch, position(), exactSearch || static_cast<unsigned char>(ch) < 0x80);
          break;
        }
        case 10: {
          auto count = input.ConsumeIntegralInRange<std::int32_t>(-2, 4);
          char ch = searched();
          CheckReverseFind(s, m, count, ch, position(), exactSearch || static_cast<unsigned char>(ch) < 0x80);
          break;
        }
        case 11:
          CheckCompare(s, *other.string, input.ConsumeIntegralInRange<std::int32_t>(-2, length + 4),
                       multibyte);
          break;
        case 12: {
          std::int32_t n = position();
          std::int32_t kept = n < 0 ? 0 : (n > length ? length : n);
          HeapString part = s.Left(n);
          CheckPart(part, m.substr(0, static_cast<std::size_t>(kept)));
          other.string->Assign(part);
          other.mirror = m.substr(0, static_cast<std::size_t>(kept));
          break;
        }
        case 13: {
          std::int32_t n = position();
          std::int32_t kept = n < 0 ? 0 : (n > length ? length : n);
          std::string expected = m.substr(static_cast<std::size_t>(length - kept));
          HeapString part = s.Right(n);
          CheckPart(part, expected);
          break;
        }
        case 14: {
          std::int32_t start = position();
          auto n = input.ConsumeIntegralInRange<std::int32_t>(-3, length + 3);
          std::string expected;
          std::int32_t from = start < 0 ? 0 : start;
          if (from < length && n > 0)
            expected = m.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n));
          HeapString part = s.Mid(start, n);
          CheckPart(part, expected);
          break;
        }
        case 15: {
          std::int32_t start = position();
          std::int32_t from = start < 0 ? 0 : start;
          std::string expected = from < length ? m.substr(static_cast<std::size_t>(from)) : std::string();
          HeapString part = s.Mid(start);
          CheckPart(part, expected);
          break;
        }
        case 16: {
          std::string text = input.ConsumeRandomLengthString(kMaxTextLength);
          HeapString joined = vadro::Concat(s, text.c_str());
          CheckString(joined, m + AsText(text));
          break;
        }
        case 17: {
          HeapString copy(s);
          CheckString(copy, m);
          FUZZ_CHECK(copy.HasBlock() == s.HasBlock());
          if (copy.HasBlock()) FUZZ_CHECK(copy.Text() != s.Text());
          break;
        }
        case 18: {
          // A wide text: converted whole, or left empty when a character has no narrow form.
          std::wstring wide;
          auto n = input.ConsumeIntegralInRange<std::size_t>(0, 12);
          for (std::size_t i = 0; i < n; ++i) {
            std::uint32_t code = input.ConsumeBool()
                                     ? input.ConsumeIntegralInRange<std::uint32_t>(1, 0x7F)
                                     : input.ConsumeIntegralInRange<std::uint32_t>(1, 0x11FFFF);
            wide.push_back(static_cast<wchar_t>(code));
          }
          // Characters the encoding ignores (the Unicode tag characters, in "C") may leave a
          // block that holds the empty text: the converted size counted only the terminator.
          HeapString converted(wide.c_str());
          std::string text = converted.Text();
          CheckString(converted, text);
          if (converted.HasBlock()) FUZZ_CHECK(converted.UsedSize() == converted.Length() + 1);
          if (wide.empty()) FUZZ_CHECK(!converted.HasBlock());
          bool ascii = true;
          for (wchar_t c : wide) ascii = ascii && c < 0x80;
          if (ascii) FUZZ_CHECK(text == std::string(wide.begin(), wide.end()));
          break;
        }
      }
      CheckString(s, m);
      CheckString(*other.string, other.mirror);
      if (m.size() > kMaxStringLength) {
        s.Empty();
        m.clear();
      }
    }
  }
  vadro::HeapDestroyOwned(ownHeap);
  return 0;
}
