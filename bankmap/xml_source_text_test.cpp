#include "bankmap/xml_source_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vadro {
namespace {

bool Takes(const std::string& bytes, std::string* text = nullptr) {
  std::string out;
  bool taken = ToXmlUtf8(bytes.data(), bytes.size(), out);
  if (text != nullptr) *text = out;
  return taken;
}

// ASCII text as UTF-16LE with its byte-order mark.
std::string Utf16(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char ch : ascii) {
    bytes += ch;
    bytes += '\0';
  }
  return bytes;
}

TEST(XmlSourceTextTest, ByteOrderMarksDecideTheEncoding) {
  std::string text;
  EXPECT_TRUE(Takes("\xEF\xBB\xBF<r/>", &text));
  EXPECT_EQ("<r/>", text);
  EXPECT_TRUE(Takes(std::string("\xFF\xFE<\0r\0/\0>\0", 10), &text));
  EXPECT_EQ("<r/>", text);
  EXPECT_TRUE(Takes(std::string("\xFE\xFF\0<\0r\0/\0>\xD8\x3D\xDE\x00", 14), &text));
  EXPECT_EQ("<r/>\xF0\x9F\x98\x80", text);  // a surrogate pair becomes one character
  // UTF-32, UTF-16 without a mark, a lone surrogate, an odd byte count.
  EXPECT_FALSE(Takes(std::string("\xFF\xFE\0\0<\0\0\0", 8)));
  EXPECT_FALSE(Takes(std::string("<\0r\0/\0>\0", 8)));
  // Without a mark UTF-16 is read when it opens with a declaration.
  std::string declared = Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>").substr(2);
  EXPECT_TRUE(Takes(declared, &text));
  EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>", text);
  EXPECT_TRUE(Takes(std::string(1, '\0') + declared.substr(0, declared.size() - 1)));  // big-endian
  EXPECT_FALSE(Takes(std::string("\xFF\xFE<\0\x00\xD8", 6)));
  EXPECT_FALSE(Takes(std::string("\xFF\xFE<\0r", 5)));
}

TEST(XmlSourceTextTest, Utf8MustBeStrictAndHoldOnlyXmlCharacters) {
  EXPECT_TRUE(Takes("<r a=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"/>\t\r\n"));
  EXPECT_FALSE(Takes("<r a=\"\xFF\"/>"));
  EXPECT_FALSE(Takes("<r a=\"\xC0\xAF\"/>"));           // overlong '/'
  EXPECT_FALSE(Takes("<r a=\"\xED\xA0\x80\"/>"));       // encoded surrogate
  EXPECT_FALSE(Takes("<r a=\"\xEF\xBF\xBE\"/>"));       // U+FFFE
  EXPECT_FALSE(Takes("<r a=\"\xC3\"/>"));               // cut short
  EXPECT_FALSE(Takes("\xEF\xBB\xBF\xEF\xBB\xBF<r/>"));  // a second byte-order mark
  EXPECT_FALSE(Takes(std::string("<r>\x01</r>")));
  EXPECT_FALSE(Takes(std::string("<r>\0</r>", 8)));
}

TEST(XmlSourceTextTest, DeclarationMustOpenTheFileWithVersionOneAndAKnownEncoding) {
  EXPECT_TRUE(Takes("<?xml version=\"1.0\"?><r/>"));
  EXPECT_TRUE(Takes("<?xml version='1.1' encoding='utf-8' standalone='yes'?><r/>"));
  EXPECT_TRUE(Takes("<?xml version=\"1.0\" encoding=\"windows-1251\"?><r a=\"\xC0\"/>"));
  EXPECT_TRUE(Takes("<?xml version=\"1.0\" encoding=\"ISO-8859-5\"?><r/>"));
  EXPECT_FALSE(Takes(" <?xml version=\"1.0\"?><r/>"));
  EXPECT_FALSE(Takes("\xEF\xBB\xBF\n<?xml version=\"1.0\"?><r/>"));
  EXPECT_FALSE(Takes("<?xml encoding=\"UTF-8\"?><r/>"));
  EXPECT_FALSE(Takes("<?xml version=\"2.0\"?><r/>"));
  EXPECT_FALSE(Takes("<?xml version=\"1.0\" encoding=\"x-none\"?><r/>"));
  EXPECT_FALSE(Takes("<?xml version=\"1.0\" encoding=\"latin1\"?><r/>"));
  EXPECT_FALSE(Takes("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>"));  // but the bytes are not
  EXPECT_FALSE(Takes("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r a=\"\xC3\xA9\"/>"));
  EXPECT_FALSE(Takes("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r a=\"\x01\"/>"));
  EXPECT_TRUE(Takes(Utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>")));
  EXPECT_TRUE(Takes(Utf16("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>")));
  EXPECT_FALSE(Takes(Utf16("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r/>")));
  // A processing instruction whose name merely starts with "xml" is no declaration.
  EXPECT_TRUE(Takes(" <?xml-stylesheet href=\"a\"?><r/>"));
}

}  // namespace
}  // namespace vadro
