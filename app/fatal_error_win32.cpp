#include <windows.h>

#include <cstdio>

#include "app/fatal_error.h"

namespace vadro {

namespace {

// Heap blocks are allocated with HEAP_GENERATE_EXCEPTIONS, which raises a structured exception
// rather than a C++ one when the heap is exhausted.
LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
  DWORD code = info->ExceptionRecord->ExceptionCode;
  if (code == STATUS_NO_MEMORY) {
    std::fputs(kOutOfMemoryLine, stderr);
    std::fflush(stderr);
    ExitProcess(1);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallFatalErrorHandler() { SetUnhandledExceptionFilter(OnUnhandledException); }

}  // namespace vadro
