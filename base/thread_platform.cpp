#include "base/thread_platform.h"

#include <atomic>

namespace vadro {
namespace thread_platform {

namespace {
// Null means CreateWorker. Atomic, as the sleep and the clock are, for a test that swaps it while
// workers of an earlier case are still being stopped.
std::atomic<CreateWorkerFunction> installedCreation{nullptr};
}  // namespace

CreateWorkerFunction SetCreateWorkerFunction(CreateWorkerFunction function) {
  return installedCreation.exchange(function, std::memory_order_acq_rel);
}

ThreadHandle StartWorker(WorkerThread* worker, std::uint32_t* threadId) {
  CreateWorkerFunction function = installedCreation.load(std::memory_order_acquire);
  return function != nullptr ? function(worker, threadId) : CreateWorker(worker, threadId);
}

}  // namespace thread_platform
}  // namespace vadro
