// LedFlasher: the worker thread that blinks one device's indicator, on for 500 ms and off for
// 500 ms, until it is stopped; the indicator is always left off.
#pragma once
#include <cstdint>

#include "base/worker_thread.h"

namespace vadro {

class LedFlasher : public WorkerThread {
 public:
  explicit LedFlasher(std::int32_t deviceNumber) : deviceNumber(deviceNumber) {}
  ~LedFlasher() override;
  LedFlasher(const LedFlasher&) = delete;
  LedFlasher& operator=(const LedFlasher&) = delete;

  std::int32_t Run() override;

  std::int32_t deviceNumber;  // the internal number of the device to blink
};

}  // namespace vadro
