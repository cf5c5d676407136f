// The Linux document's save, beyond what both builds share: pugixml keeps a loaded file's
// declaration, which must not go on naming an encoding the saved text is no longer in.
#include <gtest/gtest.h>

#include <string>

#include "bankmap/bank_map_file.h"
#include "bankmap/bankmap_test_support.h"

namespace vadro {
namespace {

using bankmap_test::ScratchFolder;

std::int32_t ValueOf(const PooledMap& map, std::int32_t key) {
  std::int32_t value = 0;
  EXPECT_TRUE(map.Lookup(key, value)) << "key " << key;
  return value;
}

// A file that declares an encoding of its own (here UTF-16, with its byte order mark) is extended
// and saved; the saved file must still read, with the old and the new entry.
TEST(XmlDocumentPosixTest, AFileInAnotherEncodingStaysReadableAfterASave) {
  ScratchFolder folder;
  PooledMap bankMap;
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?><CDLibraryList><Item ID=\"3\" Bank=\"1\"/>"
      "</CDLibraryList>";
  std::string utf16 = "\xff\xfe";
  for (char ch : text) utf16 += std::string(1, ch) + '\0';
  folder.Write("Vadro.xml", utf16);
  {
    LoadPass pass;
    ASSERT_TRUE(pass.Run(folder.Directory(), bankMap));
    AppendItem(pass.Document(), pass.Root(), 7, 2);
    ASSERT_TRUE(SaveBankMap(pass.Document(), folder.Directory()));
  }
  bankMap.RemoveAll();
  LoadPass pass;
  ASSERT_TRUE(pass.Run(folder.Directory(), bankMap)) << folder.Read("Vadro.xml");
  EXPECT_EQ(3, ValueOf(bankMap, 1));
  EXPECT_EQ(7, ValueOf(bankMap, 2));
}

}  // namespace
}  // namespace vadro
