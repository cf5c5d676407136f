#include <windows.h>

#include "base/thread_platform.h"

namespace vadro {
namespace thread_platform {

namespace {
DWORD WINAPI ThreadEntry(LPVOID parameter) {
  return static_cast<DWORD>(static_cast<WorkerThread*>(parameter)->Run());
}
}  // namespace

ThreadHandle CreateWorker(WorkerThread* worker, std::uint32_t* threadId) {
  DWORD id = 0;
  HANDLE handle = CreateThread(nullptr, 0, ThreadEntry, worker, 0, &id);
  *threadId = handle != nullptr ? static_cast<std::uint32_t>(id) : 0;
  return handle;
}

bool GetExitCode(ThreadHandle handle, std::uint32_t* exitCode) {
  DWORD code = 0;
  if (!GetExitCodeThread(handle, &code)) return false;
  *exitCode = static_cast<std::uint32_t>(code);
  return true;
}

void Terminate(ThreadHandle handle) { TerminateThread(handle, 0); }

void CloseHandle(ThreadHandle handle) { ::CloseHandle(handle); }

ThreadHandle CurrentThreadPseudoHandle() { return GetCurrentThread(); }

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(GetCurrentThreadId()); }

// TerminateThread stops a thread wherever it is; no cooperation is needed.
void CancellationPoint() {}

std::int32_t PumpMessages() {
  MSG message;
  for (;;) {
    BOOL result = GetMessageA(&message, nullptr, 0, 0);
    if (result == 0) return static_cast<std::int32_t>(message.wParam);
    if (result == -1) return 0;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace thread_platform
}  // namespace vadro
