#include "sim/carousel_sim.h"

#include <algorithm>
#include <utility>

namespace vadro {
namespace sim {

namespace {
constexpr std::int32_t kFirstSlot = 1;
constexpr std::int32_t kLastSlot = 150;
}  // namespace

CarouselSim::~CarouselSim() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> guard(lock);
    ++generation;
    thread = std::move(plugThread);
  }
  wake.notify_all();
  if (thread.joinable()) thread.join();
}

std::int64_t CarouselSim::ElapsedMs(Clock::time_point now) const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(now - initTime).count();
}

bool CarouselSim::IsAttached(std::int32_t device) const {
  return std::find(attached.begin(), attached.end(), device) != attached.end();
}

std::int32_t CarouselSim::Traced(VendorOperation operation, std::initializer_list<std::int32_t> args,
                                 std::int32_t result) {
  trace.Call(ElapsedMs(Clock::now()), VendorOperationName(operation), args, result);
  return result;
}

std::int32_t CarouselSim::Init() {
  std::lock_guard<std::mutex> guard(lock);
  if (open) return Traced(VendorOperation::InitUSBCDLibrary, {}, kInvalid);
  config = ReadSimConfig();
  initTime = Clock::now();
  trace.Use(config.tracePath);
  attached = config.devices;
  devices.clear();
  moveCalls = 0;
  callback = nullptr;
  open = true;
  ++generation;
  // Close has taken any earlier plug thread away, so the slot is free.
  if (!config.plugSchedule.empty()) {
    plugThread = std::thread(&CarouselSim::RunPlugSchedule, this, generation, config.plugSchedule);
  }
  return Traced(VendorOperation::InitUSBCDLibrary, {}, 0);
}

std::int32_t CarouselSim::DeviceCount() {
  std::lock_guard<std::mutex> guard(lock);
  return Traced(VendorOperation::GetDeviceNumber, {},
                open ? static_cast<std::int32_t>(attached.size()) : kInvalid);
}

std::int32_t CarouselSim::Enum(std::int32_t index) {
  std::lock_guard<std::mutex> guard(lock);
  bool valid = open && index >= 0 && static_cast<std::size_t>(index) < attached.size();
  return Traced(VendorOperation::EnumDevice, {index},
                valid ? attached[static_cast<std::size_t>(index)] : kInvalid);
}

std::int32_t CarouselSim::SetCallback(DeviceChangeCallback newCallback) {
  std::lock_guard<std::mutex> guard(lock);
  if (!open) return Traced(VendorOperation::SetCDCallbackProc, {}, kInvalid);
  callback = newCallback;
  return Traced(VendorOperation::SetCDCallbackProc, {}, 0);
}

std::int32_t CarouselSim::Close() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!open) return Traced(VendorOperation::CloseUSBCDLibrary, {}, kInvalid);
    open = false;
    callback = nullptr;
    ++generation;
    thread = std::move(plugThread);
    Traced(VendorOperation::CloseUSBCDLibrary, {}, 0);
  }
  wake.notify_all();
  if (thread.joinable()) {
    // Closed from inside the callback: the thread ends by itself once the callback returns.
    if (thread.get_id() == std::this_thread::get_id()) {
      thread.detach();
    } else {
      thread.join();
    }
  }
  return 0;
}

std::int32_t CarouselSim::Reset(std::int32_t device) {
  std::int64_t resetMs = 0;
  {
    std::lock_guard<std::mutex> guard(lock);
    resetMs = open ? config.resetMs : 0;
  }
  // The reset takes its time; calls from other threads are answered meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(resetMs));
  std::lock_guard<std::mutex> guard(lock);
  if (!open || !IsAttached(device)) return Traced(VendorOperation::USBCDReset, {device}, kInvalid);
  devices[device].ledOn = false;
  return Traced(VendorOperation::USBCDReset, {device}, 0);
}

std::int32_t CarouselSim::SetLed(VendorOperation operation, std::int32_t device, bool on) {
  std::lock_guard<std::mutex> guard(lock);
  if (!open || !IsAttached(device)) return Traced(operation, {device}, kInvalid);
  devices[device].ledOn = on;
  return Traced(operation, {device}, 0);
}

std::int32_t CarouselSim::LedOn(std::int32_t device) {
  return SetLed(VendorOperation::USBCDLEDON, device, true);
}

std::int32_t CarouselSim::LedOff(std::int32_t device) {
  return SetLed(VendorOperation::USBCDLEDOFF, device, false);
}

bool CarouselSim::LedIsOn(std::int32_t device) {
  std::lock_guard<std::mutex> guard(lock);
  auto found = devices.find(device);
  return found != devices.end() && found->second.ledOn;
}

std::int32_t CarouselSim::Status(std::int32_t device) {
  std::lock_guard<std::mutex> guard(lock);
  std::int32_t result = 0;
  if (!open || !IsAttached(device)) {
    result = kInvalid;
  } else if (config.hang == HangMode::kStatus || Clock::now() < devices[device].moveEnd) {
    result = kBusy;
  }
  return Traced(VendorOperation::USBCDGetStatus, {device}, result);
}

std::int32_t CarouselSim::MoveResult(std::int32_t device, std::int32_t slot, Clock::time_point now) {
  if (!open) return kInvalid;
  // The refusals of USBCD_SIM_REFUSE_MOVES come before any check of the arguments.
  if (++moveCalls <= config.refuseMoves) return kRefused;
  if (!IsAttached(device) || slot < kFirstSlot || slot > kLastSlot) return kInvalid;
  if (config.hang == HangMode::kMove) return kRefused;
  if (now < devices[device].moveEnd) return kBusy;
  return 0;
}

std::int32_t CarouselSim::Moveto(std::int32_t device, std::int32_t slot) {
  std::lock_guard<std::mutex> guard(lock);
  Clock::time_point now = Clock::now();
  std::int32_t result = MoveResult(device, slot, now);
  if (result == 0) {
    Device& moved = devices[device];
    moved.moveEnd = now + std::chrono::milliseconds(config.moveMs);
    moved.downAt = moved.moveEnd + std::chrono::milliseconds(config.cdDownMs);
  }
  return Traced(VendorOperation::USBCDMoveto, {device, slot}, result);
}

std::int32_t CarouselSim::CDDown(std::int32_t device) {
  std::lock_guard<std::mutex> guard(lock);
  std::int32_t result = 0;
  if (!open || !IsAttached(device)) {
    result = kInvalid;
  } else if (config.hang == HangMode::kCDDown || Clock::now() < devices[device].downAt) {
    result = kBusy;
  }
  return Traced(VendorOperation::USBCDGetCDDown, {device}, result);
}

void CarouselSim::RunPlugSchedule(std::uint64_t myGeneration, const std::vector<PlugEvent>& schedule) {
  std::unique_lock<std::mutex> guard(lock);
  for (const PlugEvent& event : schedule) {
    Clock::time_point due = initTime + std::chrono::milliseconds(event.atMs);
    if (wake.wait_until(guard, due, [&] { return generation != myGeneration; })) return;
    attached = event.devices;
    DeviceChangeCallback notify = callback;
    if (notify == nullptr) continue;
    auto count = static_cast<std::int32_t>(attached.size());
    trace.Callback(ElapsedMs(Clock::now()), count);
    // The callback calls back into the library (EnumDevice), so the lock is let go meanwhile.
    guard.unlock();
    notify(count);
    guard.lock();
    if (generation != myGeneration) return;
  }
}

CarouselSim& TheCarouselSim() {
  static auto* simulator = new CarouselSim;
  return *simulator;
}

}  // namespace sim
}  // namespace vadro
