#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "bankmap/file_commit.h"

namespace vadro {
namespace {

bool SyncDirectory(const char* path) {
  int descriptor;
  do {
    descriptor = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

// A write past the process's limit on the size of a file (ulimit -f) raises SIGXFSZ, whose default
// action ends the process and leaves the new file cut short; so would the terminal's handler
// (console_io_posix.cpp), which then takes that action. While this lives the signal is ignored,
// such a write fails with EFBIG, and the save fails as on any refused write. The signal's own
// action comes back after, whichever it was.
class FileSizeSignalIgnored {
 public:
  FileSizeSignalIgnored() {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    restore = sigaction(SIGXFSZ, &ignore, &previous) == 0;
  }
  ~FileSizeSignalIgnored() {
    if (restore) sigaction(SIGXFSZ, &previous, nullptr);
  }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

 private:
  struct sigaction previous = {};
  bool restore = false;
};

constexpr mode_t kPermissionBits = S_IRWXU | S_IRWXG | S_IRWXO;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

ReplaceCheck FindReplacedFile(const char* path, ReplacedFile& file) {
  file.exists = false;
  file.mode = 0;
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) {
    if (errno != ENOENT) return ReplaceCheck::kRefused;
    // Nothing at the end of the name. Where the name itself is there, it is a link that leads
    // nowhere, and creating its target would let a link put a file anywhere.
    struct stat link = {};
    if (lstat(path, &link) == 0 || errno != ENOENT) return ReplaceCheck::kRefused;
    file.path.Assign(path);
    return ReplaceCheck::kReplaceable;
  }
  file.path.Assign(resolved);
  std::free(resolved);
  struct stat status = {};
  if (stat(file.path.Text(), &status) != 0) return ReplaceCheck::kRefused;
  // A mode that lets nobody write marks the file as one to be kept, even from root and from
  // whoever may write the folder, who could otherwise replace it.
  if ((status.st_mode & kWriteBits) == 0) return ReplaceCheck::kRefused;
  file.exists = true;
  file.mode = status.st_mode & kPermissionBits;
  return ReplaceCheck::kReplaceable;
}

NewFileResult NewFile::Create(const char* path, const ReplacedFile& replaced) {
  Close();
  int descriptor;
  // O_EXCL: fails for any existing name, a symbolic link included, which is not followed.
  do {
    descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) return errno == EEXIST ? NewFileResult::kNameTaken : NewFileResult::kFailed;
  // The file's set-user and set-group bits are not carried over: the new file may have another
  // owner.
  if (replaced.exists && fchmod(descriptor, static_cast<mode_t>(replaced.mode) & kPermissionBits) != 0) {
    close(descriptor);
    unlink(path);
    return NewFileResult::kFailed;
  }
  handle = descriptor;
  return NewFileResult::kCreated;
}

bool NewFile::Write(const std::vector<char>& bytes) const {
  if (handle < 0) return false;
  FileSizeSignalIgnored ignored;
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t done = write(static_cast<int>(handle), bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    written += static_cast<std::size_t>(done);
  }
  return true;
}

bool NewFile::FlushAndClose() {
  if (handle < 0) return false;
  bool synced = fsync(static_cast<int>(handle)) == 0;
  bool closed = close(static_cast<int>(handle)) == 0;
  handle = -1;
  return synced && closed;
}

void NewFile::Close() {
  if (handle >= 0) close(static_cast<int>(handle));
  handle = -1;
}

std::uint32_t ProcessNumber() { return static_cast<std::uint32_t>(getpid()); }

bool MoveFileOver(const char* from, const char* to) {
  if (std::rename(from, to) != 0) return false;
  // The new name is in place. Syncing the directory makes it survive a power loss; where the
  // file system cannot sync a directory the rename still stands, so this is not a failure.
  SyncDirectory(DirectoryOf(to).Text());
  return true;
}

void RemoveFileIfAny(const char* path) { unlink(path); }

}  // namespace vadro
