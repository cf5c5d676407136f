// LogFile: where the application's log file lives, a directory and a file name named after the
// local date ("%m-%d-%Y.log") unless a name is given. It can move into another directory, taking
// an open log file along on disk.
#pragma once
#include <cstdint>

#include "base/heap_string.h"
#include "log/date_value.h"
#include "log/log_file_system.h"

namespace vadro {

class LogFile {
 public:
  // Either text may be null: no directory gives a bare file name, no name the date name.
  LogFile(const char* directory, const char* fileName);
  virtual ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Moves the location into `directory` (null: none, leaving the bare file name). A path that
  // already begins with `directory`, ignoring case, stays as it is. An open file is closed and
  // moved; returns 0 when that fails (the path is then unchanged), otherwise 1.
  std::int32_t SetDirectory(const char* directory);

  const HeapString& Path() const { return path; }
  FileHandle OpenFileHandle() const { return fileHandle; }
  const DateValue& Created() const { return created; }

 protected:
  // The program itself never opens the log file; a writer built on this class stores the handle
  // of the file it opens at `path` here, and this class closes and moves it.
  // The log object carries no state beyond these three fields: flags that nothing would read
  // are left out.
  HeapString path;
  FileHandle fileHandle = nullptr;
  DateValue created;
};

}  // namespace vadro
