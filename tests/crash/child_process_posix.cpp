#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "tests/crash/child_process.h"

namespace vadro {
namespace crash_test {
namespace {

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

std::string OwnExecutablePath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

ChildProcess::~ChildProcess() {
  if (id > 0) Kill();
}

bool ChildProcess::Start(const std::string& executable, const std::string& first, const std::string& second) {
  std::string program = executable;
  std::string one = first;
  std::string two = second;
  char* argv[] = {program.data(), one.data(), two.data(), nullptr};
  pid_t pid = -1;
  int error = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) {
    std::printf("posix_spawn failed: %s\n", std::strerror(error));
    return false;
  }
  id = pid;
  return true;
}

bool ChildProcess::Kill() {
  auto pid = static_cast<pid_t>(id);
  id = -1;
  kill(pid, SIGKILL);
  int status = WaitFor(pid);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

int ChildProcess::Wait() {
  auto pid = static_cast<pid_t>(id);
  id = -1;
  int status = WaitFor(pid);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace crash_test
}  // namespace vadro
