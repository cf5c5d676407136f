#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "bankmap/file_commit.h"
#include "base/heap_string.h"

namespace vadro {
namespace {

bool SyncPath(const char* path, int flags) {
  int descriptor;
  do {
    descriptor = open(path, flags | O_CLOEXEC);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return false;
  bool synced = fsync(descriptor) == 0;
  bool closed = close(descriptor) == 0;
  return synced && closed;
}

// The directory that holds `path`.
HeapString DirectoryOf(const char* path) {
  HeapString text(path);
  std::int32_t slash = text.ReverseFind(1, '/', -1);
  if (slash < 0) return HeapString(".");
  if (slash == 0) return HeapString("/");
  return text.Left(slash);
}

}  // namespace

NewFileResult CreateNewFile(const char* path) {
  int descriptor;
  // O_EXCL: fails for any existing name, a symbolic link included, which is not followed.
  do {
    descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return errno == EEXIST ? NewFileResult::kNameTaken : NewFileResult::kFailed;
  close(descriptor);
  return NewFileResult::kCreated;
}

std::uint32_t ProcessNumber() { return static_cast<std::uint32_t>(getpid()); }

bool FlushFileToDisk(const char* path) { return SyncPath(path, O_RDONLY); }

bool MoveFileOver(const char* from, const char* to) {
  if (std::rename(from, to) != 0) return false;
  // The new name is in place. Syncing the directory makes it survive a power loss; where the
  // file system cannot sync a directory the rename still stands, so this is not a failure.
  SyncPath(DirectoryOf(to).Text(), O_RDONLY | O_DIRECTORY);
  return true;
}

void RemoveFileIfAny(const char* path) { unlink(path); }

}  // namespace vadro
