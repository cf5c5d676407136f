#include "bankmap/bank_map_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/path_separator.h"
#include "tests/support/bank_map_files.h"
#include "tests/support/captured_output.h"
#include "tests/support/scratch_folder.h"

namespace vadro {
namespace {

const char* const kLoadMessage = "\r\nCannot load initialization file (Vadro.xml).\r\n";
const char* const kFormatMessage = "\r\nWrong file format (Vadro.xml) or internal xml error.\r\n";

std::int32_t ValueOf(const PooledMap& map, std::int32_t key) {
  std::int32_t value = 0;
  EXPECT_TRUE(map.Lookup(key, value)) << "key " << key;
  return value;
}

std::string Items(const std::string& items) { return "<CDLibraryList>" + items + "</CDLibraryList>"; }

class LoadPassTest : public ::testing::Test {
 protected:
  // Writes `text` as Vadro.xml and runs a load pass on it; `output` gets what it printed.
  bool Load(const std::string& text) {
    folder.Write("Vadro.xml", text);
    return Run();
  }
  bool Run() {
    CapturedOutput captured;
    bool loaded = pass.Run(folder.Directory(), bankMap);
    output = captured.Text();
    return loaded;
  }

  ScratchFolder folder;
  PooledMap bankMap;
  LoadPass pass;
  std::string output;
};

TEST_F(LoadPassTest, FillsBothMapsAndKeepsTheDocumentAndRoot) {
  ASSERT_TRUE(Load(Items("<Item ID=\"3\" Bank=\"1\"/><Item ID=\"7\" Bank=\"2\"/>")));
  EXPECT_EQ("", output);
  EXPECT_EQ(2, bankMap.Count());
  EXPECT_EQ(3, ValueOf(bankMap, 1));
  EXPECT_EQ(7, ValueOf(bankMap, 2));
  EXPECT_EQ(2, pass.DeviceBankMap().Count());
  EXPECT_EQ(1, ValueOf(pass.DeviceBankMap(), 3));
  EXPECT_EQ(2, ValueOf(pass.DeviceBankMap(), 7));
  EXPECT_FALSE(pass.Document().IsEmpty());
  EXPECT_FALSE(pass.Root().IsEmpty());
}

TEST_F(LoadPassTest, AnEmptyRootLeavesBothMapsEmpty) {
  ASSERT_TRUE(Load("<CDLibraryList/>"));
  EXPECT_EQ(0, bankMap.Count());
  EXPECT_EQ(0, pass.DeviceBankMap().Count());
  EXPECT_FALSE(pass.Root().IsEmpty());
}

TEST_F(LoadPassTest, TheLaterItemWinsAKeyThatTwoItemsShare) {
  // Bank 5 given to devices 10 and then 20; device 30 given banks 6 and then 7.
  ASSERT_TRUE(
      Load(Items("<Item ID=\"10\" Bank=\"5\"/><Item ID=\"20\" Bank=\"5\"/>"
                 "<Item ID=\"30\" Bank=\"6\"/><Item ID=\"30\" Bank=\"7\"/>")));
  EXPECT_EQ(3, bankMap.Count());
  EXPECT_EQ(20, ValueOf(bankMap, 5));
  EXPECT_EQ(30, ValueOf(bankMap, 6));
  EXPECT_EQ(30, ValueOf(bankMap, 7));
  EXPECT_EQ(7, ValueOf(pass.DeviceBankMap(), 30));
  EXPECT_EQ(5, ValueOf(pass.DeviceBankMap(), 10));
}

TEST_F(LoadPassTest, NamesOfRootAndEntriesAndOtherAttributesAreIgnored) {
  ASSERT_TRUE(Load("<Other><Device Note=\"x\" Bank=\"9\" ID=\"4\"/><Item ID=\"5\" Bank=\"500\"/></Other>"));
  EXPECT_EQ(4, ValueOf(bankMap, 9));
  EXPECT_EQ(5, ValueOf(bankMap, 500));
}

TEST_F(LoadPassTest, AttributeTextsReadAsTheirFirstNumber) {
  ASSERT_TRUE(
      Load(Items("<Item ID=\"12abc\" Bank=\"1\"/><Item ID=\"abc\" Bank=\"2\"/>"
                 "<Item ID=\"-5\" Bank=\"3\"/><Item ID=\"- 5x\" Bank=\"x4\"/>"
                 "<Item ID=\"2147483647\" Bank=\"\"/><Item ID=\"-2147483648\" Bank=\"0000000000025\"/>")));
  EXPECT_EQ(12, ValueOf(bankMap, 1));
  EXPECT_EQ(0, ValueOf(bankMap, 2));
  EXPECT_EQ(-5, ValueOf(bankMap, 3));
  EXPECT_EQ(-5, ValueOf(bankMap, 4));
  EXPECT_EQ(2147483647, ValueOf(bankMap, 0));
  EXPECT_EQ(INT32_MIN, ValueOf(bankMap, 25));
}

TEST_F(LoadPassTest, IndentationAndLineBreaksReadAsAbsent) {
  ASSERT_TRUE(
      Load("<?xml version=\"1.0\"?>\r\n<CDLibraryList>\r\n\t<Item ID=\"3\" Bank=\"1\" />\r\n"
           "    <Item\r\n      ID=\"7\"\r\n      Bank=\"2\"></Item>\r\n</CDLibraryList>\r\n"));
  EXPECT_EQ(2, bankMap.Count());
  EXPECT_EQ(7, ValueOf(bankMap, 2));
}

TEST_F(LoadPassTest, AnythingButAnElementInsideTheRootFailsTheRead) {
  const char* const intruders[] = {"<!-- note -->", "<?note x?>", "text", "<![CDATA[3]]>"};
  for (const char* intruder : intruders) {
    bankMap.RemoveAll();
    EXPECT_FALSE(
        Load(Items(std::string("<Item ID=\"3\" Bank=\"1\"/>") + intruder + "<Item ID=\"7\" Bank=\"2\"/>")))
        << intruder;
    EXPECT_EQ(kFormatMessage, output) << intruder;
    // What was read before the failure stays in the bank map; the pass itself holds nothing.
    EXPECT_EQ(3, ValueOf(bankMap, 1)) << intruder;
    EXPECT_EQ(1, bankMap.Count()) << intruder;
    EXPECT_TRUE(pass.Root().IsEmpty());
    EXPECT_TRUE(pass.Document().IsEmpty());
    EXPECT_EQ(0, pass.DeviceBankMap().Count());
  }
}

TEST_F(LoadPassTest, AnItemWithoutIdOrBankOrWithOneBeyond32BitsFailsTheRead) {
  const char* const items[] = {"<Item Bank=\"1\"/>",
                               "<Item ID=\"3\"/>",
                               "<Item/>",
                               "<Item id=\"3\" bank=\"1\"/>",
                               "<Item ID=\"2147483648\" Bank=\"1\"/>",
                               "<Item ID=\"4294967295\" Bank=\"1\"/>",
                               "<Item ID=\"4294967296\" Bank=\"1\"/>",
                               "<Item ID=\"-2147483649\" Bank=\"1\"/>",
                               "<Item ID=\"123456789012345678901234567890\" Bank=\"1\"/>",
                               "<Item ID=\"3\" Bank=\"2147483648\"/>",
                               "<Item ID=\"3\" Bank=\"4294967297\"/>",
                               "<Item ID=\"3\" Bank=\"4294967446\"/>"};
  for (const char* item : items) {
    bankMap.RemoveAll();
    EXPECT_FALSE(Load(Items(item))) << item;
    EXPECT_EQ(kFormatMessage, output) << item;
    EXPECT_EQ(0, bankMap.Count()) << item;
  }
}

TEST_F(LoadPassTest, AFileThatIsNotXmlFailsAtTheLoad) {
  EXPECT_FALSE(Load("ID=3 Bank=1\r\n"));
  EXPECT_EQ(kLoadMessage, output);
  EXPECT_FALSE(Load(Items("<Item ID=\"3\" Bank=\"1\">")));
  EXPECT_EQ(kLoadMessage, output);
  EXPECT_TRUE(pass.Document().IsEmpty());
}

TEST_F(LoadPassTest, AMissingFileOrADirectoryFailsAtTheLoad) {
  EXPECT_FALSE(Run());
  EXPECT_EQ(kLoadMessage, output);
  folder.MakeFolder("Vadro.xml");
  EXPECT_EQ(FilePresence::Present, BankMapFilePresence(folder.Directory()));
  EXPECT_FALSE(Run());
  EXPECT_EQ(kLoadMessage, output);
}

TEST_F(LoadPassTest, ARepeatedRunStartsFromAFreshDeviceBankMap) {
  ASSERT_TRUE(Load(Items("<Item ID=\"3\" Bank=\"1\"/>")));
  ASSERT_TRUE(Load(Items("<Item ID=\"7\" Bank=\"2\"/>")));
  EXPECT_EQ(1, pass.DeviceBankMap().Count());
  EXPECT_EQ(2, ValueOf(pass.DeviceBankMap(), 7));
}

TEST_F(LoadPassTest, FilesSavedByEitherBuildLoad) {
  const char* const names[] = {"saved_by_windows_two_items.xml", "saved_by_linux_two_items.xml"};
  for (const char* name : names) {
    bankMap.RemoveAll();
    ASSERT_TRUE(Load(SampleFile(name))) << name;
    EXPECT_EQ(3, ValueOf(bankMap, 1)) << name;
    EXPECT_EQ(-7, ValueOf(bankMap, 127)) << name;
  }
}

class SaveTest : public ::testing::Test {
 protected:
  std::string Saved() { return folder.Read("Vadro.xml"); }

  ScratchFolder folder;
  PooledMap bankMap;
};

TEST_F(SaveTest, AppendedItemsComeBackInOrderAfterSaveAndLoad) {
  {
    BankMapDocument created;
    ASSERT_TRUE(created.Create());
    created.CreateRoot();
    AppendItem(created.Document(), created.Root(), 3, 1);
    XmlElement held = AppendItem(created.Document(), created.Root(), 7, 2);
    EXPECT_FALSE(held.IsEmpty());
    ASSERT_TRUE(SaveBankMap(created.Document(), folder.Directory()));
  }
  std::string first = Saved();
  std::string::size_type id3 = first.find("ID=\"3\"");
  std::string::size_type bank1 = first.find("Bank=\"1\"");
  std::string::size_type id7 = first.find("ID=\"7\"");
  ASSERT_NE(std::string::npos, id3) << first;
  EXPECT_LT(id3, bank1);
  EXPECT_LT(bank1, id7);
  EXPECT_NE(std::string::npos, first.find("<CDLibraryList>")) << first;
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"Vadro.xml"});

  // A later run adds a device to the loaded file, saves and reads it again.
  {
    LoadPass pass;
    ASSERT_TRUE(pass.Run(folder.Directory(), bankMap));
    AppendItem(pass.Document(), pass.Root(), -12, 2);
    ASSERT_TRUE(SaveBankMap(pass.Document(), folder.Directory()));
  }
  bankMap.RemoveAll();
  LoadPass pass;
  ASSERT_TRUE(pass.Run(folder.Directory(), bankMap));
  EXPECT_EQ(3, ValueOf(bankMap, 1));
  EXPECT_EQ(-12, ValueOf(bankMap, 2));
  EXPECT_EQ(3, pass.DeviceBankMap().Count());
  EXPECT_EQ(2, ValueOf(pass.DeviceBankMap(), 7));
  std::string second = Saved();
  EXPECT_LT(second.find("ID=\"7\""), second.find("ID=\"-12\"")) << second;
}

TEST_F(SaveTest, AnEmptyRootIsSavedAndLoadsEmpty) {
  BankMapDocument created;
  ASSERT_TRUE(created.Create());
  created.CreateRoot();
  ASSERT_TRUE(SaveBankMap(created.Document(), folder.Directory()));
  LoadPass pass;
  ASSERT_TRUE(pass.Run(folder.Directory(), bankMap));
  EXPECT_EQ(0, bankMap.Count());
}

// Nothing is saved that the next load would refuse: a document of kBankMapSizeLimit bytes is
// saved and loads, one a byte longer leaves the file as it was.
TEST_F(SaveTest, ADocumentLargerThanTheLoadTakesIsNotSaved) {
  auto noted = [](std::size_t note, XmlDocument& document) {
    std::string text = Items("<Item ID=\"3\" Bank=\"1\" Note=\"" + std::string(note, 'x') + "\"/>");
    ASSERT_TRUE(document.Create() && document.Load(std::vector<char>(text.begin(), text.end())));
  };
  XmlDocument document;
  noted(0, document);
  std::vector<char> bytes;
  ASSERT_TRUE(document.Save(bytes));
  const std::size_t note = kBankMapSizeLimit - bytes.size();
  noted(note, document);
  ASSERT_TRUE(SaveBankMap(document, folder.Directory()));
  const std::string saved = Saved();
  EXPECT_EQ(saved.size(), kBankMapSizeLimit);
  EXPECT_TRUE(LoadPass().Run(folder.Directory(), bankMap));
  noted(note + 1, document);
  EXPECT_FALSE(SaveBankMap(document, folder.Directory()));
  EXPECT_TRUE(Saved() == saved) << "the file was changed";
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"Vadro.xml"});
}

TEST_F(SaveTest, ASaveThatCannotCreateItsNewFileLeavesTheOldFileAsItWas) {
  const std::string old = Items("<Item ID=\"3\" Bank=\"1\"/>") + "\r\n<!-- kept -->\r\n";
  folder.Write("Vadro.xml", old);
  TakeEveryNewFileName(folder);
  BankMapDocument created;
  ASSERT_TRUE(created.Create());
  created.CreateRoot();
  AppendItem(created.Document(), created.Root(), 9, 9);
  EXPECT_FALSE(SaveBankMap(created.Document(), folder.Directory()));
  EXPECT_EQ(old, Saved());
  EXPECT_EQ(folder.Names().size(), 1U + kNewBankMapAttempts) << "what had the names is still there";
  // A folder that is not there cannot take the new file either.
  const char separator[] = {kPathSeparator, 0};
  EXPECT_FALSE(SaveBankMap(created.Document(), Concat(Concat(folder.Directory(), "missing"), separator)));
}

// Under the name that earlier versions wrote and the first one that this process tries: a link to a
// file elsewhere where the system makes links, else another instance's half-written file.
TEST_F(SaveTest, WhatAlreadyHasTheNameOfTheNewFileIsNeitherWrittenThroughNorRemoved) {
  ScratchFolder elsewhere;
  elsewhere.Write("target", "kept");
  const std::string taken[] = {"Vadro.xml.new", NewFileName(folder, 0)};
  for (const std::string& name : taken) {
    std::error_code error;
    std::filesystem::create_symlink(elsewhere.PathOf("target"), folder.PathOf(name.c_str()), error);
    if (error) folder.Write(name.c_str(), "another instance's");
  }
  BankMapDocument created;
  ASSERT_TRUE(created.Create());
  created.CreateRoot();
  AppendItem(created.Document(), created.Root(), 3, 1);
  ASSERT_TRUE(SaveBankMap(created.Document(), folder.Directory()));
  EXPECT_NE(Saved().find("ID=\"3\""), std::string::npos);
  EXPECT_EQ(elsewhere.Read("target"), "kept");
  for (const std::string& name : taken) {
    std::filesystem::path path = folder.PathOf(name.c_str());
    if (std::filesystem::is_symlink(path)) {
      EXPECT_EQ(std::filesystem::read_symlink(path), elsewhere.PathOf("target")) << name;
    } else {
      EXPECT_EQ(folder.Read(name.c_str()), "another instance's") << name;
    }
  }
  EXPECT_EQ(folder.Names().size(), 3U);
}

TEST_F(SaveTest, ASaveThatCannotReplaceTheFileRemovesItsNewFile) {
  // A directory with content stands where the file would go: it cannot be replaced.
  folder.MakeFolder("Vadro.xml/kept");
  BankMapDocument created;
  ASSERT_TRUE(created.Create());
  created.CreateRoot();
  EXPECT_FALSE(SaveBankMap(created.Document(), folder.Directory()));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"Vadro.xml"});
  EXPECT_TRUE(folder.Has("Vadro.xml/kept"));
}

}  // namespace
}  // namespace vadro
