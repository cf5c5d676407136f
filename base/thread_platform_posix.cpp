#include <pthread.h>

#include <atomic>

#include "base/thread_platform.h"

namespace vadro {
namespace thread_platform {

namespace {

// The handle of a thread: a control block of our own. The thread stores Run's result in
// exitCode as it ends; until then it reads as still active.
struct ControlBlock {
  pthread_t thread{};
  WorkerThread* worker = nullptr;
  std::uint32_t id = 0;
  std::atomic<std::uint32_t> exitCode{WorkerThread::kStillActive};
};

// Thread identifiers are numbers of our own, 1 upwards: the first call on a thread gives it one,
// and a created thread receives its number from its creator so that both know it at once.
std::atomic<std::uint32_t> lastThreadId{0};
thread_local std::uint32_t currentThreadId = 0;

std::uint32_t NewThreadId() { return lastThreadId.fetch_add(1, std::memory_order_relaxed) + 1; }

// The pseudo-handle of the calling thread: a fixed address that no control block can have.
char currentThreadSentinel;

void* ThreadEntry(void* parameter) {
  auto* block = static_cast<ControlBlock*>(parameter);
  currentThreadId = block->id;
  std::int32_t result = block->worker->Run();
  block->exitCode.store(static_cast<std::uint32_t>(result), std::memory_order_release);
  return nullptr;
}

ControlBlock* BlockOf(ThreadHandle handle) { return static_cast<ControlBlock*>(handle); }

}  // namespace

ThreadHandle CreateWorker(WorkerThread* worker, std::uint32_t* threadId) {
  auto* block = new ControlBlock;
  block->worker = worker;
  block->id = NewThreadId();
  *threadId = block->id;
  if (pthread_create(&block->thread, nullptr, ThreadEntry, block) != 0) {
    *threadId = 0;
    delete block;
    return nullptr;
  }
  return block;
}

bool GetExitCode(ThreadHandle handle, std::uint32_t* exitCode) {
  if (handle == nullptr) return false;
  if (handle == &currentThreadSentinel) {
    *exitCode = WorkerThread::kStillActive;  // the calling thread is running by definition
    return true;
  }
  *exitCode = BlockOf(handle)->exitCode.load(std::memory_order_acquire);
  return true;
}

// POSIX has no safe way to kill a thread at an arbitrary instruction. The closest sound equivalent
// is deferred cancellation: the thread is cancelled at its next cancellation point, which every
// worker reaches within one poll because each SleepMs is one (nanosleep, and pthread_testcancel
// when a fake clock is installed). Cancellation unwinds the thread's frames. The caller then
// waits for the thread to be gone, so that it never runs on an object that no longer exists.
// Unlike a Windows handle, which stays open, the control block is freed: the thread is joined and
// nothing can ask about it any more.
void Terminate(ThreadHandle handle) {
  if (handle == nullptr || handle == &currentThreadSentinel) return;
  ControlBlock* block = BlockOf(handle);
  pthread_cancel(block->thread);
  pthread_join(block->thread, nullptr);
  delete block;
}

// Only called for a thread whose exit code has been stored: the join returns as soon as the
// thread has left ThreadEntry.
void CloseHandle(ThreadHandle handle) {
  if (handle == nullptr || handle == &currentThreadSentinel) return;
  ControlBlock* block = BlockOf(handle);
  pthread_join(block->thread, nullptr);
  delete block;
}

ThreadHandle CurrentThreadPseudoHandle() { return &currentThreadSentinel; }

std::uint32_t CurrentThreadId() {
  if (currentThreadId == 0) currentThreadId = NewThreadId();
  return currentThreadId;
}

void CancellationPoint() { pthread_testcancel(); }

// There is no message queue on POSIX: this behaves as a message loop whose GetMessage fails at
// once, which returns 0.
std::int32_t PumpMessages() { return 0; }

}  // namespace thread_platform
}  // namespace vadro
