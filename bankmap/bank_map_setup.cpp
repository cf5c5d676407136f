#include "bankmap/bank_map_setup.h"

#include "bankmap/bank_map_file.h"
#include "console/bank_number_entry.h"
#include "console/console_out.h"
#include "console/input_ended.h"
#include "console/interruption.h"
#include "console/text_output.h"
#include "device/device_library_ref.h"
#include "device/led_flasher.h"
#include "device/vendor_library.h"

namespace vadro {

namespace {

const char kFirstTimeText[] =
    "\r\n   For the first time the program must be initialized. Please turn on your CD Libraries,\r\n"
    "connect them to the computer via USB port. The devices will be flashing with their indicators\r\n"
    "one by one. While the specific device is flashing enter the desired number for that device.\r\n"
    "The number must be from 1 to 127.\r\n\r\n";
const char kCreatedText[] =
    "\r\nVadro.xml file was created.\r\nPlease, do not delete this file,\r\n"
    "otherwise you'll have to repeat the initialization procedure.\r\n";
const char kNewDeviceText[] =
    "\r\nNew device was found. Please, assign identification number for it (from 1 to 127).\r\n";
const char kNewDevicesText[] =
    "\r\nNew devices were found. Please, assign identification numbers for them (from 1 to 127).\r\n";
const char kCannotCheck[] = "\r\nCannot check for Vadro.xml.\r\n";
const char kCannotForm[] = "\r\nCannot form initializing xml.\r\n";
const char kCannotSave[] = "\r\nCannot save initialization file (Vadro.xml).\r\n";
const char kInputEnded[] = "\r\nInput ended before a bank number was entered.\r\n";

// Stops the flasher however its step ends, so that its indicator is switched off and its thread
// ends between two device calls rather than being killed inside one.
class FlasherStop {
 public:
  explicit FlasherStop(LedFlasher& flasher) : flasher(flasher) {}
  ~FlasherStop() { flasher.Stop(); }
  FlasherStop(const FlasherStop&) = delete;
  FlasherStop& operator=(const FlasherStop&) = delete;

 private:
  LedFlasher& flasher;
};

// Moves the cursor to column 0 of its row, so that the line written next takes the prompt's place.
void ToStartOfRow() {
  CellPosition cursor = consoleOut.CursorOrFallback();
  consoleOut.SetCursor(CellPosition{0, cursor.row});
}

// Runs the dialogue for `devices`; on failure prints why and returns false. Nothing typed is kept
// then: the document is dropped unsaved by the caller.
bool AssignBanksReporting(XmlDocument& document, XmlElement& root, const PooledList& devices) {
  try {
    AssignBanks(document, root, devices);
    return true;
  } catch (const InputEnded&) {
    WriteText(kInputEnded);
  } catch (const BlinkingNotStarted&) {
    // Its line has been written.
  } catch (...) {
    WriteText(kCannotForm);
  }
  return false;
}

// The first-time creation pass: a new document with one Item per attached device, saved.
bool CreateBankMapFile(const HeapString& moduleDirectory) {
  BankMapDocument file;
  if (!file.Create()) return false;
  WriteText(kFirstTimeText);
  PooledList devices;
  SnapshotDeviceList(devices);
  try {
    file.CreateRoot();
  } catch (...) {
    WriteText(kCannotForm);
    return false;
  }
  if (!AssignBanksReporting(file.Document(), file.Root(), devices)) return false;
  if (!SaveBankMap(file.Document(), moduleDirectory)) {
    WriteText(kCannotSave);
    return false;
  }
  WriteText(kCreatedText);
  return true;
}

}  // namespace

void AssignBanks(XmlDocument& document, XmlElement& root, const PooledList& devices) {
  const VendorLibrary& vendor = Vendor();
  const PooledList::Node* next = devices.Head();
  while (next != nullptr) {
    std::int32_t device = next->value;
    next = next->next;
    WriteText("The flashing device will be number: ");
    CallVendor(vendor.USBCDReset, device);
    LedFlasher flasher(device);
    std::int32_t bank = 0;
    try {
      FlasherStop stop(flasher);
      flasher.Start();
      // Without its thread nothing blinks: the user could not tell which carousel the number is for.
      if (flasher.Handle() == nullptr) {
        ToStartOfRow();
        WriteFormatted("The device (internal number %d) cannot be made to blink.\r\n", device);
        throw BlinkingNotStarted();
      }
      bank = ReadBankNumber();
    } catch (const EntryInterrupted& interrupted) {
      // The flasher has stopped with the indicator off; now the program ends as asked.
      EndAsInterrupted(interrupted.noted);
      throw;
    }
    XmlElement item = AppendItem(document, root, device, bank);
    ToStartOfRow();
    WriteFormatted("The device (internal number %d) was assigned to the bank %d\r\n", device, bank);
  }
}

bool RunBankMapStage(const HeapString& moduleDirectory, bool whole, PooledMap& bankMap) {
  switch (whole ? BankMapFilePresence(moduleDirectory) : FilePresence::Unknown) {
    case FilePresence::Present:
      break;
    case FilePresence::Absent:
      if (!CreateBankMapFile(moduleDirectory)) return false;
      break;
    case FilePresence::Unknown:
      WriteText(kCannotCheck);
      return false;
  }
  // Read, and as long as attached devices are missing from the file, ask for them, save, re-read.
  for (;;) {
    LoadPass pass;
    if (!pass.Run(moduleDirectory, bankMap)) return false;
    PooledList attached;
    SnapshotDeviceList(attached);
    PooledList newDevices;
    for (const PooledList::Node* node = attached.Head(); node != nullptr; node = node->next) {
      std::int32_t bank;
      if (!pass.DeviceBankMap().Lookup(node->value, bank)) newDevices.AddTail(node->value);
    }
    if (newDevices.IsEmpty()) return true;
    bankMap.RemoveAll();
    WriteText(newDevices.Count() == 1 ? kNewDeviceText : kNewDevicesText);
    if (!AssignBanksReporting(pass.Document(), pass.Root(), newDevices)) return false;
    if (!SaveBankMap(pass.Document(), moduleDirectory)) {
      WriteText(kCannotSave);
      return false;
    }
  }
}

}  // namespace vadro
