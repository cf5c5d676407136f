// SpinnerThread: a worker that turns a spinner in the cell under the cursor while a carousel moves.
#pragma once
#include <cstdint>

#include "base/worker_thread.h"

namespace vadro {

// The frames of the spinner, in the order they are shown.
extern const char SpinnerFrames[4];

class SpinnerThread : public WorkerThread {
 public:
  // `firstFrame` (0 to 3) is the frame at which every turn starts.
  explicit SpinnerThread(std::uint32_t firstFrame);
  ~SpinnerThread() override;
  SpinnerThread(const SpinnerThread&) = delete;
  SpinnerThread& operator=(const SpinnerThread&) = delete;

  // Shows one frame every 140 ms in the cell where the cursor was when the thread started, until a
  // stop is requested (noticed within 10 ms). The last frame stays on the screen. Returns 0.
  std::int32_t Run() override;

  std::uint32_t firstFrame;
};

}  // namespace vadro
