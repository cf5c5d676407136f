// The simulated carousels behind the exported operations: attached devices, moves with their
// timing, indicator states, the device-change schedule and the trace. Time is real time: this is
// the device, not the program's clock.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "shared/vendor_operations.h"
#include "sim/sim_config.h"
#include "sim/sim_trace.h"

namespace vadro {
namespace sim {

// Results besides 0 (success, ready, disc down).
constexpr std::int32_t kInvalid = -1;  // library closed, device not attached, index or slot out of range
constexpr std::int32_t kBusy = 1;      // moving, or not yet down (also what HANG=status|cddown answer)
constexpr std::int32_t kRefused = 2;   // move refused (USBCD_SIM_REFUSE_MOVES, HANG=move)

// Every operation is safe from any thread. The registered callback is called from the
// simulator's own thread, never while the simulator's lock is held.
class CarouselSim {
 public:
  CarouselSim() = default;
  ~CarouselSim();
  CarouselSim(const CarouselSim&) = delete;
  CarouselSim& operator=(const CarouselSim&) = delete;

  std::int32_t Init();
  std::int32_t DeviceCount();
  std::int32_t Enum(std::int32_t index);
  std::int32_t SetCallback(DeviceChangeCallback callback);
  std::int32_t Close();
  std::int32_t Reset(std::int32_t device);
  std::int32_t LedOn(std::int32_t device);
  std::int32_t LedOff(std::int32_t device);
  std::int32_t Status(std::int32_t device);
  std::int32_t Moveto(std::int32_t device, std::int32_t slot);
  std::int32_t CDDown(std::int32_t device);

  // The indicator as the last LED call or reset left it (not visible through the library).
  bool LedIsOn(std::int32_t device);

 private:
  using Clock = std::chrono::steady_clock;

  struct Device {
    bool ledOn = false;
    Clock::time_point moveEnd{};  // GetStatus is busy before it
    Clock::time_point downAt{};   // GetCDDown is busy before it
  };

  std::int64_t ElapsedMs(Clock::time_point now) const;
  bool IsAttached(std::int32_t device) const;
  // Writes the trace line of a call made now and returns its result.
  std::int32_t Traced(VendorOperation operation, std::initializer_list<std::int32_t> args,
                      std::int32_t result);
  std::int32_t SetLed(VendorOperation operation, std::int32_t device, bool on);
  // What a move order made at `now` returns (0 when it starts the move); counts the order.
  std::int32_t MoveResult(std::int32_t device, std::int32_t slot, Clock::time_point now);
  void RunPlugSchedule(std::uint64_t myGeneration, const std::vector<PlugEvent>& schedule);

  std::mutex lock;
  std::condition_variable wake;
  bool open = false;
  std::uint64_t generation = 0;  // raised by every Init and Close; a plug thread of an older one ends
  SimConfig config;
  Clock::time_point initTime{};
  std::vector<std::int32_t> attached;
  std::map<std::int32_t, Device> devices;
  std::int64_t moveCalls = 0;
  DeviceChangeCallback callback = nullptr;
  std::thread plugThread;
  SimTrace trace;
};

// The one simulator of the process. Never destroyed: a device-change thread may still run while
// the process exits without closing the library.
CarouselSim& TheCarouselSim();

}  // namespace sim
}  // namespace vadro
