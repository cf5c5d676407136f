#include "bankmap/xml_entity_table.h"

#include <gtest/gtest.h>

#include <string>

namespace vadro {
namespace {

std::string Laughs(int levels) {
  std::string doctype = "r [<!ENTITY a \"1234567890\">";
  for (int i = 1; i <= levels; ++i) {
    std::string name(1, static_cast<char>('a' + i));
    std::string previous = "&" + std::string(1, static_cast<char>('a' + i - 1)) + ";";
    std::string value;
    for (int k = 0; k < 10; ++k) value += previous;
    doctype.append("<!ENTITY ").append(name).append(" \"").append(value).append("\">");
  }
  return doctype + "]";
}

TEST(XmlEntityTableTest, PredefinedAndCharacterReferencesResolve) {
  XmlEntityTable table;
  std::string out;
  ASSERT_TRUE(table.Expand("&lt;&gt;&amp;&quot;&apos; &#49;&#x32;", true, out));
  EXPECT_EQ("<>&\"' 12", out);
  ASSERT_TRUE(table.Expand("&#xE9;", false, out));
  EXPECT_EQ("\xC3\xA9", out);
  for (const char* bad : {"&nope;", "a & b", "&#0;", "&#xD800;", "&#x110000;", "&#xFFFE;", "&#;", "&#x;",
                          "&;", "&#12a;", "&amp"}) {
    EXPECT_FALSE(table.Expand(bad, false, out)) << bad;
  }
  EXPECT_FALSE(table.Expand("<1", true, out));
  EXPECT_TRUE(table.Expand("<1", false, out));
}

TEST(XmlEntityTableTest, DeclaredEntitiesResolveAndExternalOnesAreNeverFetched) {
  XmlEntityTable table;
  ASSERT_TRUE(
      table.Read("CDLibraryList [ <!-- note --> <!ELEMENT Item EMPTY> <!ATTLIST Item ID CDATA #IMPLIED>"
                 " <!ENTITY one \"1\"> <!ENTITY two '&one;2'> <!ENTITY one \"9\">"
                 " <!ENTITY % p SYSTEM \"http://127.0.0.1/p\"> %p; <?pi x?>"
                 " <!ENTITY ext SYSTEM \"file:///etc/hostname\"> <!ENTITY lt2 \"&#60;\"> ]"));
  std::string out;
  ASSERT_TRUE(table.Expand("&two;3", true, out));
  EXPECT_EQ("123", out);  // the first declaration of a name counts
  EXPECT_FALSE(table.Expand("&ext;", true, out));
  ASSERT_TRUE(table.Expand("a&ext;b", false, out));
  EXPECT_EQ("ab", out);
  EXPECT_FALSE(table.Expand("&lt2;", true, out));
  EXPECT_FALSE(table.Expand("&p;", false, out));  // a parameter entity is no general one
  EXPECT_FALSE(XmlEntityTable().Read("r [<!ENTITY broken \"1>]"));
  EXPECT_FALSE(XmlEntityTable().Read("r [junk]"));
}

TEST(XmlEntityTableTest, SelfReferenceAndBillionLaughsAreRefused) {
  XmlEntityTable loop;
  ASSERT_TRUE(loop.Read("r [<!ENTITY a \"&b;\"><!ENTITY b \"x&a;\">]"));
  std::string out;
  EXPECT_FALSE(loop.Expand("&a;", false, out));

  XmlEntityTable small;
  ASSERT_TRUE(small.Read(Laughs(3)));
  ASSERT_TRUE(small.Expand("&d;", true, out));
  EXPECT_EQ(10000u, out.size());

  XmlEntityTable laughs;
  ASSERT_TRUE(laughs.Read(Laughs(9)));
  EXPECT_FALSE(laughs.Expand("&j;", true, out));
  EXPECT_FALSE(laughs.Expand("&j;", false, out));
  EXPECT_LE(out.size(), 2u << 20);
}

}  // namespace
}  // namespace vadro
