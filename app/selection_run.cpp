#include "app/selection_run.h"

#include "base/sleep.h"
#include "console/console_out.h"
#include "console/spinner_thread.h"
#include "console/text_output.h"
#include "device/vendor_library.h"

namespace vadro {

namespace {

constexpr std::uint32_t kPollMs = 50;
constexpr std::int32_t kCountdownSeconds = 5;
constexpr std::uint32_t kDiscDownPauseMs = 3000;

const char kWarning[] =
    "\r\n   There are no ways to determine the device status for sure.\r\n"
    "So, it's possible that the device will not answer correctly and\r\n"
    "as a result the program will hang up. In this case, just press Ctrl + C.\r\n"
    "Moving statistic:\r\n"
    "Initial waiting: ";

// Calls `operation` on the bank's device, looked up afresh each time, until it answers 0;
// 50 ms pass between two calls.
template <typename Operation>
void PollUntilZero(const PooledMap& bankMap, std::int32_t bank, Operation operation) {
  for (;;) {
    std::int32_t device = 0;
    bankMap.Lookup(bank, device);
    if (operation(device) == 0) return;
    SleepMs(kPollMs);
  }
}

void SelectDisc(const PooledMap& bankMap, std::int32_t disc) {
  const VendorLibrary& vendor = Vendor();
  DiscLocation at = LocateDisc(disc);
  WriteFormatted("CD N%d (%d:%d) selecting: ", disc, at.bank, at.slot);
  std::int32_t device = 0;
  if (!bankMap.Lookup(at.bank, device)) {
    WriteFormatted("no device is assigned to bank %d.\r\n", at.bank);
    return;
  }
  SpinnerThread spinner(0);
  spinner.Start();
  PollUntilZero(bankMap, at.bank, [&](std::int32_t d) { return CallVendor(vendor.USBCDGetStatus, d); });
  PollUntilZero(bankMap, at.bank, [&](std::int32_t d) { return CallVendor(vendor.USBCDMoveto, d, at.slot); });
  PollUntilZero(bankMap, at.bank, [&](std::int32_t d) { return CallVendor(vendor.USBCDGetStatus, d); });
  spinner.Stop();
  WriteText("done. Waiting for 5 seconds: ");
  consoleOut.Countdown(kCountdownSeconds);
  WriteText("done.\r\n");
  PollUntilZero(bankMap, at.bank, [&](std::int32_t d) { return CallVendor(vendor.USBCDGetCDDown, d); });
  SleepMs(kDiscDownPauseMs);
}

}  // namespace

DiscLocation LocateDisc(std::int32_t disc) {
  return DiscLocation{(disc - 1) / kDiscsPerDevice + 1, (disc - 1) % kDiscsPerDevice + 1};
}

void RunSelection(const PooledList& discs, const PooledMap& bankMap) {
  WriteText(kWarning);
  consoleOut.Countdown(kCountdownSeconds);
  WriteText("done.\r\n");
  for (const PooledList::Node* node = discs.Head(); node != nullptr; node = node->next) {
    SelectDisc(bankMap, node->value);
  }
}

}  // namespace vadro
