// The system side of WorkerThread: creating a thread that runs a worker, reading its exit code,
// terminating it and releasing its handle. Internal to base/, but for the replacement of the
// creation that tests install.
#pragma once
#include <cstdint>

#include "base/worker_thread.h"

namespace vadro {
namespace thread_platform {

// Starts a thread that returns worker->Run() as its exit code. Writes the new thread's
// identifier into `threadId` before returning; returns null (and starts nothing) on failure.
ThreadHandle CreateWorker(WorkerThread* worker, std::uint32_t* threadId);

using CreateWorkerFunction = ThreadHandle (*)(WorkerThread* worker, std::uint32_t* threadId);

// How WorkerThread::Start creates its thread: through `function`, with CreateWorker's contract, in
// place of CreateWorker (null: CreateWorker again). Returns the one it replaces. Kept in the
// program for the tests, which cannot otherwise make a thread fail to start.
CreateWorkerFunction SetCreateWorkerFunction(CreateWorkerFunction function);

// Starts the thread of `worker` through the installed function, or CreateWorker.
ThreadHandle StartWorker(WorkerThread* worker, std::uint32_t* threadId);

// The thread's exit code (WorkerThread::kStillActive while it runs); false when it cannot be read.
bool GetExitCode(ThreadHandle handle, std::uint32_t* exitCode);

// Ends a running thread forcibly. The handle must not be used afterwards: Windows leaves it open,
// POSIX frees its control block once the thread is gone.
void Terminate(ThreadHandle handle);

void CloseHandle(ThreadHandle handle);

// The handle that stands for "the calling thread", whatever thread calls.
ThreadHandle CurrentThreadPseudoHandle();

std::uint32_t CurrentThreadId();

// Where a terminated worker thread may be stopped; called by every SleepMs.
void CancellationPoint();

// The calling thread's message loop (see WorkerThread::PumpMessages).
std::int32_t PumpMessages();

}  // namespace thread_platform
}  // namespace vadro
