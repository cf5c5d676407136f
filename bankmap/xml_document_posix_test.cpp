// The Linux document beyond what both builds share: the text it saves is UTF-8 whatever the
// loaded file declared, entities stay within libxml2's limits however they are used, and libxml2
// itself prints nothing. And a save whose writes fail, a load that opens no pipe or device, and a
// document that cannot be made.
#include <gtest/gtest.h>
#include <libxml/xmlmemory.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bankmap/bank_map_file.h"
#include "bankmap/plain_file.h"
#include "tests/support/captured_output.h"
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

// A file that declares an encoding of its own, or none, is extended and saved; the saved file
// declares UTF-8 where the file had a declaration, holds the text in UTF-8 (never as character
// references), reads with the old and the new entry and saves unchanged.
TEST(XmlDocumentPosixTest, AFileInAnotherEncodingIsSavedAsUtf8AndStaysReadable) {
  const char* const items = "<CDLibraryList><Item ID=\"3\" Bank=\"1\" Note=\"\xe9\"/></CDLibraryList>";
  const struct {
    std::string file;
    const char* note;  // in UTF-8
    const char* head;
  } rows[] = {
      {Utf16(std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + items), "\xc3\xa9",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CDLibraryList>"},
      {std::string("<?xml version=\"1.0\" encoding=\"windows-1251\"?>") + items, "\xd0\xb9",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<CDLibraryList>"},
      {"<CDLibraryList><Item ID=\"3\" Bank=\"1\" Note=\"\xc3\xa9\"/></CDLibraryList>", "\xc3\xa9",
       "<CDLibraryList>"},
  };
  for (const auto& row : rows) {
    ScratchFolder folder;
    PooledMap bankMap;
    folder.Write("Vadro.xml", row.file);
    {
      LoadPass pass;
      ASSERT_TRUE(pass.Run(folder.Directory(), bankMap)) << row.head;
      AppendItem(pass.Document(), pass.Root(), 7, 2);
      ASSERT_TRUE(SaveBankMap(pass.Document(), folder.Directory()));
    }
    std::string saved = folder.Read("Vadro.xml");
    EXPECT_EQ(0u, saved.find(row.head)) << saved;
    EXPECT_NE(std::string::npos, saved.find(std::string("Note=\"") + row.note + "\"")) << saved;
    bankMap.RemoveAll();
    LoadPass pass;
    ASSERT_TRUE(pass.Run(folder.Directory(), bankMap)) << saved;
    EXPECT_EQ(3, ValueOf(bankMap, 1));
    EXPECT_EQ(7, ValueOf(bankMap, 2));
    ASSERT_TRUE(SaveBankMap(pass.Document(), folder.Directory()));
    EXPECT_EQ(saved, folder.Read("Vadro.xml"));
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

// The child's status: 0, or the sum of 1 (saved), 2 (a descriptor left open) and 4 (the signal's
// action changed); 64 when the handler was called.
void EndBySignalHandler(int /*signal*/) { _exit(64); }

// The writes of a save fail here by the process's limit on the size of a file, whatever the action
// of the signal that such a write raises: ignored, its default (which ends the process), or a
// handler of the program's own (the terminal's, which ends it too). The save fails: the old file
// stays as it was, the new one is removed, no descriptor is left open, and the signal's action is
// as it was. Each save runs in a child process, which the signal would end.
TEST(SavePosixTest, ASaveWhoseWritesFailLeavesTheOldFileAndNothingOpen) {
  const std::string old = "<CDLibraryList/>";
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
  for (void (*action)(int) : {SIG_IGN, SIG_DFL, EndBySignalHandler}) {
    ScratchFolder folder;
    folder.Write("Vadro.xml", old);
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, action);
      int before = openFiles();
      rlimit small = {};
      getrlimit(RLIMIT_FSIZE, &small);
      small.rlim_cur = 100;
      setrlimit(RLIMIT_FSIZE, &small);
      bool saved = SaveBankMap(created.Document(), folder.Directory());
      _exit((saved ? 1 : 0) | (openFiles() != before ? 2 : 0) |
            (std::signal(SIGXFSZ, SIG_DFL) != action ? 4 : 0));
    }
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_EQ(old, folder.Read("Vadro.xml"));
    EXPECT_EQ(std::vector<std::string>{"Vadro.xml"}, folder.Names());
  }
}

// libxml2 out of memory: no document is made, and the user is told so.
TEST(XmlDocumentPosixTest, ADocumentThatCannotBeMadeIsReported) {
  XmlDocument ready;
  ASSERT_TRUE(ready.Create());  // the library is set up before its allocations fail
  xmlFreeFunc freeFunction = nullptr;
  xmlMallocFunc mallocFunction = nullptr;
  xmlReallocFunc reallocFunction = nullptr;
  xmlStrdupFunc strdupFunction = nullptr;
  ASSERT_EQ(0, xmlMemGet(&freeFunction, &mallocFunction, &reallocFunction, &strdupFunction));
  CapturedOutput captured;
  XmlDocument document;
  xmlMemSetup(
      freeFunction, [](std::size_t) -> void* { return nullptr; }, reallocFunction, strdupFunction);
  bool created = CreateDocument(document);
  xmlMemSetup(freeFunction, mallocFunction, reallocFunction, strdupFunction);
  EXPECT_FALSE(created);
  EXPECT_EQ("\r\nCannot create XML DOM.\r\n", captured.Text());
}

// A file whose size says less than it holds, as one still being written does (a file of /proc
// here, which says 0): read whole up to the limit, refused when it runs one byte past it.
TEST(LoadPosixTest, AFileThatGrowsWhileReadIsReadToTheLimitAndNoFurther) {
  const char* const path = "/proc/self/cmdline";
  std::ifstream in(path, std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 2u);
  std::vector<char> bytes;
  EXPECT_TRUE(ReadPlainFile(path, whole.size(), bytes));
  EXPECT_EQ(whole, std::string(bytes.begin(), bytes.end()));
  EXPECT_FALSE(ReadPlainFile(path, whole.size() - 1, bytes));
  EXPECT_TRUE(bytes.empty());
}

// Vadro.xml that is a named pipe or a device, or a link to one, is refused without being opened:
// opening one can act on it. The kernel reports every open of a watched node. (The device, of the
// kind of /dev/null, is made only where this test may make one.)
TEST(LoadPosixTest, APipeOrADeviceIsRefusedUnopened) {
  ScratchFolder folder;
  const std::string xml = folder.PathOf("Vadro.xml");
  const std::string pipe = folder.PathOf("pipe");
  const std::string device = folder.PathOf("device");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  auto opened = [watch] {
    alignas(inotify_event) char events[4096];
    bool any = false;
    for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        any = any || (event->mask & IN_OPEN) != 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return any;
  };
  EXPECT_GE(inotify_add_watch(watch, pipe.c_str(), IN_OPEN), 0);
  if (haveDevice) {
    EXPECT_GE(inotify_add_watch(watch, device.c_str(), IN_OPEN), 0);
  }
  struct Row {
    const char* name;
    bool make;  // made as Vadro.xml itself, or else linked to
    const std::string& node;
  };
  const Row rows[] = {
      {"a pipe", true, pipe}, {"a link to a pipe", false, pipe}, {"a link to a device", false, device}};
  for (const Row& row : rows) {
    if (&row.node == &device && !haveDevice) continue;
    unlink(xml.c_str());
    EXPECT_EQ(0, row.make ? mkfifo(xml.c_str(), 0600) : symlink(row.node.c_str(), xml.c_str()));
    if (row.make) {
      EXPECT_GE(inotify_add_watch(watch, xml.c_str(), IN_OPEN), 0);
    }
    PooledMap bankMap;
    CapturedOutput captured;
    EXPECT_FALSE(LoadPass().Run(folder.Directory(), bankMap)) << row.name;
    EXPECT_EQ("\r\nCannot load initialization file (Vadro.xml).\r\n", captured.Text()) << row.name;
    EXPECT_FALSE(opened()) << row.name << " was opened";
  }
  close(watch);
}

}  // namespace
}  // namespace vadro
