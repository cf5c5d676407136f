// WorkerThread: base of every object that owns a thread. A subclass supplies Run; the owner
// starts it, asks it to stop through a flag, waits for its end and destroys it.
#pragma once
#include <atomic>
#include <cstdint>

namespace vadro {

using ThreadHandle = void*;

// How the destruction of an object that owned a thread ended that thread: its handle closed after
// Run had returned, or the thread terminated while it ran.
enum class ThreadEnding { kClosed, kTerminated };
using ThreadEndingObserver = void (*)(ThreadEnding ending);

// Installs `observer` (null: none), told of every thread that a destruction ends, and returns the
// one it replaces. Kept in the program for the tests, which cannot see otherwise how a thread ended.
ThreadEndingObserver SetThreadEndingObserver(ThreadEndingObserver observer);

class WorkerThread {
 public:
  WorkerThread() = default;
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // The thread's body; its result becomes the thread's exit code.
  virtual std::int32_t Run();
  // A message loop on the calling thread.
  virtual std::int32_t PumpMessages();

  void Start();
  void Stop();
  bool IsRunning() const;
  void AttachToCurrentThread();

  ThreadHandle Handle() const { return handle; }
  std::uint32_t ThreadId() const { return threadId; }
  bool StopRequested() const { return stopRequested.load(std::memory_order_acquire) != 0; }

  // Exit code of a thread that has not ended.
  static constexpr std::uint32_t kStillActive = 259;

 protected:
  ThreadHandle handle = nullptr;
  std::uint32_t threadId = 0;
  std::atomic<std::int32_t> stopRequested{0};
};

}  // namespace vadro
