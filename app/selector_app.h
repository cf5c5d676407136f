// SelectorApp: the application object. Its Run is the whole program, executed on the main thread.
#pragma once
#include <cstdint>

#include "base/heap_string.h"
#include "base/worker_thread.h"
#include "log/log_file.h"

namespace vadro {

// The command line, stored by the entry before Run starts.
extern std::int32_t argumentCount;
extern const char* const* argumentVector;

class SelectorApp : public WorkerThread {
 public:
  SelectorApp();
  ~SelectorApp() override;
  SelectorApp(const SelectorApp&) = delete;
  SelectorApp& operator=(const SelectorApp&) = delete;

  // The stages of the program in order; returns the exit status, 0 on every orderly end.
  std::int32_t Run() override;

 private:
  LogFile logFile;
  HeapString moduleDirectory;
};

}  // namespace vadro
