#include "bankmap/bank_map_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "base/path_separator.h"
#include "base/thread_platform.h"
#include "console/interruption.h"
#include "device/device_library_ref.h"
#include "tests/support/bank_map_files.h"
#include "tests/support/captured_output.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/screen_model.h"
#include "tests/support/simulated_device_fixture.h"

namespace vadro {
namespace {

const std::string kFirstTime =
    "\r\n   For the first time the program must be initialized. Please turn on your CD Libraries,\r\n"
    "connect them to the computer via USB port. The devices will be flashing with their indicators\r\n"
    "one by one. While the specific device is flashing enter the desired number for that device.\r\n"
    "The number must be from 1 to 127.\r\n\r\n";
const std::string kCreated =
    "\r\nVadro.xml file was created.\r\nPlease, do not delete this file,\r\n"
    "otherwise you'll have to repeat the initialization procedure.\r\n";
const std::string kPrompt = "The flashing device will be number: ";
const std::string kOneNew =
    "\r\nNew device was found. Please, assign identification number for it (from 1 to 127).\r\n";
const std::string kManyNew =
    "\r\nNew devices were found. Please, assign identification numbers for them (from 1 to 127).\r\n";
const std::string kInputEnded = "\r\nInput ended before a bank number was entered.\r\n";
const std::string kCannotForm = "\r\nCannot form initializing xml.\r\n";
const std::string kCannotSave = "\r\nCannot save initialization file (Vadro.xml).\r\n";

std::string CannotBlink(int device) {
  return "The device (internal number " + std::to_string(device) + ") cannot be made to blink.\r\n";
}

std::string Assigned(int device, int bank) {
  return "The device (internal number " + std::to_string(device) + ") was assigned to the bank " +
         std::to_string(bank) + "\r\n";
}

// A thread start that fails, as under a limit on the number of processes.
ThreadHandle NoThread(WorkerThread* /*worker*/, std::uint32_t* threadId) {
  *threadId = 0;
  return nullptr;
}

// A keyboard whose reading fails, as running out of memory would.
class FailingKeyboard : public InstalledScreenModel {
 public:
  int GetKey() override { throw std::bad_alloc(); }
};

// A keyboard whose first key is Ctrl + C, pressed once the device blinks (real time: the flasher
// is a thread of its own).
class CtrlCWhileBlinking : public InstalledScreenModel {
 public:
  explicit CtrlCWhileBlinking(const SimulatorTest& simulator) : simulator(simulator) {}
  int GetKey() override {
    for (int wait = 0; wait < 500 && simulator.CallsOf("USBCDLEDON").empty(); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return kControlCKeyCode;
  }

 private:
  const SimulatorTest& simulator;
};

int endedAs = -1;
void NoteEnd(int noted) { endedAs = noted; }

// The stage on a scratch folder, with the simulator's devices, a scripted keyboard and a fake clock.
class BankMapStageTest : public SimulatedDeviceTest {
 protected:
  // Runs the stage with `devices` attached and `keys` typed, for the scratch folder or the folder
  // `inside` it, given as a `whole` folder or as one cut from the program's path; returns its result.
  bool RunStage(const char* devices, const std::string& keys, const std::string& inside = "",
                bool whole = true) {
    SetVariable("USBCD_SIM_DEVICES", devices);
    screen.Type(keys);
    DeviceLibraryRef bankMapRef;
    CapturedOutput captured;
    HeapString directory = folder.Directory();
    if (!inside.empty()) directory.Append((inside + kPathSeparator).c_str());
    bool result = RunBankMapStage(directory, whole, bankMapRef);
    output = captured.Text();
    banks.clear();
    for (std::int32_t bank = 1; bank <= 127; ++bank) {
      std::int32_t device;
      if (bankMapRef.Lookup(bank, device)) banks.emplace_back(bank, device);
    }
    return result;
  }

  std::string Xml() const { return folder.Read("Vadro.xml"); }
  // The Items of the file in order, as "ID:Bank".
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    std::string xml = Xml();
    std::regex item("<Item ID=\"(-?[0-9]+)\" Bank=\"(-?[0-9]+)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), item); it != std::sregex_iterator(); ++it) {
      items.push_back((*it)[1].str() + ":" + (*it)[2].str());
    }
    return items;
  }

  FakeClock clock;
  InstalledScreenModel screen{100, 40};
  ScratchFolder folder;
  std::string output;
  std::vector<std::pair<std::int32_t, std::int32_t>> banks;
};

using Banks = std::vector<std::pair<std::int32_t, std::int32_t>>;
using ItemList = std::vector<std::string>;

TEST_F(BankMapStageTest, FirstUseWithTwoDevicesAsksInEnumerationOrder) {
  ASSERT_TRUE(RunStage("3,7", "1\r2\r"));
  EXPECT_EQ(output, kFirstTime + kPrompt + Assigned(3, 1) + kPrompt + Assigned(7, 2) + kCreated);
  EXPECT_EQ(Items(), (ItemList{"3:1", "7:2"}));
  EXPECT_EQ(banks, (Banks{{1, 3}, {2, 7}}));
  // Each device was reset before it blinked, and blinked only while asked for.
  std::vector<std::string> resets = CallsOf("USBCDReset");
  EXPECT_EQ(resets, (std::vector<std::string>{"USBCDReset 3 = 0", "USBCDReset 7 = 0"}));

  // A second run asks nothing and reads the same map.
  ASSERT_TRUE(RunStage("3,7", ""));
  EXPECT_EQ(output, "");
  EXPECT_EQ(banks, (Banks{{1, 3}, {2, 7}}));
}

TEST_F(BankMapStageTest, FirstUseWithOneOrNoDevice) {
  ASSERT_TRUE(RunStage("5", "42\r"));
  EXPECT_EQ(output, kFirstTime + kPrompt + Assigned(5, 42) + kCreated);
  EXPECT_EQ(Items(), (ItemList{"5:42"}));

  ScratchFolder empty;
  SetVariable("USBCD_SIM_DEVICES", "");
  DeviceLibraryRef bankMap;
  CapturedOutput captured;
  ASSERT_TRUE(RunBankMapStage(empty.Directory(), true, bankMap));
  EXPECT_EQ(captured.Text(), kFirstTime + kCreated);
  EXPECT_EQ(bankMap.Count(), 0);
  EXPECT_NE(empty.Read("Vadro.xml").find("CDLibraryList"), std::string::npos);
}

TEST_F(BankMapStageTest, ConfirmationOverwritesThePromptRow) {
  screen.Print("earlier text\r\n");
  ASSERT_TRUE(RunStage("3", "1\r"));
  // The entry leaves the cursor on the prompt's row; the confirmation starts at its column 0.
  EXPECT_EQ(screen.Cursor().column, 0);
}

TEST_F(BankMapStageTest, LaterRunsAskOnlyForUnlistedDevices) {
  folder.Write("Vadro.xml", "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>");
  ASSERT_TRUE(RunStage("3,9", "2\r"));
  EXPECT_EQ(output, kOneNew + kPrompt + Assigned(9, 2));
  EXPECT_EQ(Items(), (ItemList{"3:1", "9:2"}));
  EXPECT_EQ(banks, (Banks{{1, 3}, {2, 9}}));

  ASSERT_TRUE(RunStage("11,3,12,9", "4\r5\r"));
  EXPECT_EQ(output, kManyNew + kPrompt + Assigned(11, 4) + kPrompt + Assigned(12, 5));
  EXPECT_EQ(Items(), (ItemList{"3:1", "9:2", "11:4", "12:5"}));

  // A device that the library lists twice is asked for twice.
  ASSERT_TRUE(RunStage("13,3,13", "6\r7\r"));
  EXPECT_EQ(output, kManyNew + kPrompt + Assigned(13, 6) + kPrompt + Assigned(13, 7));
  EXPECT_EQ(Items(), (ItemList{"3:1", "9:2", "11:4", "12:5", "13:6", "13:7"}));
}

TEST_F(BankMapStageTest, ATakenBankGoesToTheNewDeviceAndTheFileNeverShrinks) {
  folder.Write("Vadro.xml",
               "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/><Item ID=\"4\" Bank=\"2\"/></CDLibraryList>");
  // Device 4 is gone; device 8 is new and takes bank 1 from device 3.
  ASSERT_TRUE(RunStage("3,8", "1\r"));
  EXPECT_EQ(Items(), (ItemList{"3:1", "4:2", "8:1"}));
  EXPECT_EQ(banks, (Banks{{1, 8}, {2, 4}}));
}

TEST_F(BankMapStageTest, WrongNumbersAreAskedAgain) {
  // The key that ends each warning is not taken as input.
  ASSERT_TRUE(RunStage("3", "0\rx128\rx7\r"));
  EXPECT_EQ(Items(), (ItemList{"3:7"}));
}

TEST_F(BankMapStageTest, InputEndingDuringTheDialogueSavesNothing) {
  screen.EndInput(0);
  EXPECT_FALSE(RunStage("3,7", ""));
  EXPECT_EQ(output, kFirstTime + kPrompt + kInputEnded);
  EXPECT_FALSE(folder.Has("Vadro.xml"));

  const std::string listed = "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>";
  folder.Write("Vadro.xml", listed);
  EXPECT_FALSE(RunStage("3,7", ""));
  EXPECT_EQ(output, kOneNew + kPrompt + kInputEnded);
  EXPECT_EQ(Xml(), listed);
}

TEST_F(BankMapStageTest, AFailureInsideTheDialogueSavesNothing) {
  {
    FailingKeyboard keyboard;
    EXPECT_FALSE(RunStage("3,7", ""));
    EXPECT_EQ(output, kFirstTime + kPrompt + kCannotForm);
    EXPECT_FALSE(folder.Has("Vadro.xml"));
  }
  // A flasher whose thread cannot start: nothing blinks, so no number is asked for; one line says
  // so, and nothing typed is read or kept. (The flasher above may have blinked before its stop.)
  const std::size_t blinksBefore = CallsOf("USBCDLEDON").size();
  thread_platform::CreateWorkerFunction system = thread_platform::SetCreateWorkerFunction(NoThread);
  EXPECT_FALSE(RunStage("3,7", "1\r2\r"));
  EXPECT_EQ(output, kFirstTime + kPrompt + CannotBlink(3));
  EXPECT_FALSE(folder.Has("Vadro.xml"));
  const std::string listed = "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>";
  folder.Write("Vadro.xml", listed);
  EXPECT_FALSE(RunStage("3,7", ""));
  EXPECT_EQ(output, kOneNew + kPrompt + CannotBlink(7));
  thread_platform::SetCreateWorkerFunction(system);
  EXPECT_EQ(screen.KeysLeft(), 4u);
  EXPECT_EQ(Xml(), listed);
  EXPECT_EQ(CallsOf("USBCDLEDON").size(), blinksBefore);
}

TEST_F(BankMapStageTest, CtrlCWhileADeviceBlinksSwitchesItOffAndEndsTheProgram) {
  CtrlCWhileBlinking keyboard(*this);
  endedAs = -1;
  InterruptionEnd platformEnd = SetInterruptionEnd(NoteEnd);
  // The platform's end does not return; this one does, and the stage then ends as after a failure.
  EXPECT_FALSE(RunStage("3,7", ""));
  SetInterruptionEnd(platformEnd);
  EXPECT_EQ(endedAs, 0) << "ended as Ctrl + C ends the program";
  std::vector<std::string> calls = Calls();
  auto lastLed = std::find_if(calls.rbegin(), calls.rend(),
                              [](const std::string& call) { return call.rfind("USBCDLED", 0) == 0; });
  ASSERT_NE(lastLed, calls.rend());
  EXPECT_EQ(*lastLed, "USBCDLEDOFF 3 = 0");
  EXPECT_TRUE(CallsOf("USBCDReset 7").empty()) << "nothing is asked after it";
  EXPECT_FALSE(folder.Has("Vadro.xml"));
}

TEST_F(BankMapStageTest, AFolderThatCannotBeCheckedOrWrittenEndsTheStageWithItsMessage) {
  // A name too long for the system: whether Vadro.xml is there cannot be told, so nothing may be
  // made over it; the dialogue does not even begin.
  EXPECT_FALSE(RunStage("3", "", std::string(300, 'd')));
  EXPECT_EQ(output, "\r\nCannot check for Vadro.xml.\r\n");
  EXPECT_TRUE(CallsOf("USBCDReset").empty());
  // No such folder: the file is absent, and the first-time save fails.
  EXPECT_FALSE(RunStage("3", "1\r", "missing"));
  EXPECT_EQ(output, kFirstTime + kPrompt + Assigned(3, 1) + kCannotSave);
  // A folder cut from the program's path: a Vadro.xml there is another one, neither read nor
  // replaced, and none is made where there is none.
  const std::string listed = "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>";
  folder.Write("Vadro.xml", listed);
  EXPECT_FALSE(RunStage("3,7", "1\r", "", false));
  EXPECT_EQ(output, "\r\nCannot check for Vadro.xml.\r\n");
  EXPECT_EQ(Xml(), listed);
  EXPECT_TRUE(banks.empty());
  EXPECT_EQ(screen.KeysLeft(), 2u);
  folder.MakeFolder("empty");
  EXPECT_FALSE(RunStage("3", "1\r", "empty", false));
  EXPECT_EQ(output, "\r\nCannot check for Vadro.xml.\r\n");
  EXPECT_EQ(CallsOf("USBCDReset"), std::vector<std::string>{"USBCDReset 3 = 0"});
  EXPECT_FALSE(folder.Has("empty/Vadro.xml"));
}

TEST_F(BankMapStageTest, AFailedSaveKeepsTheOldFile) {
  const std::string listed = "<CDLibraryList><Item ID=\"3\" Bank=\"1\"/></CDLibraryList>";
  folder.Write("Vadro.xml", listed);
  TakeEveryNewFileName(folder);
  EXPECT_FALSE(RunStage("3,7", "2\r"));
  EXPECT_EQ(output,
            kOneNew + kPrompt + Assigned(7, 2) + "\r\nCannot save initialization file (Vadro.xml).\r\n");
  EXPECT_EQ(Xml(), listed);
}

TEST_F(BankMapStageTest, ABrokenFileEndsTheStageWithoutAsking) {
  folder.Write("Vadro.xml", "<CDLibraryList><Item ID=\"3\"/></CDLibraryList>");
  EXPECT_FALSE(RunStage("3,7", "1\r"));
  EXPECT_EQ(output, "\r\nWrong file format (Vadro.xml) or internal xml error.\r\n");
  EXPECT_EQ(screen.KeysLeft(), 2u);
}

}  // namespace
}  // namespace vadro
