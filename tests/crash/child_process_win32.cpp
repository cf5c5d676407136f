#include <windows.h>

#include <cstdio>

#include "tests/crash/child_process.h"

namespace vadro {
namespace crash_test {
namespace {

// The exit code that marks a child ended from outside.
constexpr UINT kKilledCode = 0xDEAD;

HANDLE AsHandle(std::int64_t id) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(id)); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::string OwnExecutablePath() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

ChildProcess::~ChildProcess() {
  if (id > 0) Kill();
}

bool ChildProcess::Start(const std::string& executable, const std::string& first, const std::string& second) {
  std::string commandLine = Quoted(executable) + " " + Quoted(first) + " " + Quoted(second);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("CreateProcess failed: error %u\n", static_cast<unsigned>(GetLastError()));
    return false;
  }
  CloseHandle(process.hThread);
  id = static_cast<std::int64_t>(reinterpret_cast<INT_PTR>(process.hProcess));
  return true;
}

bool ChildProcess::Kill() {
  HANDLE process = AsHandle(id);
  id = -1;
  TerminateProcess(process, kKilledCode);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code == kKilledCode;
}

int ChildProcess::Wait() {
  HANDLE process = AsHandle(id);
  id = -1;
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}

}  // namespace crash_test
}  // namespace vadro
