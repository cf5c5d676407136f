#include "bankmap/xml_document.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/xml_apartment.h"
#include "tests/support/bank_map_files.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

// The documents live in the main thread's apartment, as in the program.
class ApartmentEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { apartment = std::make_unique<XmlApartment>(); }
  void TearDown() override { apartment.reset(); }

 private:
  std::unique_ptr<XmlApartment> apartment;
};

::testing::Environment* const kApartmentEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApartmentEnvironment);

class XmlDocumentTest : public ::testing::Test {
 protected:
  // Loads `text` into a new `document`.
  bool LoadText(const std::string& text) {
    return document.Create() && document.Load(std::vector<char>(text.begin(), text.end()));
  }
  // What `document` saves, or "(failed)".
  std::string SavedText() {
    std::vector<char> text;
    return document.Save(text) ? std::string(text.begin(), text.end()) : "(failed)";
  }

  // For each child node of the root: whether it is an element.
  std::vector<bool> ChildKinds() {
    std::vector<bool> kinds;
    XmlElement root = document.DocumentElement();
    XmlNodeList list = root.ChildNodes();
    XmlNode node;
    while (list.NextNode(node)) kinds.push_back(!node.AsElement().IsEmpty());
    return kinds;
  }

  ScratchFolder folder;
  XmlDocument document;
};

// The saved text of a root with the given Items, whichever build wrote it.
const char* const kTwoItemsPattern =
    R"(^(<\?xml[^>]*\?>\s*)?<CDLibraryList>\s*<Item ID="3" Bank="1"\s*/>\s*<Item ID="-7" Bank="127"\s*/>\s*</CDLibraryList>\s*$)";

TEST_F(XmlDocumentTest, SavesTheTreeWithIdBeforeBankAndNothingElse) {
  ASSERT_TRUE(document.Create());
  XmlElement root = document.CreateElement("CDLibraryList");
  document.AppendChild(root);
  AppendItem(document, root, 3, 1);
  AppendItem(document, root, -7, 127);
  std::string text = SavedText();
  EXPECT_TRUE(std::regex_search(text, std::regex(kTwoItemsPattern))) << text;
}

TEST_F(XmlDocumentTest, ElementsNeverAppendedAreNeitherSavedNorTakenForTheRoot) {
  ASSERT_TRUE(document.Create());
  {
    XmlElement stray = document.CreateElement("Stray");
    stray.SetAttribute("ID", 1);
  }
  XmlElement pending = document.CreateElement("Pending");
  EXPECT_TRUE(document.DocumentElement().IsEmpty());
  XmlElement root = document.CreateElement("CDLibraryList");
  document.AppendChild(root);
  { XmlElement dropped = document.CreateElement("Item"); }
  AppendItem(document, root, 3, 1);
  std::string text = SavedText();
  pending.Reset();

  EXPECT_EQ(std::string::npos, text.find("Stray")) << text;
  EXPECT_EQ(std::string::npos, text.find("Pending")) << text;
  EXPECT_EQ(1u, ChildKinds().size());
}

TEST_F(XmlDocumentTest, AttributesAreSetReplacedAndReadAsText) {
  ASSERT_TRUE(document.Create());
  HeapString text("untouched");
  {
    // Released before LoadText replaces the document it belongs to.
    XmlElement element = document.CreateElement("Item");
    element.SetAttribute("Bank", 5);
    element.SetAttribute("Bank", -2147483647 - 1);
    EXPECT_FALSE(element.GetAttribute("ID", text));
    EXPECT_STREQ("untouched", text.Text());
    ASSERT_TRUE(element.GetAttribute("Bank", text));
    EXPECT_STREQ("-2147483648", text.Text());
  }

  ASSERT_TRUE(
      LoadText("<!DOCTYPE r [<!ENTITY two \"&#50;\"><!ATTLIST e Shelf CDATA \"top\">]>"
               "<r><e ID=\"\" Bank=\" 1&#50;&two;x \"/></r>"));
  XmlElement root = document.DocumentElement();
  XmlNodeList list = root.ChildNodes();
  XmlNode node;
  ASSERT_TRUE(list.NextNode(node));
  XmlElement entry = node.AsElement();
  ASSERT_TRUE(entry.GetAttribute("ID", text));
  EXPECT_STREQ("", text.Text());
  ASSERT_TRUE(entry.GetAttribute("Bank", text));
  EXPECT_STREQ(" 122x ", text.Text());
  ASSERT_TRUE(entry.GetAttribute("Shelf", text));  // a default that the DTD gives
  EXPECT_STREQ("top", text.Text());
  EXPECT_FALSE(list.NextNode(node));
  EXPECT_TRUE(node.IsEmpty());
}

// An entity reference stays a node of its own, even where the entity holds an element.
TEST_F(XmlDocumentTest, EveryChildOfTheRootButBlankTextIsANode) {
  ASSERT_TRUE(
      LoadText("<?xml version=\"1.0\"?>\r\n<!DOCTYPE r [<!ENTITY e \"<x/>\">]>\r\n<!-- before -->\r\n<r>\r\n"
               "  <a/>\r\n\t<!-- c -->\r\n  <?pi x?>\r\n  text\r\n  <![CDATA[z]]>\r\n  &e;\r\n"
               "  <b>\r\n    <inner/>\r\n  </b>\r\n</r>\r\n"));
  EXPECT_EQ((std::vector<bool>{true, false, false, false, false, false, true}), ChildKinds());
}

TEST_F(XmlDocumentTest, AnEmptyRootHasNoChildNodes) {
  ASSERT_TRUE(LoadText("<r/>"));
  EXPECT_TRUE(ChildKinds().empty());
  ASSERT_TRUE(LoadText("<r>\n\n   \t</r>"));
  EXPECT_TRUE(ChildKinds().empty());
  // Unless the file asks for its white space to be kept.
  ASSERT_TRUE(LoadText("<r xml:space=\"preserve\"> <a xml:space=\"default\"> <b/> </a> </r>"));
  EXPECT_EQ((std::vector<bool>{false, true, false}), ChildKinds());
}

// Text, attributes, references and sections come back as they were loaded: saving the loaded
// save again gives the same bytes.
TEST_F(XmlDocumentTest, ALoadedDocumentIsSavedWithTheMeaningItWasLoadedWith) {
  ASSERT_TRUE(
      LoadText("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY co \"Co &amp; Sons\">]><r><!-- c --><Item "
               "ID=\"3\" Bank=\"1\" Note=\"&co; &lt;&#x41;&quot;&#233;\">a &amp; b &lt; c&#233;&#13; "
               "&co;!<![CDATA[x<y & z]]><?pi &amp;?></Item></r>"));
  std::string first = SavedText();
  EXPECT_EQ(std::string::npos, first.find("&amp;amp;")) << first;
  ASSERT_TRUE(LoadText(first)) << first;
  EXPECT_EQ(first, SavedText());
}

// Neither the DTD nor an entity that the file names outside itself is ever read.
TEST_F(XmlDocumentTest, NothingOutsideTheFileIsRead) {
  folder.Write("broken.ent", "<unclosed");
  std::string outside = folder.PathOf("broken.ent");
  EXPECT_TRUE(LoadText("<!DOCTYPE r SYSTEM \"" + outside + "\"><r><e ID=\"1\"/></r>"));
  EXPECT_TRUE(LoadText("<!DOCTYPE r [<!ENTITY x SYSTEM \"" + outside + "\">]><r><e ID=\"1\">&x;</e></r>"));
}

TEST_F(XmlDocumentTest, WhatIsNotOneWellFormedDocumentFailsToLoad) {
  const char* const texts[] = {
      "",
      "   \r\n",
      "not xml at all",
      "ID=3 Bank=1",
      "<r>",
      "<r><Item></r>",
      "<r></R>",
      "<r/><r/>",
      "<r/>trailing text",
      "text before<r/>",
      "<r><Item ID=3 Bank=1/></r>",
      "<r><Item ID=\"3\" ID=\"4\"/></r>",
      "<?xml version=\"1.0\"?>",
      "<!-- only a comment -->",
      // A byte that the declared encoding lacks, after the root element.
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r/>\x98",
  };
  for (const char* text : texts) {
    EXPECT_FALSE(LoadText(text)) << "[" << text << "]";
  }
}

// Files saved by the Windows build (document object) and by the Linux build.
TEST_F(XmlDocumentTest, FilesSavedByEitherBuildLoad) {
  const char* const twoItems[] = {"saved_by_windows_two_items.xml", "saved_by_linux_two_items.xml"};
  for (const char* name : twoItems) {
    std::string text = SampleFile(name);
    EXPECT_TRUE(std::regex_search(text, std::regex(kTwoItemsPattern))) << name;
    ASSERT_TRUE(LoadText(text)) << name;
    EXPECT_EQ((std::vector<bool>{true, true}), ChildKinds()) << name;
    XmlNodeList list = document.DocumentElement().ChildNodes();
    XmlNode node;
    ASSERT_TRUE(list.NextNode(node));
    ASSERT_TRUE(list.NextNode(node));
    HeapString id;
    HeapString bank;
    XmlElement second = node.AsElement();
    ASSERT_TRUE(second.GetAttribute("ID", id));
    ASSERT_TRUE(second.GetAttribute("Bank", bank));
    EXPECT_STREQ("-7", id.Text()) << name;
    EXPECT_STREQ("127", bank.Text()) << name;
  }
  const char* const emptyRoot[] = {"saved_by_windows_empty.xml", "saved_by_linux_empty.xml"};
  for (const char* name : emptyRoot) {
    ASSERT_TRUE(LoadText(SampleFile(name))) << name;
    EXPECT_TRUE(ChildKinds().empty()) << name;
  }
}

}  // namespace
}  // namespace vadro
