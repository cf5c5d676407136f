#include "console/spinner_thread.h"

#include "base/sleep.h"
#include "console/console_io.h"
#include "console/console_out.h"

namespace vadro {

const char SpinnerFrames[4] = {'|', '/', '-', '\\'};

namespace {
constexpr std::uint32_t kFrameCount = 4;
// One frame lasts 14 polls of 10 ms.
constexpr int kPollsPerFrame = 14;
constexpr std::uint32_t kPollMs = 10;
}  // namespace

SpinnerThread::SpinnerThread(std::uint32_t firstFrame) : firstFrame(firstFrame) {}

SpinnerThread::~SpinnerThread() = default;

std::int32_t SpinnerThread::Run() {
  LayoutChanges seen = ActiveConsoleIo().Changes();
  CellPosition at = consoleOut.CursorOrFallback();
  if (StopRequested()) return 0;
  // A first frame past the last would make a turn without any frame, and so without any wait.
  std::uint32_t first = firstFrame % kFrameCount;
  for (;;) {
    for (std::uint32_t i = first; i < kFrameCount; ++i) {
      if (StopRequested()) return 0;
      at = consoleOut.CursorSince(at, seen);
      consoleOut.WriteAt(&SpinnerFrames[i], 1, at);
      for (int poll = 0; poll < kPollsPerFrame && !StopRequested(); ++poll) SleepMs(kPollMs);
    }
    if (StopRequested()) return 0;
  }
}

}  // namespace vadro
