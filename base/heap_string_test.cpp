#include "base/heap_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "tests/support/double_byte_encoding.h"
#include "tests/support/owned_heap.h"

namespace vadro {
namespace {

// The state every operation must leave behind: fields consistent with the block, the text
// terminated, and every byte past the used size zero.
void ExpectConsistent(const HeapString& s) {
  if (!s.HasBlock()) {
    EXPECT_EQ(s.UsedSize(), 0);
    EXPECT_EQ(s.Capacity(), 0);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_STREQ(s.Text(), "");
    return;
  }
  EXPECT_LT(s.Length(), s.UsedSize());
  EXPECT_LE(s.UsedSize(), s.Capacity());
  EXPECT_EQ(s.Text()[s.Length()], 0);
  for (std::int32_t i = s.UsedSize(); i < s.Capacity(); ++i) {
    ASSERT_EQ(s.Text()[i], 0) << "byte " << i << " past the used size";
  }
}

std::int32_t ToInteger(const char* text) { return HeapString(text).ToInteger(); }

TEST(HeapString, EmptyTextsHoldNoBlock) {
  const wchar_t* noWide = nullptr;
  const char* noText = nullptr;
  HeapString fromNothing;
  HeapString fromEmpty("");
  HeapString fromNull(noText);
  HeapString fromEmptyWide(L"");
  HeapString fromNullWide(noWide);
  HeapString copyOfEmpty(fromEmpty);
  for (const HeapString* s :
       {&fromNothing, &fromEmpty, &fromNull, &fromEmptyWide, &fromNullWide, &copyOfEmpty}) {
    EXPECT_FALSE(s->HasBlock());
    ExpectConsistent(*s);
  }
}

TEST(HeapString, ConstructionAndCopiesOwnTheirBytes) {
  HeapString narrow("abc");
  EXPECT_STREQ(narrow.Text(), "abc");
  EXPECT_EQ(narrow.UsedSize(), 4);
  EXPECT_EQ(narrow.Capacity(), 4);
  ExpectConsistent(narrow);

  HeapString wide(L"Vadro.xml");
  EXPECT_STREQ(wide.Text(), "Vadro.xml");
  EXPECT_EQ(wide.Length(), 9);
  EXPECT_EQ(wide.UsedSize(), 10);
  ExpectConsistent(wide);

  HeapString copy(narrow);
  EXPECT_NE(copy.Text(), narrow.Text());
  copy.AppendChar('d');
  EXPECT_STREQ(narrow.Text(), "abc");
  EXPECT_STREQ(copy.Text(), "abcd");

  HeapString assigned("a much longer text than the other");
  assigned.Assign(narrow);
  EXPECT_STREQ(assigned.Text(), "abc");
  EXPECT_EQ(assigned.Length(), 3);
  ExpectConsistent(assigned);
  assigned.Assign(HeapString());
  EXPECT_FALSE(assigned.HasBlock());
}

// Each string gives its block back to its own heap when it is emptied and when it goes.
TEST(HeapString, BlocksGoBackToTheirHeap) {
  HeapHandle heap = HeapCreateOwned();
  {
    HeapString text("abc", heap);
    HeapString copy(text, heap);
    HeapString wide(L"wide", heap);
    EXPECT_EQ(HeapBlockCount(heap), 3u);
    text.Append(copy).Append("defgh").AppendChar('x');
    copy.Empty();
    wide.Assign("");
    EXPECT_EQ(HeapBlockCount(heap), 1u);
    std::strcpy(copy.GetBuffer(300), "long");
    copy.ReleaseBuffer();
    EXPECT_EQ(HeapBlockCount(heap), 2u);
  }
  EXPECT_EQ(HeapBlockCount(heap), 0u);
  HeapDestroyOwned(heap);
}

TEST(HeapString, AppendCharGrowsByTheSmallIncrement) {
  HeapString s;
  s.AppendChar('5');
  EXPECT_STREQ(s.Text(), "5");
  EXPECT_EQ(s.Length(), 1);
  EXPECT_EQ(s.UsedSize(), 2);
  EXPECT_EQ(s.Capacity(), 2);
  s.AppendChar('7');
  EXPECT_STREQ(s.Text(), "57");
  EXPECT_EQ(s.UsedSize(), 3);
  EXPECT_EQ(s.Capacity(), 6);
  ExpectConsistent(s);
}

TEST(HeapString, GrowthIncrementFollowsTheUsedSize) {
  HeapString a(std::string(99, 'a').c_str());
  ASSERT_EQ(a.UsedSize(), 100);
  ASSERT_EQ(a.Capacity(), 100);
  a.AppendChar('b');
  EXPECT_EQ(a.UsedSize(), 101);
  EXPECT_EQ(a.Capacity(), 112);
  ExpectConsistent(a);

  HeapString b(std::string(99, 'a').c_str());
  b.Append(std::string(50, 'b').c_str());
  EXPECT_EQ(b.UsedSize(), 150);
  EXPECT_EQ(b.Capacity(), 151);
  EXPECT_EQ(b.Length(), 149);
  ExpectConsistent(b);

  HeapString c(std::string(8999, 'c').c_str());
  c.AppendChar('d');
  EXPECT_EQ(c.UsedSize(), 9001);
  EXPECT_EQ(c.Capacity(), 10024);
  ExpectConsistent(c);

  // An eighth of 8200 is 1025: held to 1024.
  HeapString d(std::string(8199, 'd').c_str());
  d.AppendChar('e');
  EXPECT_EQ(d.Capacity(), 9224);
}

TEST(HeapString, ShrinkingKeepsTheBlockAndClearsTheRest) {
  HeapString s("abcdefgh");
  s.Assign("ab");
  EXPECT_EQ(s.Capacity(), 9);
  EXPECT_EQ(s.UsedSize(), 3);
  EXPECT_STREQ(s.Text(), "ab");
  ExpectConsistent(s);
  s.Append("xyz");
  EXPECT_STREQ(s.Text(), "abxyz");
  ExpectConsistent(s);
  s.Empty();
  EXPECT_FALSE(s.HasBlock());
  s.Assign("q").Assign(nullptr);
  EXPECT_FALSE(s.HasBlock());
  ExpectConsistent(s);
}

TEST(HeapString, GetBufferAndReleaseBuffer) {
  HeapString s;
  char* buffer = s.GetBuffer(260);
  EXPECT_EQ(s.Capacity(), 261);
  for (int i = 0; i < 261; ++i) ASSERT_EQ(buffer[i], 0);
  std::memcpy(buffer, "Vadro1.exe", 11);
  s.ReleaseBuffer();
  EXPECT_EQ(s.Length(), 10);
  EXPECT_EQ(s.UsedSize(), 11);
  EXPECT_EQ(s.Capacity(), 261);
  EXPECT_STREQ(s.Text(), "Vadro1.exe");
  ExpectConsistent(s);

  // A text that fills the whole space, terminator included, is cut to the space asked for.
  HeapString full;
  std::memset(full.GetBuffer(4), 'x', 5);
  full.ReleaseBuffer();
  EXPECT_EQ(full.Length(), 4);
  EXPECT_STREQ(full.Text(), "xxxx");

  // n <= 0 means the current length.
  HeapString abc("abc");
  abc.GetBuffer(0)[1] = 'B';
  abc.ReleaseBuffer();
  EXPECT_STREQ(abc.Text(), "aBc");

  HeapString none;
  none.ReleaseBuffer();
  EXPECT_FALSE(none.HasBlock());
}

TEST(HeapString, AppendStringsAndTexts) {
  HeapString s;
  s.Append("hello");
  EXPECT_EQ(s.UsedSize(), 6);
  EXPECT_STREQ(s.Text(), "hello");
  s.Append(HeapString(", world"));
  EXPECT_STREQ(s.Text(), "hello, world");
  EXPECT_EQ(s.Length(), 12);
  ExpectConsistent(s);
  s.Append(HeapString()).Append("").Append(nullptr);
  EXPECT_STREQ(s.Text(), "hello, world");

  HeapString self("ab");
  self.Append(self);
  EXPECT_STREQ(self.Text(), "abab");
  self.Append(self.Text() + 1);
  EXPECT_STREQ(self.Text(), "ababbab");
  self.Assign(self.Text() + 3);
  EXPECT_STREQ(self.Text(), "bbab");
  ExpectConsistent(self);

  HeapString joined = Concat(HeapString("C:\\app\\"), "Vadro.xml");
  EXPECT_STREQ(joined.Text(), "C:\\app\\Vadro.xml");
  EXPECT_STREQ(Concat(HeapString(), "x").Text(), "x");
}

TEST(HeapString, ToIntegerReadsTheFirstRunOfDigits) {
  EXPECT_EQ(ToInteger("abc12x"), 12);
  EXPECT_EQ(ToInteger(" -7"), -7);
  EXPECT_EQ(ToInteger("- 7"), -7);
  EXPECT_EQ(ToInteger("-\t\r\n\v\f7"), -7);
  EXPECT_EQ(ToInteger("x-3"), -3);
  EXPECT_EQ(ToInteger("12-5"), 12);
  EXPECT_EQ(ToInteger("+4"), 4);
  EXPECT_EQ(ToInteger("-+4"), 4);
  EXPECT_EQ(ToInteger("007"), 7);
  EXPECT_EQ(ToInteger(""), 0);
  EXPECT_EQ(ToInteger("abc"), 0);
  EXPECT_EQ(ToInteger("150"), 150);
  EXPECT_EQ(ToInteger("4294967297"), 1);
  EXPECT_EQ(ToInteger("2147483648"), INT_MIN);
  EXPECT_EQ(ToInteger("-2147483648"), INT_MIN);
  EXPECT_EQ(ToInteger("2147483647"), INT_MAX);
}

TEST(HeapString, FindCountsOccurrencesFromStart) {
  EXPECT_EQ(HeapString("186-189").Find(1, '-', 0), 3);
  EXPECT_EQ(HeapString("25").Find(1, '-', 0), -1);
  HeapString s("1-2-3");
  EXPECT_EQ(s.Find(2, '-', 0), 3);
  EXPECT_EQ(s.Find(1, '-', 2), 3);
  EXPECT_EQ(s.Find(1, '-', 3), 3);
  EXPECT_EQ(s.Find(3, '-', 0), -1);
  EXPECT_EQ(s.Find(0, '-', 0), -1);
  EXPECT_EQ(s.Find(-5, '-', 0), 1);
  EXPECT_EQ(s.Find(1, '-', -4), 1);
  EXPECT_EQ(s.Find(1, '-', 5), -1);
  EXPECT_EQ(s.Find(1, '1', 5), -1);
  EXPECT_EQ(HeapString().Find(1, '-', 0), -1);
}

TEST(HeapString, ReverseFindCountsOccurrencesBackwards) {
  HeapString exe("C:\\dir\\x.exe");
  EXPECT_EQ(exe.ReverseFind(1, '\\', -1), 6);
  EXPECT_EQ(exe.ReverseFind(2, '\\', -1), 2);
  EXPECT_EQ(exe.ReverseFind(3, '\\', -1), -1);
  EXPECT_EQ(exe.ReverseFind(1, '\\', 5), 2);
  EXPECT_EQ(exe.ReverseFind(1, '\\', 6), 6);
  EXPECT_EQ(exe.ReverseFind(1, '\\', 12), 6);
  EXPECT_EQ(exe.ReverseFind(1, '\\', 100), 6);
  EXPECT_EQ(exe.ReverseFind(-3, '\\', -1), 6);
  EXPECT_EQ(exe.ReverseFind(0, '\\', -1), -1);
  EXPECT_EQ(HeapString("x.log").ReverseFind(1, '\\', -1), -1);
  HeapString leading("\\x");
  EXPECT_EQ(leading.ReverseFind(1, '\\', 0), -1);
  EXPECT_EQ(leading.ReverseFind(1, '\\', -1), 0);
  EXPECT_EQ(HeapString().ReverseFind(1, '\\', -1), -1);
}

TEST(HeapString, SubstringsClampTheirLimits) {
  HeapString abc("abc");
  EXPECT_FALSE(abc.Left(-1).HasBlock());
  EXPECT_STREQ(abc.Left(10).Text(), "abc");
  EXPECT_STREQ(abc.Left(2).Text(), "ab");
  EXPECT_STREQ(abc.Right(2).Text(), "bc");
  EXPECT_STREQ(abc.Right(7).Text(), "abc");
  EXPECT_FALSE(abc.Right(-2).HasBlock());
  EXPECT_STREQ(abc.Mid(1, 1).Text(), "b");
  EXPECT_STREQ(abc.Mid(-2, 2).Text(), "ab");
  EXPECT_STREQ(abc.Mid(1, 50).Text(), "bc");
  EXPECT_FALSE(abc.Mid(1, -1).HasBlock());
  EXPECT_FALSE(abc.Mid(5).HasBlock());
  EXPECT_FALSE(abc.Mid(3).HasBlock());
  EXPECT_STREQ(abc.Mid(1).Text(), "bc");
  EXPECT_STREQ(abc.Mid(-1).Text(), "abc");
  HeapString mid = abc.Mid(1, 1);
  EXPECT_EQ(mid.UsedSize(), 2);
  ExpectConsistent(mid);
  EXPECT_STREQ(abc.Text(), "abc");
}

TEST(HeapString, ComparePrefixNoCase) {
  HeapString path("c:\\dir\\x.log");
  EXPECT_EQ(path.ComparePrefixNoCase("C:\\DIR", 6), 0);
  EXPECT_EQ(path.ComparePrefixNoCase("C:\\DI", 5), 0);
  EXPECT_LT(path.ComparePrefixNoCase("D:\\", 3), 0);
  EXPECT_GT(path.ComparePrefixNoCase("B:\\", 3), 0);
  EXPECT_NE(path.ComparePrefixNoCase("c:\\dir\\x.log.old", 16), 0);
  EXPECT_EQ(HeapString().ComparePrefixNoCase(nullptr, 5), 0);
  EXPECT_EQ(HeapString().ComparePrefixNoCase("", 5), 0);
  EXPECT_NE(HeapString().ComparePrefixNoCase("a", 1), 0);
  EXPECT_NE(path.ComparePrefixNoCase(nullptr, 1), 0);
}

// Double-byte characters in an encoding that has them (UTF-8 on POSIX, Shift-JIS on Windows).
class HeapStringDoubleByte : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SelectDoubleByteEncoding(&sample)) GTEST_SKIP() << "no double-byte encoding here";
    character[0] = static_cast<char>(sample.lead);
    character[1] = static_cast<char>(sample.trail);
  }
  void TearDown() override { RestoreEncoding(); }

  // `before` + the double-byte character + `after`.
  std::string With(const char* before, const char* after) const {
    return std::string(before) + character + after;
  }

  DoubleByteChar sample{};
  char character[3] = {};
};

TEST_F(HeapStringDoubleByte, LoneLeadByteIsNeverStored) {
  HeapString s("ab");
  s.AppendChar(static_cast<char>(sample.lead));
  EXPECT_STREQ(s.Text(), "ab");
  EXPECT_EQ(s.UsedSize(), 3);
  HeapString empty;
  empty.AppendChar(static_cast<char>(sample.lead));
  EXPECT_FALSE(empty.HasBlock());
}

TEST_F(HeapStringDoubleByte, SearchesStepOverWholeCharacters) {
  char trail = static_cast<char>(sample.trail);
  HeapString s(With("x", "y").c_str());
  EXPECT_EQ(s.Find(1, trail, 0), -1);
  EXPECT_EQ(s.ReverseFind(1, trail, -1), -1);
  EXPECT_EQ(s.ReverseFind(1, 'x', -1), 0);
  EXPECT_EQ(s.Find(1, 'y', 0), 3);
  HeapString twice(With("a", (std::string("-") + character + "-").c_str()).c_str());
  EXPECT_EQ(twice.Find(2, '-', 0), 6);
  EXPECT_EQ(twice.ReverseFind(2, '-', -1), 3);
}

TEST_F(HeapStringDoubleByte, ComparePrefixNoCaseNeverPairsTextsOfDifferentBytes) {
  EXPECT_EQ(HeapString(With("a", "B").c_str()).ComparePrefixNoCase(With("A", "b").c_str(), 4), 0);
  const struct {
    const char* string;
    const char* text;
    std::int32_t count;
  } unequal[] = {
      {"\xC3x", "\xC3\x83", 2},          // a byte that forms no character, against one that does
      {"\xC3x", "\xE3x", 2},             // two such bytes, never case-folded as characters
      {"\xE2\x84\xAA/dir", "k/dir", 5},  // a character whose lower case has fewer bytes
  };
  for (const auto& row : unequal) {
    EXPECT_NE(HeapString(row.string).ComparePrefixNoCase(row.text, row.count), 0) << row.string;
    EXPECT_NE(HeapString(row.text).ComparePrefixNoCase(row.string, row.count), 0) << row.text;
  }
}

TEST_F(HeapStringDoubleByte, ToIntegerSkipsCharactersBeforeTheDigits) {
  EXPECT_EQ(HeapString(With("", "42").c_str()).ToInteger(), 42);
  EXPECT_EQ(HeapString(With("-", "42").c_str()).ToInteger(), 42);
  EXPECT_EQ(HeapString(With("", "- 42").c_str()).ToInteger(), -42);
}

}  // namespace
}  // namespace vadro
