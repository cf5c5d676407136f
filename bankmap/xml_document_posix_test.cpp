// The Linux document beyond what both builds share: the text it saves is UTF-8 whatever the
// loaded file declared, entities stay within libxml2's limits however they are used, and libxml2
// itself prints nothing. And a save whose writes fail.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

std::int32_t ValueOf(const PooledMap& map, std::int32_t key) {
  std::int32_t value = 0;
  EXPECT_TRUE(map.Lookup(key, value)) << "key " << key;
  return value;
}

std::vector<char> Bytes(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

std::string Utf16(const std::string& text) {
  std::string utf16 = "\xff\xfe";
  for (char ch : text) utf16 += std::string(1, ch) + '\0';
  return utf16;
}

// A file that declares an encoding of its own is extended and saved; the saved file declares
// UTF-8, holds the text in UTF-8 and reads with the old and the new entry.
TEST(XmlDocumentPosixTest, AFileInAnotherEncodingIsSavedAsUtf8AndStaysReadable) {
  const char* const items = "<CDLibraryList><Item ID=\"3\" Bank=\"1\" Note=\"\xe9\"/></CDLibraryList>";
  const std::string files[] = {
      Utf16(std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + items),
      std::string("<?xml version=\"1.0\" encoding=\"windows-1251\"?>") + items,
  };
  const char* const notes[] = {"\xc3\xa9", "\xd0\xb9"};  // U+00E9 and U+0439 in UTF-8
  for (int i = 0; i < 2; ++i) {
    ScratchFolder folder;
    PooledMap bankMap;
    folder.Write("Vadro.xml", files[i]);
    {
      LoadPass pass;
      ASSERT_TRUE(pass.Run(folder.Directory(), bankMap)) << i;
      AppendItem(pass.Document(), pass.Root(), 7, 2);
      ASSERT_TRUE(SaveBankMap(pass.Document(), folder.Directory()));
    }
    std::string saved = folder.Read("Vadro.xml");
    EXPECT_EQ(0u, saved.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CDLibraryList>")) << saved;
    EXPECT_NE(std::string::npos, saved.find(std::string("Note=\"") + notes[i] + "\"")) << saved;
    bankMap.RemoveAll();
    LoadPass pass;
    ASSERT_TRUE(pass.Run(folder.Directory(), bankMap)) << saved;
    EXPECT_EQ(3, ValueOf(bankMap, 1));
    EXPECT_EQ(7, ValueOf(bankMap, 2));
  }
}

// One entity of 10,000 characters, 20,000 times in an attribute: 200 MB once resolved. The
// load refuses it rather than leaving the attribute's text to be built when it is read.
TEST(XmlDocumentPosixTest, AnEntityThatWouldGrowAnAttributePastTheLimitIsRefused) {
  std::string references;
  for (int i = 0; i < 20000; ++i) references += "&a;";
  std::string text = "<!DOCTYPE r [<!ENTITY a \"" + std::string(10000, 'x') + "\">]><r><e ID=\"3\" Bank=\"" +
                     references + "\"/></r>";
  XmlDocument document;
  ASSERT_TRUE(document.Create());
  EXPECT_FALSE(document.Load(Bytes(text)));
}

// A reference to an entity that nothing declares is refused even where a parameter entity might
// have declared it, as the saved file could not be loaded again. Where an external subset might
// declare it, the saved file keeps that subset and loads again.
TEST(XmlDocumentPosixTest, AnUndeclaredEntityLoadsOnlyWhereTheSavedFileLoadsToo) {
  XmlDocument document;
  ASSERT_TRUE(document.Create());
  EXPECT_FALSE(document.Load(Bytes("<!DOCTYPE r [<!ENTITY % p \"\"> %p;]><r><e ID=\"3\">&nowhere;</e></r>")));
  ASSERT_TRUE(document.Load(Bytes("<!DOCTYPE r SYSTEM \"r.dtd\"><r><e ID=\"3\">&nowhere;</e></r>")));
  std::vector<char> saved;
  ASSERT_TRUE(document.Save(saved));
  EXPECT_TRUE(document.Load(saved)) << std::string(saved.begin(), saved.end());
}

// libxml2 reports errors and warnings through handlers of its own; none of it reaches standard
// error.
TEST(XmlDocumentPosixTest, NothingIsPrintedByTheLibrary) {
  const char* const texts[] = {
      "<r><e></r>",
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r/>\x98",
      "<r><a:e ID=\"1\"/></r>",
      "<!DOCTYPE r [<!ENTITY x SYSTEM \"http://127.0.0.1:9/x\">]><r>&x;</r>",
  };
  XmlDocument document;
  ::testing::internal::CaptureStderr();
  for (const char* text : texts) {
    ASSERT_TRUE(document.Create());
    document.Load(Bytes(text));
  }
  EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
}

// The writes of a save fail here by the process's limit on the size of a file: the old file stays
// as it was, the new one is removed, and no descriptor is left open.
TEST(SavePosixTest, ASaveWhoseWritesFailLeavesTheOldFileAndNothingOpen) {
  ScratchFolder folder;
  const std::string old = "<CDLibraryList/>";
  folder.Write("Vadro.xml", old);
  BankMapDocument created;
  ASSERT_TRUE(created.Create());
  created.CreateRoot();
  for (std::int32_t id = 1; id <= 100; ++id) AppendItem(created.Document(), created.Root(), id, 1);
  auto openFiles = [] {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
      count += entry.exists() ? 1 : 0;
    return count;
  };
  int before = openFiles();
  rlimit limit = {};
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &limit));
  rlimit small = limit;
  small.rlim_cur = 100;
  auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  bool saved = SaveBankMap(created.Document(), folder.Directory());
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(old, folder.Read("Vadro.xml"));
  EXPECT_EQ(std::vector<std::string>{"Vadro.xml"}, folder.Names());
  EXPECT_EQ(before, openFiles());
}

}  // namespace
}  // namespace vadro
