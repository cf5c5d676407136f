#include "base/worker_thread.h"

#include <atomic>

#include "base/sleep.h"
#include "base/thread_platform.h"

namespace vadro {

namespace {
std::atomic<ThreadEndingObserver> endingObserver{nullptr};

void Tell(ThreadEnding ending) {
  ThreadEndingObserver observer = endingObserver.load(std::memory_order_acquire);
  if (observer != nullptr) observer(ending);
}
}  // namespace

ThreadEndingObserver SetThreadEndingObserver(ThreadEndingObserver observer) {
  return endingObserver.exchange(observer, std::memory_order_acq_rel);
}

WorkerThread::~WorkerThread() {
  if (handle == nullptr) return;
  // An attached object borrows its thread and leaves it alone.
  if (handle == thread_platform::CurrentThreadPseudoHandle()) return;
  if (threadId == 0) return;
  // Destroyed on its own thread: that thread can neither wait for nor kill itself.
  if (threadId == thread_platform::CurrentThreadId()) return;
  if (IsRunning()) {
    Tell(ThreadEnding::kTerminated);
    thread_platform::Terminate(handle);
  } else {
    Tell(ThreadEnding::kClosed);
    thread_platform::CloseHandle(handle);
  }
}

std::int32_t WorkerThread::Run() { return 0; }

std::int32_t WorkerThread::PumpMessages() { return thread_platform::PumpMessages(); }

void WorkerThread::Start() {
  // The new thread may run before `handle` is set; Run never reads it.
  handle = thread_platform::StartWorker(this, &threadId);
}

void WorkerThread::Stop() {
  stopRequested.store(1, std::memory_order_release);
  // Polls with the system's own sleep, not SleepMs: the wait must be real even while a test has
  // replaced the program's clock.
  while (IsRunning()) SystemSleep(1);
}

bool WorkerThread::IsRunning() const {
  std::uint32_t exitCode = 0;
  return thread_platform::GetExitCode(handle, &exitCode) && exitCode == kStillActive;
}

void WorkerThread::AttachToCurrentThread() {
  handle = thread_platform::CurrentThreadPseudoHandle();
  threadId = thread_platform::CurrentThreadId();
}

}  // namespace vadro
