// The Windows document object: what every document that the program makes is set to, and a
// document that cannot be made.
#include <windows.h>

#include <msxml.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/xml_document.h"
#include "tests/support/captured_output.h"

namespace vadro {
namespace {

// The document object behind a holder.
class OpenDocument : public XmlDocument {
 public:
  IXMLDOMDocument* Object() const { return static_cast<IXMLDOMDocument*>(handle); }
};

bool ResolvesExternals(const OpenDocument& document) {
  VARIANT_BOOL resolve = VARIANT_TRUE;
  EXPECT_EQ(document.Object()->get_resolveExternals(&resolve), S_OK);
  return resolve != VARIANT_FALSE;
}

// The document class fetches the external DTDs and entities that a file names (over the network
// too) unless told not to; it is told so before anything is loaded, and a load keeps it so.
TEST(XmlDocumentWin32Test, DocumentsNeverFetchWhatAFileNames) {
  const std::string text = "<!DOCTYPE CDLibraryList SYSTEM \"absent.dtd\"><CDLibraryList/>";
  OpenDocument document;
  ASSERT_TRUE(document.Create());
  EXPECT_FALSE(ResolvesExternals(document));
  EXPECT_TRUE(document.Load(std::vector<char>(text.begin(), text.end()))) << "the absent DTD was looked for";
  EXPECT_FALSE(ResolvesExternals(document));
}

// The document object lives in an apartment: a thread that never entered one gets none.
TEST(XmlDocumentWin32Test, ADocumentThatCannotBeMadeIsReported) {
  CapturedOutput captured;
  bool created = true;
  std::thread outside([&created] {
    XmlDocument document;
    created = CreateDocument(document);
  });
  outside.join();
  EXPECT_FALSE(created);
  EXPECT_EQ(captured.Text(), "\r\nCannot create XML DOM.\r\n");
}

}  // namespace
}  // namespace vadro
