#include <gtest/gtest.h>

#include <thread>

#include "bankmap/bank_map_file.h"
#include "bankmap/bankmap_test_support.h"

namespace vadro {
namespace {

// The document object lives in an apartment: a thread that never entered one gets none.
TEST(XmlDocumentWin32Test, ADocumentThatCannotBeMadeIsReported) {
  bankmap_test::CapturedOutput captured;
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
